// Faults injected around a real request: a file-size limit that stops a write
// part-way, missing, unreadable and locked files, a locked temporary file, and
// a database folder the program may not write (run as an unprivileged user).
// Each gives its error page and exit status; the file is either as it was or
// holds exactly the keys written before the fault: never cut, never lost, and
// never a success page.
#include "files/IniFile.h"
#include "reliability/Configuration.h"
#include "reliability/Tools.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace reliability;

namespace {

const std::string NotPresent =
    "<H1><font color=\"#ff0000\">Database initiation file is not present. Operation aborted.</font></H1>\n"
    "Please contact the <a href=\"mailto:\">webmaster</a>.\n<HR>\n<CENTER>\n"
    "<A HREF=\"\">[Go to the database main page]</A>\n</CENTER></BODY></HTML>\n";
const std::string NoTemporaryFile =
    "<H1><font color=\"#ff0000\">Problem in creating temporary file!  Operation aborted.</font></H1>\n";
const std::string Updated = "<h1>Your database configuration file has been updated!</h1>\n";

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The file error's page; the write or the flush that follows it meets the limit.
bool EndsWithFileTooLarge(const std::string& output)
{
    for (const char* context : {"File write: ", "File flush: "})
        if (EndsWith(output, std::string("<H1><font color=\"#ff0000\">") + context + "File too large</font></H1>\n"))
            return true;
    return false;
}

std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

// A program copy with the database "shop" beside it, in folders that every
// user may enter, so that the program can also run as an unprivileged user.
struct Site {
    TempDir dir;
    std::string program, folder, ini;

    explicit Site(const std::string* content)
    {
        fs::permissions(dir.path(), fs::perms(0755));
        program = dir / "zephconf";
        fs::copy_file(ZephconfPath(), program);
        fs::permissions(program, fs::perms(0755));
        folder = dir / "shop";
        fs::create_directory(folder);
        fs::permissions(folder, fs::perms(0755));
        ini = folder + "/shop.ini";
        if (content != nullptr)
            WriteFile(ini, *content);
    }

    ProgramAnswer Post(const std::string& body, const std::vector<std::string>& wrapper = {})
    {
        return RunPost(body, program, "", wrapper);
    }

