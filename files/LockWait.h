// LockWait.h: the whole-file lock, taken at once or waited for until a
// deadline.
#pragma once

#include <chrono>
#include <ctime>

// How long an open with OpenWaitForLock waits for another process's lock:
// far longer than a request holds the file, short enough that a holder that
// hangs gives the waiting request its answer soon.
constexpr std::chrono::milliseconds LockWait{1000};

// The moment `wait` from now on the monotonic clock.
timespec DeadlineAfter(std::chrono::nanoseconds wait);

// flock(descriptor, operation) for LOCK_SH or LOCK_EX. Without a deadline it
// never waits; with one it waits for a conflicting lock held elsewhere until
// that moment. False with errno EWOULDBLOCK when the lock is still held
// elsewhere, or with the error of a call that failed.
bool LockFile(int descriptor, int operation, const timespec* deadline);
