// Opens that wait a moment for another process's lock (and follow a file
// renamed over the path meanwhile), and opens that take only a regular file.
#include "files/IniFile.h"
#include "files/LockWait.h"
#include "files/SFile.h"
#include "support/Site.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <chrono>
#include <filesystem>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double SecondsSince(std::chrono::steady_clock::time_point began)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
}

// Until another process waits for the lock on `fd`.
void AwaitWaiter(int fd)
{
    while (!LockAwaited(fd))
        ::usleep(1000);
}

// What the holder of HoldInChild does with its lock.
enum class Holder {
    Keeps,               // holds it until ended
    LetsGoWhenAwaited,   // writes "released" into the file and lets go, once waited for
    ReplacesWhenAwaited  // renames the replacement over the path once waited for, and
                         // lets go of the replacement once that is waited for in turn
};

// A child process that locks `path` and treats it as `holder` says. Returns
// once the lock is held.
pid_t HoldInChild(const std::string& path, Holder holder, const std::string& replacement = "")
{
    int ready[2];
    EXPECT_EQ(0, ::pipe(ready));
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        // Ended with the test, also when the test ends before it reaps the holder.
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent)
            ::_exit(1);
        const int fd = ::open(path.c_str(), O_RDWR);
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0)
            ::_exit(1);
        (void)!::write(ready[1], "x", 1);
        switch (holder) {
        case Holder::Keeps:
            for (;;)
                ::pause();
        case Holder::LetsGoWhenAwaited:
            AwaitWaiter(fd);
            if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, "released", 8, 0) != 8)
                ::_exit(1);
            break;
        case Holder::ReplacesWhenAwaited: {
            AwaitWaiter(fd);
            const int next = ::open(replacement.c_str(), O_RDWR);
            if (next < 0 || ::flock(next, LOCK_EX) != 0 || ::rename(replacement.c_str(), path.c_str()) != 0)
                ::_exit(1);
            ::close(fd);
            AwaitWaiter(next);
            break;
        }
        }
        ::_exit(0);
    }
    char byte;
    EXPECT_EQ(1, ::read(ready[0], &byte, 1));
    ::close(ready[0]);
    ::close(ready[1]);
    return child;
}

// Ends the holder, wherever it is.
void Reap(pid_t child)
{
    ::kill(child, SIGKILL);
    ASSERT_EQ(child, ::waitpid(child, nullptr, 0));
}

// A lock let go while the open waits is taken (after the holder's last write);
// one kept is given up at the lock wait, and no sooner.
TEST(WaitingOpen, LockHeldElsewhereIsWaitedForUpToTheLockWait)
{
    TempDir dir;
    const std::string file = dir / "db.ini";
    WriteFile(file, "old");
    {
        const pid_t holder = HoldInChild(file, Holder::LetsGoWhenAwaited);
        CSFile f;
        EXPECT_TRUE(f.Open(file.c_str(), OpenReadWrite | OpenWaitForLock));
        EXPECT_EQ("released", ReadFile(file));
        f.Close();
        Reap(holder);
    }
    const double wait = std::chrono::duration<double>(LockWait).count();
    const pid_t holder = HoldInChild(file, Holder::Keeps);
    auto began = std::chrono::steady_clock::now();
    CSFile f;
    EXPECT_FALSE(f.Open(file.c_str(), OpenReadWrite | OpenWaitForLock));
    const int error = errno;
    const double waited = SecondsSince(began);
    EXPECT_EQ(EWOULDBLOCK, error);
    EXPECT_GE(waited, wait);
    EXPECT_LT(waited, 2 * wait);
    // Without OpenWaitForLock the open never waits: far less than a lock wait.
    began = std::chrono::steady_clock::now();
    EXPECT_FALSE(f.Open(file.c_str(), OpenReadWrite));
    EXPECT_LT(SecondsSince(began), wait / 2);
    Reap(holder);
}

