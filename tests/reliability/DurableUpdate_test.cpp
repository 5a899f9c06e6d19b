// How an update reaches the disk: a new file beside the old one, synced
// before it is renamed over it and the folder synced after; the original's
// owner, group and permission bits; and a rewrite in place wherever a rename
// would change what users see (other hard links, an owner the new file
// cannot get) or the temporary file cannot be had. Never a temporary file
// left behind, and nothing written when nothing changed.
#include "files/SigninKey.h"
#include "reliability/Configuration.h"
#include "reliability/FileChecks.h"
#include "reliability/Tools.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace reliability;

namespace {

const std::string Updated = "<h1>Your database configuration file has been updated!</h1>\n";

// The line numbers (from 0) of the trace lines that contain `text`.
std::vector<size_t> LinesWith(const std::vector<std::string>& lines, const std::string& text)
{
    std::vector<size_t> found;
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].find(text) != std::string::npos)
            found.push_back(i);
    return found;
}

// The first update (which makes the history folder) and a later one: the
// replaced content written to its version's temporary file, synced and
// renamed into its name before the new file's rename; the new file synced
// before its rename; then the folder, and the history folder after it (its
// names are on disk by then where one journal serves both folders, and
// need their own sync where it does not).
TEST(DurableUpdate, NewFileSyncedBeforeTheRenameAndTheFolderAfter)
{
    ASSERT_FALSE(ToolPath("strace").empty()) << "strace is missing";
    const std::string start = StartingFile();
    Site site(start);
    std::string before = start;
    for (int id : {4, 5}) {
        SCOPED_TRACE(id == 4 ? "first update" : "second update");
        const std::string body = FormBody(MakeSubmission(id).fields);
        TempDir scratch;
        const std::string log = scratch / "calls";
        const ProgramAnswer answer =
            site.Post(body, Strace({"-y", "-o", log, "-e", "trace=pwrite64,write,fsync,rename,renameat,renameat2"}));
        ASSERT_EQ(0, answer.status) << answer.output;
        std::vector<std::string> lines;
        std::ifstream trace(log);
        // The first update's page makes the database's sign-in key once the
        // change is complete: its calls are none of the change's.
        for (std::string line; std::getline(trace, line) && line.find(SigninKeyName) == std::string::npos;)
            lines.push_back(line);

        const std::string history = site.folder + "/" + HistoryFolder;
        const std::string temporary = "<" + site.ini + "tmp>";
        const std::string versionTemporary = "<" + history + "/shop.initmp>";
        const std::vector<size_t> writes = LinesWith(lines, "write64(");
        const std::vector<size_t> renames = LinesWith(lines, "rename");
        ASSERT_EQ(2u, renames.size()) << ReadFile(log);
        const size_t versionRename = renames[0], rename = renames[1];
        EXPECT_NE(std::string::npos, lines[versionRename].find("<" + history + ">, \"shop.initmp\"")) << lines[versionRename];
        EXPECT_NE(std::string::npos, lines[versionRename].find("RENAME_NOREPLACE")) << lines[versionRename];
        ASSERT_FALSE(writes.empty());
        for (size_t write : writes) {
            const bool version = lines[write].find(versionTemporary) != std::string::npos;
            EXPECT_TRUE(version || lines[write].find(temporary) != std::string::npos)
                << "only the new files are written: " << lines[write];
            EXPECT_LT(write, version ? versionRename : rename) << lines[write];
        }
        // The last sync of `what` (the first update also syncs the folder
        // once it made the history folder in it).
        const auto syncOf = [&](const std::string& what) {
            const std::vector<size_t> found = LinesWith(lines, "fsync(");
            for (auto line = found.rbegin(); line != found.rend(); ++line)
                if (lines[*line].find(what) != std::string::npos)
                    return *line;
            ADD_FAILURE() << "no sync of " << what << " in\n" << ReadFile(log);
            return size_t(0);
        };
        EXPECT_LT(syncOf(versionTemporary), versionRename);
        EXPECT_LT(versionRename, syncOf(temporary));
        EXPECT_LT(syncOf(temporary), rename);
        EXPECT_LT(rename, syncOf("<" + site.folder + ">"));
        EXPECT_LT(syncOf("<" + site.folder + ">"), syncOf("<" + history + ">"));
        EXPECT_EQ(UpdatedFile(start, body), ReadFile(site.ini));
        EXPECT_EQ(before, site.Versions().front());
        before = ReadFile(site.ini);
    }
    EXPECT_EQ(2u, site.Versions().size());
}

