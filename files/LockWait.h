// LockWait.h: the whole-file lock, taken at once or waited for until a
// deadline.
#pragma once

#include <ctime>

// A moment `seconds` from now on the monotonic clock.
timespec DeadlineAfter(int seconds);

// flock(descriptor, operation) for LOCK_SH or LOCK_EX. Without a deadline it
// never waits; with one it waits for a conflicting lock held elsewhere until
// that moment. False with errno EWOULDBLOCK when the lock is still held
// elsewhere, or with the error of a call that failed.
bool LockFile(int descriptor, int operation, const timespec* deadline);
