// Faults injected around a real request: a failure of each system call that
// touches a file, a file-size limit that stops a write part-way, missing,
// unreadable and locked files, a locked temporary file, and a database folder
// the program may not write (run as an unprivileged user).
// Each gives its error page and exit status, and the file is as it was: never
// cut, never half updated, and never a success page.
#include "reliability/CallTrace.h"
#include "reliability/Configuration.h"
#include "reliability/FileChecks.h"
#include "reliability/Tools.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace reliability;

namespace {

const std::string NotPresent =
    "<H1><font color=\"#ff0000\">Database initiation file is not present. Operation aborted.</font></H1>\n"
    "Please contact the <a href=\"mailto:\">webmaster</a>.\n<HR>\n<CENTER>\n"
    "<A HREF=\"\">[Go to the database main page]</A>\n</CENTER></BODY></HTML>\n";
const std::string NoTemporaryFile =
    "<H1><font color=\"#ff0000\">Problem in creating temporary file!  Operation aborted.</font></H1>\n";
const std::string Updated = "<h1>Your database configuration file has been updated!</h1>\n";

// The file error's page; the write or the flush that follows it meets the limit.
bool EndsWithFileTooLarge(const std::string& output)
{
    for (const char* context : {"File write: ", "File flush: "})
        if (EndsWith(output, std::string("<H1><font color=\"#ff0000\">") + context + "File too large</font></H1>\n"))
            return true;
    return false;
}

void GiveToNobody(const std::string& path)
{
    const passwd* nobody = ::getpwnam("nobody");
    const group* nogroup = ::getgrnam("nogroup");
    ASSERT_TRUE(nobody != nullptr && nogroup != nullptr);
    ASSERT_EQ(0, ::chown(path.c_str(), nobody->pw_uid, nogroup->gr_gid));
}

// Every call of the update that touches a file fails in turn (EIO, at its
// Nth use): the answer is an error page or the confirmation, the file is the
// old one or the new one, the confirmation only with the new one, no
// temporary file is left, and a version present is the whole old content
// (a confirmation without one says so in its log line). Only the folder's sync comes after the rename: when
// it fails, the file is new and the answer says that it could not be synced.
TEST(FaultInjection, EveryFailingFileCallLeavesTheOldFileOrTheNew)
{
    if (SanitizerBuild)
        GTEST_SKIP() << "the sanitizer's runtime makes file calls of its own, which must not fail";
    ASSERT_FALSE(ToolPath("strace").empty()) << "strace is missing";
    const std::string lineFeeds = StartingFile();
    const std::string body = FormBody(MakeSubmission(11).fields);
    const std::string updated = UpdatedFile(lineFeeds, body);
    for (const std::string& start : {lineFeeds, WithCrLf(lineFeeds)}) {
        SCOPED_TRACE(start == lineFeeds ? "line feeds" : "CR LF");
        int failures = 0;
        for (const auto& [call, count] : CallCounts(start, body, FileCalls)) {
            for (int n = 1; n <= count; ++n) {
                SCOPED_TRACE(call + " " + std::to_string(n) + " of " + std::to_string(count));
                Site site(start);
                const ProgramAnswer answer =
                    site.Post(body, Strace({"-o", "/dev/null", "-e", "trace=" + call, "-e",
                                            "inject=" + call + ":error=EIO:when=" + std::to_string(n)}));
                ASSERT_TRUE(answer.status == 0 || answer.status == 1) << answer.status << answer.errors;
                failures += answer.status == 1;
                const std::string after = ReadFile(site.ini);
                EXPECT_TRUE(after == start || after == lineFeeds || after == updated)
                    << "the file is neither the old one nor the new one:\n" << after;
                if (answer.status == 0) {
                    EXPECT_EQ(updated, after);
                } else {
                    EXPECT_EQ(std::string::npos, answer.output.find(Updated)) << answer.output;
                    if (after == updated) {
                        EXPECT_TRUE(EndsWith(answer.output, "File flush: Input/output error</font></H1>\n"))
                            << "the file was updated, yet the answer is:\n" << answer.output;
                    }
                }
                EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
                // The content before the update is kept whole, or the update
                // that went through says that it is not.
                const std::vector<std::string> versions = site.Versions();
                for (const std::string& version : versions)
                    EXPECT_EQ(lineFeeds, version);
                if (answer.status == 0) {
                    EXPECT_EQ(versions.empty(), answer.errors.find(" (previous configuration not kept: ") != std::string::npos)
                        << answer.errors;
                }
            }
        }
        EXPECT_GT(failures, 20) << "too few calls failed the update";
    }
}

TEST(FaultInjection, UpdateStoppedByFileSizeLimitLeavesTheFileAsItWas)
{
    const std::string prlimit = ToolPath("prlimit");
    ASSERT_FALSE(prlimit.empty()) << "prlimit is missing";
    const std::string start = StartingFile();
    const Submission submission = MakeSubmission(7, 100);
    const std::string body = FormBody(submission.fields);
    const std::string complete = UpdatedFile(start, body);
    EXPECT_EQ("", MissingValue(complete, submission)) << complete;
    const size_t grown = complete.size();
    ASSERT_GT(grown, start.size() + 1000);

    // Below the file's size too: then even a file of the same length cannot
    // be written whole.
    const size_t limits[] = {0, start.size() / 2, start.size(), start.size() + 1, start.size() + 37, start.size() + 300,
                             (start.size() + grown) / 2, grown - 1};
    for (size_t limit : limits) {
        Site site(start);
        ProgramAnswer answer = site.Post(body, {prlimit, "--fsize=" + std::to_string(limit)});
        EXPECT_EQ(1, answer.status) << "limit " << limit;
        EXPECT_TRUE(EndsWithFileTooLarge(answer.output)) << "limit " << limit << "\n" << answer.output;
        EXPECT_EQ(std::string::npos, answer.output.find(Updated)) << "limit " << limit;
        EXPECT_EQ(start, ReadFile(site.ini)) << "limit " << limit;
        EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries()) << "limit " << limit;
    }

