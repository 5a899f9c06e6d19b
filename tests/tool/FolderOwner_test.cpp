// Run by root on a database folder that the web server's user owns, the tool
// works with that user's rights: whatever that user plants in the folder (a
// symbolic link in the file's place, before the run or swapped in during it)
// cannot make it read, write or remove anything that user could not. Anyone
// else works with their own rights, as before.
#include "reliability/Tools.h"
#include "support/Fixture.h"
#include "support/IniText.h"
#include "support/Site.h"
#include "tool/ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct stat LinkStatus(const std::string& path)
{
    struct stat status {};
    EXPECT_EQ(0, ::lstat(path.c_str(), &status)) << path;
    return status;
}

// The call that gives a process the web server user's groups, as a login
// has them (none of them root's here), in strace's words.
std::string WebServerGroupsCall()
{
    std::vector<gid_t> groups(64);
    int count = static_cast<int>(groups.size());
    EXPECT_GE(::getgrouplist("www-data", WebServer().gid, groups.data(), &count), 0);
    groups.resize(static_cast<size_t>(std::max(count, 0)));
    EXPECT_EQ(groups.end(), std::find(groups.begin(), groups.end(), 0u));
    std::string list;
    for (const gid_t group : groups)
        list += (list.empty() ? "" : ", ") + std::to_string(group);
    return "setgroups(" + std::to_string(groups.size()) + ", [" + list + "]) = 0";
}

// Root's run on a web server's database: the file written is the user's,
// 0600 as before, and it is written only after the rights were dropped
// (no call names the file before setresuid), although the user may not pass
// the folders on the way to the database's folder.
TEST(FolderOwner, RootWorksWithTheFolderOwnersRights)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    ASSERT_FALSE(ToolPath("strace").empty()) << "strace is missing";
    Site site(FixtureIni());
    GiveToWebServer(site);
    ASSERT_EQ(0, ::chmod(site.dir.path().c_str(), 0700));
    TempDir scratch;
    const std::string log = scratch / "calls";
    const ProgramAnswer answer =
        RunTool({"set-password", site.folder}, "n3w pass\n", "",
                Strace({"-o", log, "-e", "trace=setgroups,setresgid,setresuid,%file,%desc"}));

    EXPECT_EQ(0, answer.status) << answer.errors;
    EXPECT_EQ("administration password set for " + site.ini + "\n", answer.output);
    EXPECT_EQ(WithIniValue(FixtureIni(), "Administration", "Administration password", "n3w pass"), ReadFile(site.ini));
    const struct stat file = LinkStatus(site.ini);
    EXPECT_EQ(WebServer().uid, file.st_uid);
    EXPECT_EQ(WebServer().gid, file.st_gid);
    EXPECT_EQ(0600u, file.st_mode & 07777);
    EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());

    const std::string ids = std::to_string(WebServer().uid);
    const std::string groups = std::to_string(WebServer().gid);
    // The user's groups, its group and the user, in that order, before
    // anything in the folder is looked at.
    const std::vector<std::string> drops = {WebServerGroupsCall(),
                                            "setresgid(" + groups + ", " + groups + ", " + groups + ") = 0",
                                            "setresuid(" + ids + ", " + ids + ", " + ids + ") = 0"};
    size_t dropped = 0;
    for (const std::string& line : StraceLines(log)) {
        if (dropped < drops.size() && line == drops[dropped]) {
            ++dropped;
        } else if (dropped < drops.size()) {
            EXPECT_EQ(std::string::npos, line.find("shop.ini")) << "before the rights were dropped: " << line;
        }
    }
    EXPECT_EQ(drops.size(), dropped) << ReadFile(log);
}

