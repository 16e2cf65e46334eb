#include "common/faults.h"

#include <QFileInfo>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

thread_local bool armed = false;
thread_local int target = 0, counted = 0, injected = 0;
thread_local const char *only = nullptr;
thread_local QString failedCall;

QString nameOf(const char *path)
{
    return QFileInfo(QFile::decodeName(path)).fileName();
}

QString nameOf(int fd)
{
    return nameOf(QFile::encodeName(QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd))));
}

// True when this call is the one to fail; errno then says why.
template <typename About> bool strike(const char *call, About about)
{
    if (!armed || (only && qstrcmp(only, call) != 0) || ++counted != target)
        return false;
    armed = false; // finding the file's name makes calls too
    failedCall = QLatin1String(call) + u' ' + nameOf(about);
    armed = true;
    errno = injected;
    return true;
}

} // namespace

void Faults::arm(int n, int error, const char *call)
{
    target = n, counted = 0, injected = error, only = call, armed = true;
}

std::pair<int, QString> Faults::disarm()
{
    armed = false;
    return { counted, failedCall };
}

// Each call fails when struck, and is otherwise the C library's own.
#define FAULTY(Result, call, parameters, arguments, about)                                                             \
    Result call parameters                                                                                             \
    {                                                                                                                  \
        static const auto next = reinterpret_cast<Result(*) parameters>(::dlsym(RTLD_NEXT, #call));                    \
        return strike(#call, about) ? Result(-1) : next arguments;                                                     \
    }

extern "C" {
FAULTY(ssize_t, read, (int fd, void *buffer, size_t size), (fd, buffer, size), fd)
FAULTY(ssize_t, write, (int fd, const void *buffer, size_t size), (fd, buffer, size), fd)
FAULTY(int, close, (int fd), (fd), fd)
FAULTY(int, fsync, (int fd), (fd), fd)
FAULTY(int, stat, (const char *path, struct stat *info), (path, info), path)
FAULTY(int, lstat, (const char *path, struct stat *info), (path, info), path)
FAULTY(int, fstat, (int fd, struct stat *info), (fd, info), fd)
FAULTY(int, faccessat, (int folder, const char *path, int mode, int flags), (folder, path, mode, flags), path)
FAULTY(int, fchmod, (int fd, mode_t mode), (fd, mode), fd)
FAULTY(int, fchown, (int fd, uid_t owner, gid_t group), (fd, owner, group), fd)
FAULTY(int, flock, (int fd, int operation), (fd, operation), fd)
FAULTY(int, rename, (const char *from, const char *to), (from, to), from)
FAULTY(int, unlink, (const char *path), (path), path)
}
