// A web server ends a CGI program with SIGTERM when the browser goes away or
// the request takes too long. Whenever that signal arrives, the database file
// is as it was, or rewritten to line feeds, or holds the whole update: never a
// rewrite cut part-way, and no temporary file is left behind. Every other
// signal that ends a process waits for the update in the same way, in the
// web program and in the shell tool.
#include "files/DeferTermination.h"
#include "reliability/Configuration.h"
#include "reliability/Tools.h"
#include "support/IniText.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>

using namespace reliability;

namespace {

struct Outcome {
    int status = 0;
    std::string file;
    std::vector<std::string> entries;
};

// One update of a fresh database, sent SIGTERM `delay` seconds after it starts
// (never, when delay is 0).
Outcome RunUpdate(const std::string& start, const std::string& body, double delay)
{
    Site site(start);
    std::vector<std::string> wrapper;
    if (delay > 0) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.6f", delay);
        wrapper = {ToolPath("timeout"), "-s", "TERM", seconds};
    }
    Outcome outcome;
    outcome.status = site.Post(body, wrapper).status;
    outcome.file = ReadFile(site.ini);
    outcome.entries = site.FolderEntries();
    return outcome;
}

TEST(Termination, UpdateEndedBySigtermIsWholeOrNotBegun)
{
    ASSERT_FALSE(ToolPath("timeout").empty()) << "the timeout command is missing";
    const Submission submission = MakeSubmission(7, 40);
    const std::string body = FormBody(submission.fields);

    for (const std::string& start : {StartingFile(), WithCrLf(StartingFile())}) {
        const std::string lineFeeds = StartingFile();
        const std::string updated = UpdatedFile(lineFeeds, body);
        ASSERT_EQ("", MissingValue(updated, submission)) << updated;

        // The signal times are spread over one run's whole length, so that
        // many of them fall inside the rewrites.
        auto began = std::chrono::steady_clock::now();
        ASSERT_EQ(0, RunUpdate(start, body, 0).status);
        const double length = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

        const int runs = 150;
        int terminated = 0;
        for (int i = 0; i < runs; ++i) {
            Outcome outcome = RunUpdate(start, body, length * (0.2 + 1.2 * i / runs));
            if (outcome.status == 124)
                ++terminated;
            EXPECT_TRUE(outcome.file == start || outcome.file == lineFeeds || outcome.file == updated)
                << "run " << i << ": the file was cut part-way:\n" << outcome.file;
            EXPECT_EQ(std::vector<std::string>{"shop.ini"}, outcome.entries) << "run " << i;
        }
        EXPECT_GT(terminated, 0) << "no run was ended by the signal";
        std::printf("%d of %d updates ended by SIGTERM\n", terminated, runs);
    }
}

// Each termination signal, delivered by strace as the update writes the first
// byte of its new file (a line-feed file: no line-end rewrite before), waits
// until the whole update is in place, and then ends the process as it would
// have. The file-size signal is ignored by both programs (a write over the
// limit fails instead), and the tool ignores SIGPIPE (a closed standard output
// is an error it reports): those runs finish normally.
TEST(Termination, EveryTerminationSignalWaitsForTheWholeChange)
{
    if (SanitizerBuild)
        GTEST_SKIP() << "the sanitizer's runtime makes writes of its own";
    ASSERT_FALSE(ToolPath("strace").empty()) << "strace is missing";
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(3).fields);
    const std::string updated = UpdatedFile(start, body);
    const std::string remoteOff = WithIniValue(start, "Administration", "Enable Remote Administration", "0");

    for (int signal : TerminationSignals) {
        const std::vector<std::string> signalAtFirstWrite =
            Strace({"-o", "/dev/null", "-e", "trace=pwrite64", "-e",
                    "inject=pwrite64:signal=" + std::to_string(signal) + ":when=1"});
        SCOPED_TRACE(strsignal(signal));
        {
            Site site(start);
            const ProgramAnswer answer = site.Post(body, signalAtFirstWrite);
            EXPECT_EQ(signal == SIGXFSZ ? 0 : 128 + signal, answer.status);
            EXPECT_EQ(updated, ReadFile(site.ini));
            EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
        }
        {
            Site site(start);
            std::vector<std::string> argv = signalAtFirstWrite;
            argv.insert(argv.end(), {ZEPHCONF_ADMIN_PATH, "disable-remote", site.folder});
            Launch launch(argv[0], argv, {});
            ProgramAnswer answer;
            launch.Run(answer);
            const bool ignored = signal == SIGXFSZ || signal == SIGPIPE;
            EXPECT_EQ(ignored ? 0 : 128 + signal, answer.status);
            EXPECT_EQ(ignored ? "remote administration disabled for " + site.ini + "\n" : "", answer.output);
            EXPECT_EQ(remoteOff, ReadFile(site.ini));
            EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
        }
    }
}

}  // namespace