// A link at the database file's name to a root-only file (world-readable, in
// a 0700 folder, a "tmp" file beside it) or to a device there: planted
// before the run, or swapped in for the plain file between the tool's two
// opens of it (after the first has rewritten its CR LF line ends; strace
// holds the second back). The tool meets the user's "Permission denied" and
// says so; the target, and what stands beside it, are as they were.
TEST(FolderOwner, LinksToRootOnlyFilesMeetPermissionDenied)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    ASSERT_FALSE(ToolPath("strace").empty()) << "strace is missing";
    for (const bool device : {false, true}) {
        for (const bool swapped : {false, true}) {
            SCOPED_TRACE(std::string(device ? "a device" : "a root-only file") + (swapped ? ", swapped in" : ", planted"));
            Site site(swapped ? WithCrLf(FixtureIni()) : FixtureIni());
            GiveToWebServer(site);
            const std::string rootOnly = site.dir / "root-only";
            ASSERT_TRUE(fs::create_directory(rootOnly));
            ASSERT_EQ(0, ::chmod(rootOnly.c_str(), 0700));
            const std::string target = rootOnly + (device ? "/device" : "/secret");
            if (device) {
                ASSERT_EQ(0, ::mknod(target.c_str(), S_IFCHR | 0666, makedev(1, 3))) << "cannot make a device";
            } else {
                WriteFile(target, "root's own\n");
                ASSERT_EQ(0, ::chmod(target.c_str(), 0644));
            }
            WriteFile(target + "tmp", "beside\n");
            const struct stat targetBefore = LinkStatus(target);
            const std::string link = site.folder + "/link";
            fs::create_symlink(target, link);
            ASSERT_EQ(0, ::lchown(link.c_str(), WebServer().uid, WebServer().gid));

            std::vector<std::string> wrapper;
            std::thread swap;
            std::atomic<bool> swappedIn {false};
            if (!swapped) {
                fs::rename(link, site.ini);
            } else {
                // A first run on a copy finds which open is the second of the file.
                Site copy(WithCrLf(FixtureIni()));
                GiveToWebServer(copy);
                TempDir scratch;
                const std::string log = scratch / "calls";
                ASSERT_EQ(0, RunTool({"enable-remote", copy.folder}, "", "",
                                     Strace({"-o", log, "-e", "trace=openat"}))
                                 .status);
                const int second = OpenCallNumber(log, "shop.ini", 2);
                ASSERT_GT(second, 0) << ReadFile(log);
                wrapper = Strace({"-o", "/dev/null", "-e", "trace=openat", "-e",
                                  "inject=openat:delay_enter=1500000:when=" + std::to_string(second)});
                const ino_t crLfFile = LinkStatus(site.ini).st_ino;
                swap = std::thread([&site, &link, &swappedIn, crLfFile] {
                    // The line-end rewrite has replaced the file: the first open is done.
                    for (int wait = 0; wait < 20000; ++wait) {
                        struct stat now {};
                        if (::lstat(site.ini.c_str(), &now) == 0 && now.st_ino != crLfFile) {
                            fs::rename(link, site.ini);
                            swappedIn = true;
                            return;
                        }
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    }
                });
            }
            const ProgramAnswer answer = RunTool({"set-password", site.folder}, "leaked-pass\n", "", wrapper);
            if (swap.joinable()) {
                swap.join();
                EXPECT_TRUE(swappedIn);
            }

            EXPECT_EQ(1, answer.status);
            EXPECT_EQ("zephconf-admin: cannot open " + site.ini + ": Permission denied\n", answer.errors);
            EXPECT_EQ("", answer.output);
            const struct stat targetAfter = LinkStatus(target);
            EXPECT_EQ(targetBefore.st_ino, targetAfter.st_ino);
            EXPECT_EQ(targetBefore.st_mode, targetAfter.st_mode);
            EXPECT_EQ(targetBefore.st_rdev, targetAfter.st_rdev);
            EXPECT_EQ(targetBefore.st_size, targetAfter.st_size);
            if (!device) {
                EXPECT_EQ("root's own\n", ReadFile(target));
            }
            EXPECT_EQ("beside\n", ReadFile(target + "tmp"));
            const std::vector<std::string> entries = {fs::path(target).filename().string(),
                                                      fs::path(target).filename().string() + "tmp"};
            EXPECT_EQ(entries, FolderEntriesOf(rootOnly));
            EXPECT_TRUE(fs::is_symlink(site.ini));
        }
    }
}

// A database folder given to the web server's user alone (its group still
// root's, as `chown www-data FOLDER` leaves it): root's run takes the user's
// own groups, never the folder's. The user's link at the file's name to a
// file of group root, in a folder that group may enter, and a version the
// user planted to be restored into it, reach nothing: the tool meets the
// user's "Permission denied", the file as it was.
TEST(FolderOwner, RootTakesTheOwnersGroupsNeverTheFolders)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    ASSERT_FALSE(ToolPath("strace").empty()) << "strace is missing";
    Site site(FixtureIni());
    GiveToWebServer(site);
    ASSERT_EQ(0, ::chown(site.folder.c_str(), WebServer().uid, 0));
    ASSERT_EQ(0, ::chmod(site.folder.c_str(), 0770));
    // Root's group may pass the folders on the way, the user may not.
    ASSERT_EQ(0, ::chmod(site.dir.path().c_str(), 0750));
    const std::string rootGroupOnly = site.dir / "root-group";
    ASSERT_TRUE(fs::create_directory(rootGroupOnly));
    ASSERT_EQ(0, ::chmod(rootGroupOnly.c_str(), 0750));
    const std::string target = rootGroupOnly + "/shop.ini";
    WriteFile(target, "root's own\n");
    ASSERT_EQ(0, ::chmod(target.c_str(), 0660));
    ASSERT_EQ(0, ::unlink(site.ini.c_str()));
    fs::create_symlink(target, site.ini);
    ASSERT_EQ(0, ::lchown(site.ini.c_str(), WebServer().uid, WebServer().gid));
    const std::string history = site.folder + "/" + HistoryFolder;
    ASSERT_TRUE(fs::create_directory(history));
    const std::string version = history + "/shop.ini.20200101T000000Z.0123456789abcdef.www-data";
    WriteFile(version, "[planted]\nby=www-data\n");
    for (const std::string& path : {history, version})
        ASSERT_EQ(0, ::chown(path.c_str(), WebServer().uid, WebServer().gid));

    TempDir scratch;
    const std::string log = scratch / "calls";
    const ProgramAnswer answer =
        RunTool({"restore", site.folder, "1"}, "", "", Strace({"-o", log, "-e", "trace=setgroups,setresgid"}));
    EXPECT_EQ(1, answer.status);
    EXPECT_EQ("zephconf-admin: cannot open " + site.ini + ": Permission denied\n", answer.errors);
    EXPECT_EQ("root's own\n", ReadFile(target));
    EXPECT_EQ((std::vector<std::string> {"shop.ini"}), FolderEntriesOf(rootGroupOnly));

    const std::string gid = std::to_string(WebServer().gid);
    EXPECT_EQ((std::vector<std::string> {WebServerGroupsCall(), "setresgid(" + gid + ", " + gid + ", " + gid + ") = 0"}),
              StraceLines(log));
}