// The holder renames a new file over the path and locks that one too: the
// waiting open ends up with the new file, once the holder lets go of it.
TEST(WaitingOpen, FileRenamedOverThePathIsOpenedInstead)
{
    TempDir dir;
    const std::string file = dir / "db.ini";
    const std::string replacement = dir / "db.initmp";
    WriteFile(file, "old");
    WriteFile(replacement, "new");
    const pid_t holder = HoldInChild(file, Holder::ReplacesWhenAwaited, replacement);
    CIniFile f;
    ASSERT_TRUE(f.OpenFile(file.c_str(), OpenReadWrite | OpenWaitForLock));
    EXPECT_EQ("new", f.Content());
    Reap(holder);
}

TEST(WaitingOpen, OnlyARegularFileOpensWithoutWaitingOrReading)
{
    TempDir dir;
    const std::string pipe = dir / "pipe";
    ASSERT_EQ(0, ::mkfifo(pipe.c_str(), 0666));
    const std::string socketPath = dir / "socket";
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(0, ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address));
    ::close(fd);
    const std::string linkToDevice = dir / "zero";
    std::filesystem::create_symlink("/dev/zero", linkToDevice);

    for (const std::string& path : {pipe, socketPath, linkToDevice, dir.path().string()}) {
        for (int mode : {OpenRead, OpenReadWrite}) {
            const auto began = std::chrono::steady_clock::now();
            CIniFile f;
            EXPECT_FALSE(f.OpenFile(path.c_str(), mode | OpenWaitForLock)) << path;
            EXPECT_EQ(nullptr, f.GetStream());
            // Nobody holds a lock here: what takes half a lock wait is blocked.
            EXPECT_LT(SecondsSince(began), std::chrono::duration<double>(LockWait).count() / 2) << path;
        }
    }
    // The file object itself opens a pipe without waiting for a writer.
    CSFile f;
    EXPECT_TRUE(f.Open(pipe.c_str(), OpenRead));
}

// A deadline whose remainder lies in the last microsecond of a second: the
// wait still ends there (a timer rounded up to a million microseconds would be
// refused, and the wait would last as long as the other lock). The moment
// LockFile measures from drifts by the time its own calls take, so a few
// offsets are tried after a warm-up; a child makes a wait without end a failure, not a hang.
TEST(WaitingOpen, WaitEndsAtADeadlineInTheLastMicrosecondOfASecond)
{
    TempDir dir;
    const std::string file = dir / "db.ini";
    WriteFile(file, "old");
    constexpr int Waits = 5;  // of a second each
    const pid_t child = ::fork();
    if (child == 0) {
        const int holder = ::open(file.c_str(), O_RDWR);
        const int waiter = ::open(file.c_str(), O_RDWR);
        if (holder < 0 || waiter < 0 || ::flock(holder, LOCK_EX) != 0)
            ::_exit(2);
        for (long offset = 0; offset < Waits * 500; offset += 500) {
            // A call whose deadline has passed makes the path warm, and so
            // the drift short and steady.
            timespec passed {};
            ::clock_gettime(CLOCK_MONOTONIC, &passed);
            (void)LockFile(waiter, LOCK_EX, &passed);
            timespec deadline {};
            ::clock_gettime(CLOCK_MONOTONIC, &deadline);
            deadline.tv_sec += 1;
            deadline.tv_nsec += offset;
            if (LockFile(waiter, LOCK_EX, &deadline) || errno != EWOULDBLOCK)
                ::_exit(3);
        }
        ::_exit(0);
    }
    // Three times as long as the waits take is a wait without end.
    const double endless = 3.0 * Waits;
    const auto began = std::chrono::steady_clock::now();
    int status = -1;
    while (::waitpid(child, &status, WNOHANG) == 0 && SecondsSince(began) < endless)
        ::usleep(20000);
    if (SecondsSince(began) >= endless) {
        Reap(child);
        FAIL() << "a wait did not end at its deadline";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
