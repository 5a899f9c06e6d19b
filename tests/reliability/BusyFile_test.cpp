// A database file that another process holds is waited for, LockWait at
// most; simultaneous updates queue and each completes whole; and a path that
// names anything but a regular file is answered as a missing file, never
// blocked on or read without end.
#include "files/LockWait.h"
#include "reliability/Configuration.h"
#include "reliability/Tools.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace reliability;

namespace {

const std::string NotPresent =
    "<H1><font color=\"#ff0000\">Database initiation file is not present. Operation aborted.</font></H1>\n";
const std::string Updated = "<h1>Your database configuration file has been updated!</h1>\n";

double SecondsSince(std::chrono::steady_clock::time_point began)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
}

// The seconds `body` takes on a fresh copy of `start` that nobody holds, the
// longest of two runs.
double SecondsAlone(const std::string& start, const std::string& body)
{
    double longest = 0;
    for (int run = 0; run < 2; ++run) {
        Site site(start);
        const auto began = std::chrono::steady_clock::now();
        EXPECT_EQ(0, site.Post(body).status);
        longest = std::max(longest, SecondsSince(began));
    }
    return longest;
}

// The lock is let go once the program waits for it, however long the program
// took to get there.
TEST(BusyFile, LockHeldBrieflyIsWaitedFor)
{
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(11).fields);
    for (const std::string& content : {start, WithCrLf(start)}) {
        Site site(content);
        HeldLock lock(site.ini);
        std::atomic<bool> answered = false;
        std::thread release([&] {
            while (!lock.Awaited() && !answered)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            lock.Release();
        });
        const ProgramAnswer answer = site.Post(body);
        answered = true;
        release.join();
        EXPECT_EQ(0, answer.status) << answer.output;
        EXPECT_NE(std::string::npos, answer.output.find(Updated));
        EXPECT_EQ(UpdatedFile(start, body), ReadFile(site.ini));
    }
}

// The lock is held until the answer has come: the answer ends the wait at the
// lock wait, not the holder. It comes no sooner than that, nor later than the
// wait plus what the request takes alone, with room for a busy machine.
TEST(BusyFile, LockHeldLongGivesTheMissingFilePageAfterTheLockWait)
{
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(12).fields);
    const double alone = SecondsAlone(start, body);
    Site site(start);
    HeldLock lock(site.ini);
    const auto began = std::chrono::steady_clock::now();
    const ProgramAnswer answer = site.Post(body);
    const double waited = SecondsSince(began);
    EXPECT_EQ(1, answer.status);
    EXPECT_NE(std::string::npos, answer.output.find(NotPresent)) << answer.output;
    const double wait = std::chrono::duration<double>(LockWait).count();
    EXPECT_GE(waited, wait);
    EXPECT_LT(waited, 2 * (wait + alone)) << "alone the request took " << alone << " s";
    EXPECT_EQ(start, ReadFile(site.ini));
}

// Twelve updates at once queue for the lock. Each completes whole or, still
// waiting when the lock wait is over, is refused with the missing-file page,
// and no sooner. A refusal fails where the queue fitted in the lock wait: where
// every completed update ended within three quarters of it, the lock being free
// from then on (so on a fast machine none may be refused).
TEST(BusyFile, SimultaneousUpdatesEachCompleteWholeOrAreRefusedAfterTheLockWait)
{
    const std::string start = StartingFile();
    constexpr int Updates = 12;
    std::vector<std::string> bodies, results;
    for (int i = 0; i < Updates; ++i) {
        bodies.push_back(FormBody(MakeSubmission(20 + i).fields));
        results.push_back(UpdatedFile(start, bodies.back()));
    }
    struct Outcome {
        ProgramAnswer answer;
        double sent, ended;  // seconds from the start of all
    };
    Site site(start);
    const auto began = std::chrono::steady_clock::now();
    std::vector<std::future<Outcome>> outcomes;
    for (const std::string& body : bodies) {
        outcomes.push_back(std::async(std::launch::async, [&site, &body, began] {
            const double sent = SecondsSince(began);
            ProgramAnswer answer = site.Post(body);
            return Outcome{std::move(answer), sent, SecondsSince(began)};
        }));
    }
    const double wait = std::chrono::duration<double>(LockWait).count();
    std::vector<std::string> completedFiles;
    double lastCompleted = 0;
    int refused = 0;
    for (int i = 0; i < Updates; ++i) {
        const Outcome got = outcomes[i].get();
        if (got.answer.status == 0) {
            EXPECT_NE(std::string::npos, got.answer.output.find(Updated)) << got.answer.output;
            completedFiles.push_back(results[i]);
            lastCompleted = std::max(lastCompleted, got.ended);
            continue;
        }
        ++refused;
        EXPECT_EQ(1, got.answer.status) << got.answer.output;
        EXPECT_NE(std::string::npos, got.answer.output.find(NotPresent)) << got.answer.output;
        EXPECT_GE(got.ended - got.sent, wait) << "refused before the lock wait was over";
    }
    if (lastCompleted <= 0.75 * wait) {
        EXPECT_EQ(0, refused) << "refused, though the lock was free from " << lastCompleted << " s on";
    }
    EXPECT_NE(completedFiles.end(), std::find(completedFiles.begin(), completedFiles.end(), ReadFile(site.ini)))
        << "the file is none of the completed updates:\n" << ReadFile(site.ini);
    EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
    std::printf("%d of %d simultaneous updates completed, the last after %.3f s; %d refused\n",
                Updates - refused, Updates, lastCompleted, refused);
}

// A socket's name at `path`: it stays in the folder after the socket is closed.
void MakeSocket(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    EXPECT_EQ(0, ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address)) << path;
    ::close(fd);
}

// Nobody holds a lock here, so nothing is waited for: a program that blocked on
// the path (a pipe without a writer, an endless device) is killed after ten
// lock waits and fails the status check.
TEST(BusyFile, OnlyARegularFileIsUsed)
{
    const std::string timeout = ToolPath("timeout");
    ASSERT_FALSE(timeout.empty()) << "the timeout command is missing";
    const std::string killAfter = std::to_string(10 * std::chrono::duration<double>(LockWait).count());
    struct Case {
        const char* what;
        void (*arrange)(Site& site);
    };
    const Case cases[] = {
        {"a pipe", [](Site& site) { ASSERT_EQ(0, ::mkfifo(site.ini.c_str(), 0666)); }},
        {"a link to a pipe",
         [](Site& site) {
             ASSERT_EQ(0, ::mkfifo((site.dir / "pipe").c_str(), 0666));
             fs::create_symlink("../pipe", site.ini);
         }},
        {"a link to an endless device", [](Site& site) { fs::create_symlink("/dev/zero", site.ini); }},
        {"a folder", [](Site& site) { fs::create_directory(site.ini); }},
        {"a socket", [](Site& site) { MakeSocket(site.ini); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Site site(std::nullopt);
        c.arrange(site);
        for (const std::string& body : {FormBody(MakeSubmission(13).fields),
                                        std::string("DBName=shop&act=entrance&password=x")}) {
            const ProgramAnswer answer = site.Post(body, {timeout, "-s", "KILL", killAfter});
            EXPECT_EQ(1, answer.status) << answer.output;
            EXPECT_NE(std::string::npos, answer.output.find(NotPresent)) << answer.output;
        }
        EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
    }
}

}  // namespace
