// LockWait.cpp: a blocking flock broken off by a timer signal at the deadline.
#include "files/LockWait.h"

#include <cerrno>
#include <csignal>
#include <sys/file.h>
#include <sys/time.h>

namespace {

// SIGALRM only has to end the wait of flock (EINTR); nothing else to do.
void EndWait(int) {}

long long NanosecondsUntil(const timespec& deadline)
{
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return (deadline.tv_sec - now.tv_sec) * 1000000000LL + (deadline.tv_nsec - now.tv_nsec);
}

// Signals every few milliseconds from `first` on: should one arrive just
// before flock starts to wait, the next one ends the wait.
constexpr long RepeatMicroseconds = 5000;

}  // namespace

timespec DeadlineAfter(std::chrono::nanoseconds wait)
{
    timespec deadline {};
    ::clock_gettime(CLOCK_MONOTONIC, &deadline);
    const long long nanoseconds = deadline.tv_nsec + wait.count() % 1000000000;
    deadline.tv_sec += static_cast<time_t>(wait.count() / 1000000000 + nanoseconds / 1000000000);
    deadline.tv_nsec = static_cast<long>(nanoseconds % 1000000000);
    return deadline;
}

bool LockFile(int descriptor, int operation, const timespec* deadline)
{
    if (::flock(descriptor, operation | LOCK_NB) == 0)
        return true;
    if (errno != EWOULDBLOCK || deadline == nullptr)
        return false;

    // A blocking flock is woken the moment the lock is free, where polling
    // would lose the lock to the processes already waiting in the kernel.
    struct sigaction endWait {}, previousAction {};
    endWait.sa_handler = EndWait;
    sigemptyset(&endWait.sa_mask);
    endWait.sa_flags = 0;  // no SA_RESTART: the signal must end the wait
    ::sigaction(SIGALRM, &endWait, &previousAction);
    sigset_t alarm, previousMask;
    sigemptyset(&alarm);
    sigaddset(&alarm, SIGALRM);
    ::sigprocmask(SIG_UNBLOCK, &alarm, &previousMask);

    bool locked = false;
    int error = EWOULDBLOCK;
    for (;;) {
        const long long left = NanosecondsUntil(*deadline);
        if (left <= 0)
            break;
        // Rounded up to whole microseconds and carried into the seconds: a
        // timer of a million microseconds is refused, and without a timer
        // the wait would last as long as the other lock.
        const long long microseconds = (left + 999) / 1000;
        itimerval timer {};
        timer.it_value.tv_sec = static_cast<time_t>(microseconds / 1000000);
        timer.it_value.tv_usec = static_cast<suseconds_t>(microseconds % 1000000);
        timer.it_interval.tv_usec = RepeatMicroseconds;
        if (::setitimer(ITIMER_REAL, &timer, nullptr) != 0) {
            error = errno;
            break;
        }
        if (::flock(descriptor, operation) == 0) {
            locked = true;
            break;
        }
        if (errno != EINTR) {
            error = errno;
            break;
        }
    }

    // A signal raised before the timer stops is delivered while our handler
    // is still in place.
    const itimerval stop {};
    ::setitimer(ITIMER_REAL, &stop, nullptr);
    ::sigprocmask(SIG_SETMASK, &previousMask, nullptr);
    ::sigaction(SIGALRM, &previousAction, nullptr);
    if (!locked)
        errno = error;
    return locked;
}