    // With room enough the same update completes.
    Site site(start);
    ProgramAnswer answer = site.Post(body, {prlimit, "--fsize=" + std::to_string(grown)});
    EXPECT_EQ(0, answer.status);
    // The confirmation whole: its link line, then the form to undo the save.
    EXPECT_NE(std::string::npos, answer.output.find("Go to the database main page to check it out.</A>\n</h2>\n"));
    EXPECT_TRUE(EndsWith(answer.output, "History</button></p>\n</form>\n")) << answer.output;
    EXPECT_EQ(complete, ReadFile(site.ini));
}

TEST(FaultInjection, LineEndRewriteStoppedByFileSizeLimitKeepsTheOriginal)
{
    const std::string prlimit = ToolPath("prlimit");
    ASSERT_FALSE(prlimit.empty()) << "prlimit is missing";
    const std::string start = WithCrLf(StartingFile());
    for (size_t limit : {size_t{0}, size_t{100}, StartingFile().size() - 1}) {
        Site site(start);
        ProgramAnswer answer = site.Post(FormBody(MakeSubmission(3).fields),
                                         {prlimit, "--fsize=" + std::to_string(limit)});
        EXPECT_EQ(1, answer.status) << "limit " << limit;
        EXPECT_TRUE(EndsWithFileTooLarge(answer.output)) << "limit " << limit << "\n" << answer.output;
        EXPECT_EQ(start, ReadFile(site.ini)) << "limit " << limit;
        EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries()) << "limit " << limit;
    }
}

// Refusals before anything is written, for the update request: nothing in
// the folder is created, changed or left behind.
void ExpectRefusedAndUnchanged(Site& site, const std::optional<std::string>& content, bool unprivileged,
                               const std::string& expectedEnd, const char* name)
{
    const std::vector<std::string> before = site.FolderEntries();
    ProgramAnswer answer = site.Post(FormBody(MakeSubmission(1).fields),
                                     unprivileged ? Unprivileged() : std::vector<std::string>{});
    EXPECT_EQ(1, answer.status) << name;
    EXPECT_TRUE(EndsWith(answer.output, expectedEnd)) << name << "\n" << answer.output;
    if (content) {
        EXPECT_EQ(*content, ReadFile(site.ini)) << name;
    }
    EXPECT_EQ(before, site.FolderEntries()) << name;
}

TEST(FaultInjection, MissingFileRefusesTheUpdateAndCreatesNothing)
{
    Site site(std::nullopt);
    ExpectRefusedAndUnchanged(site, std::nullopt, false, NotPresent, "missing file");
}

TEST(FaultInjection, UnprivilegedRefusalsLeaveEverythingAsItWas)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to drop to an unprivileged user";
    const std::string lineFeeds = StartingFile();
    const std::string crLf = WithCrLf(lineFeeds);
    {
        Site site(lineFeeds);  // root's, 0600
        ASSERT_EQ(0, ::chmod(site.ini.c_str(), 0600));
        ExpectRefusedAndUnchanged(site, lineFeeds, true, NotPresent, "unreadable file");
    }
    {
        Site site(lineFeeds);  // root's, 0644: readable, the read-write open fails
        ASSERT_EQ(0, ::chmod(site.ini.c_str(), 0644));
        ExpectRefusedAndUnchanged(site, lineFeeds, true, NotPresent, "read-only file");
    }
    {
        Site site(crLf);  // its own file, but no temporary file in root's folder
        GiveToNobody(site.ini);
        ExpectRefusedAndUnchanged(site, crLf, true, NoTemporaryFile, "CR LF file, folder not writable");
    }
}

TEST(FaultInjection, LockedFilesRefuseTheUpdate)
{
    const std::string crLf = WithCrLf(StartingFile());
    {
        Site site(crLf);
        HeldLock lock(site.ini);
        ProgramAnswer answer = site.Post(FormBody(MakeSubmission(1).fields));
        EXPECT_EQ(1, answer.status);
        EXPECT_TRUE(EndsWith(answer.output, NotPresent)) << answer.output;
        EXPECT_EQ(crLf, ReadFile(site.ini));
    }
    {
        Site site(crLf);
        WriteFile(site.ini + "tmp", "another request's copy\n");
        HeldLock lock(site.ini + "tmp");
        ProgramAnswer answer = site.Post(FormBody(MakeSubmission(1).fields));
        EXPECT_EQ(1, answer.status);
        EXPECT_TRUE(EndsWith(answer.output, NoTemporaryFile)) << answer.output;
        EXPECT_EQ(crLf, ReadFile(site.ini));
        EXPECT_EQ("another request's copy\n", ReadFile(site.ini + "tmp"));
    }
}

// The program needs no right to the folder to update a file it may write;
// only the content it replaces cannot be kept.
TEST(FaultInjection, UnprivilegedUpdateOfItsOwnFileInAFolderItCannotWrite)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to drop to an unprivileged user";
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(5, 10).fields);
    Site site(start);
    GiveToNobody(site.ini);
    ProgramAnswer answer = site.Post(body, Unprivileged());
    EXPECT_EQ(0, answer.status) << answer.output;
    EXPECT_NE(std::string::npos, answer.output.find(Updated));
    EXPECT_EQ(UpdatedFile(start, body), ReadFile(site.ini));
    EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
    // It can make no history folder either, and says so.
    EXPECT_TRUE(EndsWith(answer.errors, " (previous configuration not kept: history folder: Permission denied)\n"))
        << answer.errors;
}

}  // namespace