// A folder whose owner has no account: root cannot know that user's groups,
// and takes none in its stead; the file is as it was.
TEST(FolderOwner, OwnerWithoutAnAccountIsRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    const uid_t stranger = 54321;
    ASSERT_EQ(nullptr, ::getpwuid(stranger));
    Site site(FixtureIni());
    ASSERT_EQ(0, ::chown(site.folder.c_str(), stranger, stranger));
    ASSERT_EQ(0, ::chown(site.ini.c_str(), stranger, stranger));
    const ProgramAnswer answer = RunTool({"disable-remote", site.folder});
    EXPECT_EQ(1, answer.status);
    EXPECT_EQ("zephconf-admin: " + site.folder + " belongs to uid 54321, which has no account: "
              "zephconf-admin would not know its groups\n",
              answer.errors);
    EXPECT_EQ(FixtureIni(), ReadFile(site.ini));
}

// A file in the web server's folder that only root may open: one line names
// both owners and the chown that mends it; after that chown the tool works.
TEST(FolderOwner, FileOfAnotherOwnerIsRefusedWithTheChownThatMendsIt)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    for (const char* command : {"enable-remote", "status"}) {
        SCOPED_TRACE(command);
        Site site(FixtureIni());
        GiveToWebServer(site);
        ASSERT_EQ(0, ::chown(site.ini.c_str(), 0, 0));
        const ProgramAnswer refused = RunTool({command, site.folder});
        EXPECT_EQ(1, refused.status);
        const std::string chown = "chown www-data:www-data " + site.ini;
        EXPECT_EQ("zephconf-admin: cannot open " + site.ini + ": it belongs to root, but its folder to www-data, "
                  "as whom zephconf-admin acts; mend it with: " + chown + "\n",
                  refused.errors);
        EXPECT_EQ(FixtureIni(), ReadFile(site.ini));

        ASSERT_EQ(0, std::system(chown.c_str()));
        const ProgramAnswer mended = RunTool({command, site.folder});
        EXPECT_EQ(0, mended.status) << mended.errors;
    }
}

// Whoever else runs the tool works with their own rights, as before, and
// only in a folder of their own or root's: another user's is refused before
// anything in it is looked at.
TEST(FolderOwner, OthersWorkWithTheirOwnRights)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run as other users";
    ASSERT_FALSE(ToolPath("setpriv").empty()) << "setpriv is missing";
    struct Case {
        const char* what;
        std::vector<std::string> runner;
        bool webServersFolder;  // else root's, 0755, its file root's 0644
        int status;
        std::string error;  // {folder}, {ini}: the site's
    };
    const Case cases[] = {
        {"root on root's folder", {}, false, 0, ""},
        {"the web server's user on its folder", RunAs("www-data", "www-data"), true, 0, ""},
        {"nobody on the web server's folder", RunAs("nobody", "nogroup"), true, 1,
         "refused: {folder} belongs to www-data (run by nobody, zephconf-admin trusts no path that another user "
         "can change)"},
        {"the web server's user on root's folder", RunAs("www-data", "www-data"), false, 1,
         "cannot open {ini}: Permission denied"},
    };
    const std::string off = WithIniValue(FixtureIni(), "Administration", "Enable Remote Administration", "0");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Site site(FixtureIni());
        if (c.webServersFolder)
            GiveToWebServer(site);
        else
            ASSERT_EQ(0, ::chmod(site.ini.c_str(), 0644));
        const struct stat before = LinkStatus(site.ini);
        const ProgramAnswer answer = RunTool({"disable-remote", site.folder}, "", "", c.runner);
        EXPECT_EQ(c.status, answer.status);
        std::string error = c.error;
        for (const auto& [mark, value] : {std::pair{"{folder}", site.folder}, std::pair{"{ini}", site.ini}})
            if (const size_t at = error.find(mark); at != std::string::npos)
                error.replace(at, std::string(mark).size(), value);
        EXPECT_EQ(error.empty() ? "" : "zephconf-admin: " + error + "\n", answer.errors);
        EXPECT_EQ(c.status == 0 ? off : FixtureIni(), ReadFile(site.ini));
        const struct stat after = LinkStatus(site.ini);
        EXPECT_EQ(before.st_uid, after.st_uid);
        EXPECT_EQ(before.st_mode, after.st_mode);
    }
}

}  // namespace
