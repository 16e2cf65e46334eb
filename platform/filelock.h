#pragma once

#include <QByteArray>
#include <QString>
#include <sys/stat.h>
#include <sys/types.h>
#include <utility>

// Files opened the POSIX way where Qt's would wait or follow links.

// Closes the file descriptor it holds when it goes.
struct Descriptor
{
    explicit Descriptor(int fd = -1)
        : fd(fd)
    { }
    ~Descriptor();
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    bool close();

    int fd;
};

// open(2), close-on-exec, never taking a terminal, again when interrupted.
int openFile(const QByteArray &name, int flags, mode_t mode = 0);
bool sameFile(const struct stat &a, const struct stat &b);

// A lock that ends with its holder: an advisory lock (flock) on a lock file.
// The kernel drops it when its holder ends, however it ends, so no copy of
// the program killed while holding it leaves a lock that blocks, and a lock
// file that a person or another user left behind is simply taken. Whatever
// else is at the lock path (a folder, a FIFO, a link, a file this user may
// not read and nobody has touched for the whole wait) is removed and the
// lock taken; nothing there makes it wait longer. The lock file is removed
// again while it is held, and a copy that then gets the lock of a removed
// file tries again on the file now there. Compatible with QLockFile, which
// holds flock on its file too.
class FileLock
{
public:
    // Throws StepFailed when the lock is not taken within the time, or
    // cannot be taken at all (a folder this user may not write).
    FileLock(const QString &path, int timeoutMs);
    ~FileLock();

    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

private:
    bool tryLock();
    void takeOver(const struct stat &info);

    QByteArray name_;
    int timeoutMs_;
    Descriptor lock_;
};
