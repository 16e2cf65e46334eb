#include "platform/filelock.h"

#include "platform/errortrap.h"

#include <QDeadlineTimer>
#include <QFile>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

// How long to sleep between tries while another copy holds the lock, ms.
constexpr int RetryMs = 1;

} // namespace

Descriptor::~Descriptor()
{
    if (fd >= 0)
        ::close(fd);
}

bool Descriptor::close()
{
    return ::close(std::exchange(fd, -1)) == 0;
}

int openFile(const QByteArray &name, int flags, mode_t mode)
{
    int fd;
    do
        fd = ::open(name.constData(), flags | O_CLOEXEC | O_NOCTTY, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

FileLock::FileLock(const QString &path, int timeoutMs)
    : name_(QFile::encodeName(path))
    , timeoutMs_(timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!tryLock()) {
        if (deadline.hasExpired())
            fail("locked");
        std::this_thread::sleep_for(std::chrono::milliseconds(RetryMs));
    }
}

FileLock::~FileLock()
{
    // Removed only while held, and only if it is still this lock file. A
    // lock file that cannot be removed is no harm: the next copy takes it.
    struct stat now = {}, mine = {};
    if (::fstat(lock_.fd, &mine) == 0 && ::lstat(name_.constData(), &now) == 0 && sameFile(now, mine))
        ::unlink(name_.constData());
}

// True once locked; false while another copy holds the lock. Fails at
// once for anything else.
bool FileLock::tryLock()
{
    struct stat info = {};
    if (::lstat(name_.constData(), &info) == 0 && !S_ISREG(info.st_mode)) {
        takeOver(info); // a folder, a FIFO, a link: no lock of ours, nor anyone's
        return false;
    }
    // Opened as it is, never waiting and never through a link; a lock file
    // another user left behind, which this one may not write, is locked
    // read-only.
    Descriptor file(openFile(name_, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK, 0666));
    if (file.fd < 0 && errno == EACCES) {
        file.fd = openFile(name_, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
        if (file.fd < 0 && errno == ENOENT)
            fail("cannot lock"); // a folder this user may not write
    }
    if (file.fd < 0) {
        if ((errno != EACCES && errno != ELOOP) || ::lstat(name_.constData(), &info) != 0)
            fail("cannot lock");
        takeOver(info); // a lock this user may not even read, or a link made meanwhile
        return false;
    }
    if (::fstat(file.fd, &info) != 0)
        fail("cannot lock");
    if (!S_ISREG(info.st_mode)) {
        takeOver(info);
        return false;
    }
    if (::flock(file.fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            fail("cannot lock");
        return false;
    }
    struct stat now = {};
    if (::lstat(name_.constData(), &now) != 0 || !sameFile(now, info))
        return false; // its holder removed it meanwhile: the lock is the file there now
    lock_.fd = std::exchange(file.fd, -1);
    return true;
}

// Removes what is at the lock path but no lock this copy can take: a
// folder (when empty), a FIFO or another file that is no regular file, a
// link, or a lock file this user may not read. Nobody holds a lock file for
// more than a moment, so one that is older than the longest wait is left
// behind; a newer one is waited for. Fails at once when it cannot be
// removed.
void FileLock::takeOver(const struct stat &info)
{
    const bool unreadableLock = S_ISREG(info.st_mode);
    if (unreadableLock && ::time(nullptr) - info.st_mtime <= timeoutMs_ / 1000)
        return;
    if ((S_ISDIR(info.st_mode) ? ::rmdir(name_.constData()) : ::unlink(name_.constData())) != 0 && errno != ENOENT)
        fail("cannot take over the lock");
}