    std::vector<std::string> FolderEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// The file after each prefix of the writes: element k holds the first k.
std::vector<std::string> Snapshots(const std::string& start, const std::vector<Write>& writes)
{
    TempDir scratch;
    const std::string path = scratch / "db.ini";
    WriteFile(path, start);
    CIniFile file;
    EXPECT_TRUE(file.OpenFile(path.c_str(), OpenReadWrite));
    std::vector<std::string> snapshots{start};
    for (const Write& write : writes) {
        file.WriteValue(write.section.c_str(), write.key.c_str(), write.value.c_str());
        file.Flush();
        snapshots.push_back(ReadFile(path));
    }
    return snapshots;
}

// Holds an exclusive whole-file lock the way another request does.
struct HeldLock {
    int fd;
    explicit HeldLock(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644))
    {
        EXPECT_EQ(0, ::flock(fd, LOCK_EX | LOCK_NB));
    }
    ~HeldLock() { ::close(fd); }
};

std::vector<std::string> Unprivileged()
{
    return {ToolPath("setpriv"), "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
}

void GiveToNobody(const std::string& path)
{
    const passwd* nobody = ::getpwnam("nobody");
    const group* nogroup = ::getgrnam("nogroup");
    ASSERT_TRUE(nobody != nullptr && nogroup != nullptr);
    ASSERT_EQ(0, ::chown(path.c_str(), nobody->pw_uid, nogroup->gr_gid));
}

TEST(FaultInjection, UpdateStoppedByFileSizeLimitKeepsTheKeysWrittenSoFar)
{
    const std::string prlimit = ToolPath("prlimit");
    ASSERT_FALSE(prlimit.empty()) << "prlimit is missing";
    const std::string start = StartingFile();
    const Submission submission = MakeSubmission(7, 40);
    const std::vector<std::string> snapshots = Snapshots(start, submission.writes);
    const size_t grown = snapshots.back().size();
    ASSERT_GT(grown, start.size() + 1000);

    // Below the file's size too: then even a rewrite of the same length fails
    // for the bytes beyond the limit.
    const size_t limits[] = {0, start.size() / 2, start.size(), start.size() + 1, start.size() + 37, start.size() + 300,
                             (start.size() + grown) / 2, grown - 1};
    for (size_t limit : limits) {
        Site site(&start);
        ProgramAnswer answer = site.Post(FormBody(submission.fields),
                                         {prlimit, "--fsize=" + std::to_string(limit)});
        EXPECT_EQ(1, answer.status) << "limit " << limit;
        EXPECT_TRUE(EndsWithFileTooLarge(answer.output)) << "limit " << limit << "\n" << answer.output;
        EXPECT_EQ(std::string::npos, answer.output.find(Updated)) << "limit " << limit;

        const std::string after = ReadFile(site.ini);
        auto written = std::find(snapshots.begin(), snapshots.end(), after);
        EXPECT_TRUE(written != snapshots.end() && written != snapshots.end() - 1)
            << "limit " << limit << ": the file is neither as it was nor holds the keys written so far:\n"
            << after;
        EXPECT_LE(after.size(), std::max(limit, start.size()));
        EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
    }

    // With room enough the same update completes.
    Site site(&start);
    ProgramAnswer answer = site.Post(FormBody(submission.fields), {prlimit, "--fsize=" + std::to_string(grown)});
    EXPECT_EQ(0, answer.status);
    EXPECT_TRUE(EndsWith(answer.output, "Go to the database main page to check it out.</A>\n</h2>\n"));
    EXPECT_EQ(snapshots.back(), ReadFile(site.ini));
}

TEST(FaultInjection, LineEndRewriteStoppedByFileSizeLimitKeepsTheOriginal)
{
    const std::string prlimit = ToolPath("prlimit");
    ASSERT_FALSE(prlimit.empty()) << "prlimit is missing";
    const std::string start = WithCrLf(StartingFile());
    for (size_t limit : {size_t{0}, size_t{100}, StartingFile().size() - 1}) {
        Site site(&start);
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
void ExpectRefusedAndUnchanged(Site& site, const std::string* content, bool unprivileged,
                               const std::string& expectedEnd, const char* name)
{
    const std::vector<std::string> before = site.FolderEntries();
    ProgramAnswer answer = site.Post(FormBody(MakeSubmission(1).fields),
                                     unprivileged ? Unprivileged() : std::vector<std::string>{});
    EXPECT_EQ(1, answer.status) << name;
    EXPECT_TRUE(EndsWith(answer.output, expectedEnd)) << name << "\n" << answer.output;
    if (content != nullptr) {
        EXPECT_EQ(*content, ReadFile(site.ini)) << name;
    }
    EXPECT_EQ(before, site.FolderEntries()) << name;
}

TEST(FaultInjection, MissingFileRefusesTheUpdateAndCreatesNothing)
{
    Site site(nullptr);
    ExpectRefusedAndUnchanged(site, nullptr, false, NotPresent, "missing file");
}

TEST(FaultInjection, UnprivilegedRefusalsLeaveEverythingAsItWas)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to drop to an unprivileged user";
    const std::string lineFeeds = StartingFile();
    const std::string crLf = WithCrLf(lineFeeds);
    {
        Site site(&lineFeeds);  // root's, 0600
        ASSERT_EQ(0, ::chmod(site.ini.c_str(), 0600));
        ExpectRefusedAndUnchanged(site, &lineFeeds, true, NotPresent, "unreadable file");
    }
    {
        Site site(&lineFeeds);  // root's, 0644: readable, the read-write open fails
        ASSERT_EQ(0, ::chmod(site.ini.c_str(), 0644));
        ExpectRefusedAndUnchanged(site, &lineFeeds, true, NotPresent, "read-only file");
    }
    {
        Site site(&crLf);  // its own file, but no temporary file in root's folder
        GiveToNobody(site.ini);
        ExpectRefusedAndUnchanged(site, &crLf, true, NoTemporaryFile, "CR LF file, folder not writable");
    }
}

TEST(FaultInjection, LockedFilesRefuseTheUpdate)
{
    const std::string crLf = WithCrLf(StartingFile());
    {
        Site site(&crLf);
        HeldLock lock(site.ini);
        ProgramAnswer answer = site.Post(FormBody(MakeSubmission(1).fields));
        EXPECT_EQ(1, answer.status);
        EXPECT_TRUE(EndsWith(answer.output, NotPresent)) << answer.output;
        EXPECT_EQ(crLf, ReadFile(site.ini));
    }
    {
        Site site(&crLf);
        WriteFile(site.ini + "tmp", "another request's copy\n");
        HeldLock lock(site.ini + "tmp");
        ProgramAnswer answer = site.Post(FormBody(MakeSubmission(1).fields));
        EXPECT_EQ(1, answer.status);
        EXPECT_TRUE(EndsWith(answer.output, NoTemporaryFile)) << answer.output;
        EXPECT_EQ(crLf, ReadFile(site.ini));
        EXPECT_EQ("another request's copy\n", ReadFile(site.ini + "tmp"));
    }
}

// The program needs no right to the folder to update a file it may write.
TEST(FaultInjection, UnprivilegedUpdateOfItsOwnFileInAFolderItCannotWrite)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to drop to an unprivileged user";
    const std::string start = StartingFile();
    const Submission submission = MakeSubmission(5, 10);
    Site site(&start);
    GiveToNobody(site.ini);
    ProgramAnswer answer = site.Post(FormBody(submission.fields), Unprivileged());
    EXPECT_EQ(0, answer.status) << answer.output;
    EXPECT_NE(std::string::npos, answer.output.find(Updated));
    EXPECT_EQ(Snapshots(start, submission.writes).back(), ReadFile(site.ini));
    EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
}

}  // namespace
