// Input that must not be used as it stands: a database file too large to be
// a database's (refused before it is read), a form whose body ended early (a
// client gone mid-upload), and a request that runs out of memory. Each is
// refused with a page and exit status 1, and the file is as it was. A long
// line, well within the limit, is read and rewritten whole.
#include "reliability/Configuration.h"
#include "reliability/FileChecks.h"
#include "reliability/Tools.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace reliability;

namespace {

const std::string Updated = "<h1>Your database configuration file has been updated!</h1>\n";
constexpr off_t Limit = 64 * 1024 * 1024;

std::string EntranceQuery()
{
    return "act=entrance&DBName=shop&password=" + UrlEncode(FixturePassword());
}

// A file of 64 MiB and one byte (sparse: nothing of it is on disk) is
// refused by both requests before anything is read or written.
TEST(IncompleteInput, OversizedFileIsRefusedUntouched)
{
    const std::string body = FormBody(MakeSubmission(3).fields);
    for (bool update : {false, true}) {
        SCOPED_TRACE(update ? "Configure" : "entrance");
        Site site(WithCrLf(StartingFile()));
        ASSERT_EQ(0, ::truncate(site.ini.c_str(), Limit + 1));
        const struct stat before = StatusOf(site.ini);
        const ProgramAnswer answer = update ? site.Post(body) : site.Get(EntranceQuery());
        EXPECT_EQ(1, answer.status);
        EXPECT_TRUE(EndsWith(answer.output, "<H1><font color=\"#ff0000\">File read: File too large</font></H1>\n"))
            << answer.output.substr(0, 2000);
        const struct stat after = StatusOf(site.ini);
        EXPECT_EQ(before.st_ino, after.st_ino);
        EXPECT_EQ(before.st_size, after.st_size);
        EXPECT_EQ(before.st_mtim.tv_sec, after.st_mtim.tv_sec);
        EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
        EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
    }
    // At the limit itself the file is still read.
    Site site(StartingFile());
    ASSERT_EQ(0, ::truncate(site.ini.c_str(), Limit));
    const ProgramAnswer answer = site.Get(EntranceQuery());
    EXPECT_EQ(0, answer.status) << answer.output.substr(0, 2000);
}

// A 3 MiB comment line first in a CR LF file: the line-end rewrite and the
// update keep it whole, as one line.
TEST(IncompleteInput, LongLineIsReadAndRewrittenWhole)
{
    const std::string longLine = "; " + std::string(3 * 1024 * 1024, 'x');
    const Submission submission = MakeSubmission(4);
    Site site(WithCrLf(longLine + "\n" + StartingFile()));
    const ProgramAnswer answer = site.Post(FormBody(submission.fields));
    ASSERT_EQ(0, answer.status) << answer.output.substr(0, 2000);
    EXPECT_NE(std::string::npos, answer.output.find(Updated));
    const std::string after = ReadFile(site.ini);
    EXPECT_EQ(0u, after.rfind(longLine + "\n", 0)) << "the long line is not the first line, whole";
    EXPECT_EQ(std::string::npos, after.find('\r'));
    EXPECT_EQ("", MissingValue(after, submission));
}

// Bodies that end before CONTENT_LENGTH: the request counts as unread.
TEST(IncompleteInput, HalfSentFormIsNeverUsed)
{
    const std::string body = FormBody(MakeSubmission(5).fields);
    const std::string unread =
        "<H1><font color=\"#ff0000\">You need to input something!</font></H1><hr>\n"
        "<HTML><BODY BGCOLOR=\"#ffffff\">\n"
        "<H1><font color=\"#ff0000\">Sorry, you did not indicate which DB I should operate on! Please contact your "
        "web master!</H1><br>\n</font></BODY></HTML>\n";
    const struct {
        const char* what;
        size_t sent;
    } cases[] = {{"one byte short", body.size() - 1}, {"cut in half", body.size() / 2}, {"empty", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Site site(StartingFile());
        ProgramRun run;
        run.environment = {{"REQUEST_METHOD", "POST"}, {"CONTENT_LENGTH", std::to_string(body.size())}};
        run.body = body.substr(0, c.sent);
        const ProgramAnswer answer = site.Run(run);
        EXPECT_EQ(1, answer.status);
        EXPECT_EQ("Content-type: text/html\n\n" + unread, answer.output);
        EXPECT_EQ(StartingFile(), ReadFile(site.ini));
        EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
    }
}

// A request whose memory runs out (here: an address-space limit below what
// a large form needs) ends with a page and exit status 1, never with an
// exception's text on standard error; the file is untouched.
TEST(IncompleteInput, OutOfMemoryGivesAnAnswer)
{
    if (SanitizerBuild)
        GTEST_SKIP() << "a sanitizer build reserves more address space than the limit";
    const std::string prlimit = ToolPath("prlimit");
    ASSERT_FALSE(prlimit.empty()) << "prlimit is missing";
    std::string body = "act=Configure&DBName=shop&password=x&padding=";
    body += std::string(8 * 1024 * 1024 - body.size(), 'a');
    Site site(StartingFile());
    ProgramRun run;
    run.environment = {{"REQUEST_METHOD", "POST"}, {"CONTENT_LENGTH", std::to_string(body.size())}};
    run.body = body;
    run.wrapper = {prlimit, "--as=" + std::to_string(12 * 1024 * 1024)};
    const ProgramAnswer answer = site.Run(run);
    EXPECT_EQ(1, answer.status) << answer.errors;
    EXPECT_TRUE(EndsWith(answer.output, "<H1><font color=\"#ff0000\">Cannot allocate memory</font></H1>\n"))
        << answer.output.substr(0, 2000);
    EXPECT_EQ("", answer.errors);
    EXPECT_EQ(StartingFile(), ReadFile(site.ini));
}

}  // namespace
