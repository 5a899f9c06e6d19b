// A web server ends a CGI program with SIGTERM when the browser goes away or
// the request takes too long. Whenever that signal arrives, the database file
// is as it was, or rewritten to line feeds, or holds the whole update: never a
// rewrite cut part-way, and no temporary file is left behind.
#include "reliability/Configuration.h"
#include "reliability/Tools.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

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

}  // namespace