TEST(DurableUpdate, OwnerGroupAndModeKept)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give the file to another user";
    const passwd* nobody = ::getpwnam("nobody");
    const group* nogroup = ::getgrnam("nogroup");
    ASSERT_TRUE(nobody != nullptr && nogroup != nullptr);
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(6).fields);
    for (const char* content : {"line feeds", "CR LF"}) {
        Site site(content[0] == 'C' ? WithCrLf(start) : start);
        ASSERT_EQ(0, ::chown(site.ini.c_str(), nobody->pw_uid, nogroup->gr_gid));
        ASSERT_EQ(0, ::chmod(site.ini.c_str(), 0640));
        // Held open, the old file keeps its inode number from being reused.
        const int old = ::open(site.ini.c_str(), O_RDONLY | O_CLOEXEC);
        const ProgramAnswer answer = site.Post(body);
        ASSERT_EQ(0, answer.status) << answer.output;
        const struct stat after = StatusOf(site.ini);
        struct stat before {};
        EXPECT_EQ(0, ::fstat(old, &before));
        ::close(old);
        EXPECT_NE(before.st_ino, after.st_ino) << content << ": the file was not replaced";
        EXPECT_EQ(nobody->pw_uid, after.st_uid) << content;
        EXPECT_EQ(nogroup->gr_gid, after.st_gid) << content;
        EXPECT_EQ(0640u, after.st_mode & 07777) << content;
        EXPECT_EQ(UpdatedFile(start, body), ReadFile(site.ini)) << content;
        EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries()) << content;
        // The content it replaced is kept with the same owner, group and
        // mode, in a folder that only the file's owner may enter.
        EXPECT_EQ(std::vector<std::string>{start}, site.Versions()) << content;
        const std::string history = site.folder + "/" + HistoryFolder;
        for (const std::string& name : FolderEntriesOf(history)) {
            const struct stat version = StatusOf(history + "/" + name, false);
            EXPECT_TRUE(S_ISREG(version.st_mode)) << name;
            EXPECT_EQ(nobody->pw_uid, version.st_uid) << name;
            EXPECT_EQ(nogroup->gr_gid, version.st_gid) << name;
            EXPECT_EQ(0640u, version.st_mode & 07777) << name;
        }
        const struct stat folder = StatusOf(history, false);
        EXPECT_TRUE(S_ISDIR(folder.st_mode));
        EXPECT_EQ(nobody->pw_uid, folder.st_uid);
        EXPECT_EQ(nogroup->gr_gid, folder.st_gid);
        EXPECT_EQ(0700u, folder.st_mode & 07777);
    }
}

