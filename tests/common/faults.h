#pragma once

#include <QString>
#include <cerrno>
#include <utility>

// Fails a system call of this thread on demand, as a failing disk, a stale
// handle of a network file system or a full disk would. The test programs
// that link this define the C library's file calls themselves, ahead of the
// library (as an LD_PRELOAD shim would): read, write, close, fsync, stat,
// lstat, fstat, faccessat, fchmod, fchown, flock, rename, unlink.
namespace Faults {

// Counts this thread's calls from now on (only those named `call`, when
// given) and fails the n-th, counting from 1, with the error.
void arm(int n, int error = EIO, const char *call = nullptr);
// Stops counting; returns how many calls were counted, and the call that
// failed with the name of the file it was about ("fsync
// .Zdravin.conf.3k5x0ab.new"), empty when none did.
std::pair<int, QString> disarm();

} // namespace Faults