// Where a rename cannot be used the file is rewritten in place: the same
// file (inode), updated, and the things around it as they were.
TEST(DurableUpdate, InPlaceWhereARenameWouldChangeWhatUsersSee)
{
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(8).fields);
    const std::string updated = UpdatedFile(start, body);
    struct Case {
        const char* what;
        // Lays out the case; gives the path of the file that holds the content.
        std::string (*arrange)(Site& site);
        // The names the folder holds afterwards.
        std::vector<std::string> entries;
    };
    const Case cases[] = {
        {"another hard link",
         [](Site& site) {
             fs::create_hard_link(site.ini, site.dir / "second-name.ini");
             return site.ini;
         },
         {"shop.ini"}},
        {"a folder at the temporary path",
         [](Site& site) {
             fs::create_directory(site.ini + "tmp");
             return site.ini;
         },
         {"shop.ini", "shop.initmp"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Site site(start);
        const std::string file = c.arrange(site);
        const struct stat before = StatusOf(file);
        const ProgramAnswer answer = site.Post(body);
        ASSERT_EQ(0, answer.status) << answer.output;
        EXPECT_NE(std::string::npos, answer.output.find(Updated));
        EXPECT_EQ(updated, ReadFile(site.ini));
        EXPECT_EQ(before.st_ino, StatusOf(file).st_ino) << "the file was replaced";
        EXPECT_EQ(c.entries, site.FolderEntries());
        if (fs::exists(site.dir / "second-name.ini")) {
            EXPECT_EQ(updated, ReadFile(site.dir / "second-name.ini"));
        }
    }

    // A temporary file that another process holds is not taken either.
    Site site(start);
    WriteFile(site.ini + "tmp", "another request's copy\n");
    HeldLock lock(site.ini + "tmp");
    const ino_t before = StatusOf(site.ini).st_ino;
    const ProgramAnswer answer = site.Post(body);
    ASSERT_EQ(0, answer.status) << answer.output;
    EXPECT_EQ(updated, ReadFile(site.ini));
    EXPECT_EQ(before, StatusOf(site.ini).st_ino);
    EXPECT_EQ("another request's copy\n", ReadFile(site.ini + "tmp"));
}

// The line-end rewrite of a file with another name also keeps the file and
// its names: rewritten in place, then updated in place.
TEST(DurableUpdate, LineEndRewriteInPlaceForHardLinks)
{
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(10).fields);
    Site site(WithCrLf(start));
    const std::string other = site.dir / "elsewhere.ini";
    fs::create_hard_link(site.ini, other);
    const ino_t before = StatusOf(other).st_ino;
    const ProgramAnswer answer = site.Post(body);
    ASSERT_EQ(0, answer.status) << answer.output;
    EXPECT_EQ(UpdatedFile(start, body), ReadFile(other));
    EXPECT_EQ(before, StatusOf(other).st_ino);
    EXPECT_EQ(before, StatusOf(site.ini).st_ino);
    EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
}

// The web server's user may write the file but not own it: the new file
// could not get its owner, so the file is rewritten in place and keeps it;
// nor could a version of it, which is not kept.
TEST(DurableUpdate, InPlaceWhenTheOwnerCannotBeKept)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to drop to an unprivileged user";
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(9).fields);
    Site site(start);
    ASSERT_EQ(0, ::chmod(site.ini.c_str(), 0666));
    ASSERT_EQ(0, ::chmod(site.folder.c_str(), 0777));
    const struct stat before = StatusOf(site.ini);
    const ProgramAnswer answer =
        site.Post(body, Unprivileged());
    ASSERT_EQ(0, answer.status) << answer.output;
    const struct stat after = StatusOf(site.ini);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(0u, after.st_uid);
    EXPECT_EQ(0666u, after.st_mode & 07777);
    EXPECT_EQ(UpdatedFile(start, body), ReadFile(site.ini));
    EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
    // Nor could a version get it: the update says that it kept none.
    EXPECT_TRUE(EndsWith(answer.errors, " (previous configuration not kept: history version: Operation not permitted)\n"))
        << answer.errors;
    EXPECT_TRUE(site.Versions().empty());
}

TEST(DurableUpdate, NothingChangedNothingWritten)
{
    const std::string start = StartingFile();
    Site site(start);
    const std::string body = FormBody(MakeSubmission(2).fields);
    ASSERT_EQ(0, site.Post(body).status);
    const std::string once = ReadFile(site.ini);
    const struct stat before = StatusOf(site.ini);
    const ProgramAnswer again = site.Post(body);
    ASSERT_EQ(0, again.status) << again.output;
    EXPECT_NE(std::string::npos, again.output.find(Updated));
    const struct stat after = StatusOf(site.ini);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(before.st_mtim.tv_sec, after.st_mtim.tv_sec);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
    EXPECT_EQ(once, ReadFile(site.ini));
}

}  // namespace
