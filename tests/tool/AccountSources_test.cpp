// The tool knows users and groups as the system's account lookup gives them,
// from every source it names, not from the account files alone: here the
// source "extrausers" (its own passwd and group files), which a directory
// service stands for. Its accounts own folders, are taken with their groups,
// and name who may write where, exactly as the files' accounts are.
//
// The source is the system's only inside a mount namespace of the run's own
// (ExtraUsers::Wrapper): the machine's nsswitch.conf and /var/lib/extrausers
// stay as they are.
#include "reliability/Tools.h"
#include "support/Fixture.h"
#include "support/IniText.h"
#include "support/Site.h"
#include "tool/ToolRun.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The source's accounts, none of them known to the account files.
constexpr uid_t Owner = 47101;
constexpr gid_t OwnersGroup = 47101, Team = 47103, Crew = 47104;
const std::string ExtraPasswd =
    "zeph-owner:x:47101:47101:a database's owner:/nonexistent:/usr/sbin/nologin\n"
    "zeph-other:x:47102:47103:in zeph-team by its primary group only:/nonexistent:/usr/sbin/nologin\n"
    "zeph-guest:x:47105:47105:in zeph-crew:/nonexistent:/usr/sbin/nologin\n";
const std::string ExtraGroup =
    "zeph-owner:x:47101:\n"
    "zeph-guest:x:47105:\n"
    "zeph-team:x:47103:zeph-owner\n"
    "zeph-crew:x:47104:zeph-guest,zeph-owner\n";

// The source's files, and the system's nsswitch.conf with the source added
// for users and groups, in a folder of the test's.
struct ExtraUsers {
    TempDir dir;

    ExtraUsers()
    {
        fs::create_directory(dir / "extrausers");
        WriteFile(dir / "extrausers/passwd", ExtraPasswd);
        WriteFile(dir / "extrausers/group", ExtraGroup);
        std::ifstream system("/etc/nsswitch.conf");
        std::string switched;
        for (std::string line; std::getline(system, line);) {
            if (line.rfind("passwd:", 0) == 0 || line.rfind("group:", 0) == 0)
                line += " extrausers";
            switched += line + "\n";
        }
        WriteFile(dir / "nsswitch.conf", switched);
    }

    // A command in front of the tool (then `then`, as strace or setpriv):
    // a mount namespace of its own, in which the test's files cover the
    // system's.
    std::vector<std::string> Wrapper(const std::vector<std::string>& then = {}) const
    {
        std::vector<std::string> wrapper = {
            ToolPath("unshare"), "--mount", "--propagation", "private", ToolPath("sh"), "-c",
            "\"$1\" --bind \"$2/nsswitch.conf\" /etc/nsswitch.conf && \"$1\" --bind \"$2/extrausers\" "
            "/var/lib/extrausers && shift 2 && exec \"$@\"",
            "sh", ToolPath("mount"), dir.path().string()};
        wrapper.insert(wrapper.end(), then.begin(), then.end());
        return wrapper;
    }
};

// Whether the source answers inside the namespace: the package is there and
// the namespace can be had.
bool SourceAnswers(const ExtraUsers& users)
{
    std::string command;
    for (const std::string& word : users.Wrapper({ToolPath("getent"), "passwd", "zeph-owner"}))
        command += "'" + word + "' ";
    return std::system((command + ">/dev/null 2>&1").c_str()) == 0;
}

void Own(const std::string& path, uid_t uid, gid_t gid, mode_t mode)
{
    ASSERT_EQ(0, ::lchown(path.c_str(), uid, gid)) << path;
    if (!fs::is_symlink(path)) {
        ASSERT_EQ(0, ::chmod(path.c_str(), mode)) << path;
    }
}

std::string Filled(std::string text, const std::string& top)
{
    for (size_t at; (at = text.find("{top}")) != std::string::npos;)
        text.replace(at, 5, top);
    return text;
}

struct stat StatusOf(const std::string& path)
{
    struct stat status {};
    EXPECT_EQ(0, ::lstat(path.c_str(), &status)) << path;
    return status;
}

const std::string Trusts = ", zephconf-admin trusts no path that another user can change)";

// Root on the source's user's database: it becomes that user with the
// groups the source gives it, as a login has them, and changes the file,
// whose owner and mode stay. Without the source the same folder's owner has
// no account, and root refuses to guess its groups.
TEST(AccountSources, RootTakesTheOwnerAndGroupsFromTheSystemsLookup)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    ASSERT_FALSE(ToolPath("strace").empty()) << "strace is missing";
    const ExtraUsers users;
    ASSERT_TRUE(SourceAnswers(users)) << "no account source extrausers in a mount namespace: libnss-extrausers "
                                         "is missing (scripts/build installs it) or unshare is refused";
    Site site(FixtureIni());
    Own(site.folder, Owner, OwnersGroup, 0700);
    Own(site.ini, Owner, OwnersGroup, 0600);

    const ProgramAnswer without = RunTool({"disable-remote", site.folder});
    EXPECT_EQ(1, without.status);
    EXPECT_EQ("zephconf-admin: " + site.folder + " belongs to uid 47101, which has no account: "
              "zephconf-admin would not know its groups\n",
              without.errors);
    EXPECT_EQ(FixtureIni(), ReadFile(site.ini));

    TempDir scratch;
    const std::string log = scratch / "calls";
    const ProgramAnswer answer =
        RunTool({"disable-remote", site.folder}, "", "",
                users.Wrapper(Strace({"-o", log, "-e", "trace=setgroups,setresgid,setresuid"})));
    EXPECT_EQ(0, answer.status) << answer.errors;
    EXPECT_EQ("remote administration disabled for " + site.ini + "\n", answer.output);
    EXPECT_EQ(WithIniValue(FixtureIni(), "Administration", "Enable Remote Administration", "0"), ReadFile(site.ini));
    const struct stat file = StatusOf(site.ini);
    EXPECT_EQ(Owner, file.st_uid);
    EXPECT_EQ(OwnersGroup, file.st_gid);
    EXPECT_EQ(0600u, file.st_mode & 07777);
    EXPECT_EQ((std::vector<std::string> {"setgroups(3, [47101, 47103, 47104]) = 0",
                                         "setresgid(47101, 47101, 47101) = 0", "setresuid(47101, 47101, 47101) = 0"}),
              StraceLines(log));
}

// create --owner with a user of the source: the folder and file are that
// user's and its group's; root's run writes them as that user.
TEST(AccountSources, CreateGivesTheDatabaseToTheSourcesUser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    const ExtraUsers users;
    ASSERT_TRUE(SourceAnswers(users)) << "no account source extrausers: libnss-extrausers is missing";
    TempDir modelDir;
    ASSERT_EQ(0, ::chmod(modelDir.path().c_str(), 0755));
    const std::string model = modelDir / "shop.ini";
    WriteFile(model, FixtureIni());
    ASSERT_EQ(0, ::chmod(model.c_str(), 0644));
    Site site(std::nullopt, "bazaar");
    fs::remove(site.folder);

    const ProgramAnswer answer =
        RunTool({"create", "--owner", "zeph-owner", "--from", model, site.folder}, "pass\n", "", users.Wrapper());
    EXPECT_EQ(0, answer.status) << answer.errors;
    EXPECT_EQ(0u, answer.output.find("created " + site.ini + " for zeph-owner: ")) << answer.output;
    for (const auto& [path, mode] : {std::pair {site.folder, 0700u}, std::pair {site.ini, 0600u}}) {
        const struct stat status = StatusOf(path);
        EXPECT_EQ(Owner, status.st_uid) << path;
        EXPECT_EQ(OwnersGroup, status.st_gid) << path;
        EXPECT_EQ(mode, status.st_mode & 07777) << path;
    }
    EXPECT_EQ("pass", IniValue(ReadFile(site.ini), "Administration", "Administration password"));
}

// Who else may write where is asked of the source too: a group that lists
// another of its users, or that another has as its primary group, lets that
// user change the folder, and the refusal names them; a group of the owner's
// alone passes. A folder or link of the source's user on root's way is
// named by its name. Run by the source's user itself, its own group passes
// on the way and a group with another member does not.
TEST(AccountSources, WhoMayWriteIsAskedOfTheSource)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    ASSERT_FALSE(ToolPath("setpriv").empty()) << "setpriv is missing";
    const ExtraUsers users;
    ASSERT_TRUE(SourceAnswers(users)) << "no account source extrausers: libnss-extrausers is missing";
    struct Case {
        const char* what;
        gid_t folderGroup;      // the database folder's, 0770 but for the owner's own group
        std::string wayOwner;   // "": {top}/way is root's 0755; else a user of the source owns it
        gid_t wayGroup;         // with this group, 0775 (when wayOwner is given)
        bool asOwner;           // run by zeph-owner, else by root
        std::string error;      // after "zephconf-admin: "; empty: the change is made
    };
    const Case cases[] = {
        {"a group that lists another user", Crew, "", 0, false,
         "refused: {top}/way/shop belongs to zeph-owner but is writable by group zeph-crew, which zeph-guest is in "
         "(run by root" + Trusts},
        {"a group that is another user's primary group", Team, "", 0, false,
         "refused: {top}/way/shop belongs to zeph-owner but is writable by group zeph-team, which zeph-other is in "
         "(run by root" + Trusts},
        {"the owner's own group", OwnersGroup, "", 0, false, ""},
        {"a folder of the source's user on root's way", OwnersGroup, "zeph-owner", OwnersGroup, false,
         "refused: {top}/way belongs to zeph-owner (run by root" + Trusts},
        {"the owner's run: its own folder, writable by its own group, on the way", OwnersGroup, "zeph-owner",
         OwnersGroup, true, ""},
        {"the owner's run: its folder on the way writable by a group with another member", OwnersGroup, "zeph-owner",
         Crew, true, "refused: {top}/way is writable by group zeph-crew, which zeph-guest is in (run by zeph-owner"
         + Trusts},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string top = dir.path().string();
        ASSERT_EQ(0, ::chmod(top.c_str(), 0755));
        const std::string way = top + "/way", folder = way + "/shop";
        fs::create_directories(folder);
        WriteFile(folder + "/shop.ini", FixtureIni());
        if (c.wayOwner.empty())
            Own(way, 0, 0, 0755);
        else
            Own(way, Owner, c.wayGroup, 0775);
        Own(folder, Owner, c.folderGroup, c.folderGroup == OwnersGroup ? 0700 : 0770);
        Own(folder + "/shop.ini", Owner, OwnersGroup, 0600);
        const std::vector<std::string> runner =
            c.asOwner ? std::vector<std::string> {ToolPath("setpriv"), "--reuid=zeph-owner", "--regid=zeph-owner",
                                                  "--init-groups"}
                      : std::vector<std::string> {};

        const ProgramAnswer answer = RunTool({"disable-remote", folder}, "", "", users.Wrapper(runner));
        const std::string off = WithIniValue(FixtureIni(), "Administration", "Enable Remote Administration", "0");
        if (c.error.empty()) {
            EXPECT_EQ(0, answer.status) << answer.errors;
            EXPECT_EQ(off, ReadFile(folder + "/shop.ini"));
        } else {
            EXPECT_EQ(1, answer.status);
            EXPECT_EQ("zephconf-admin: " + Filled(c.error, top) + "\n", answer.errors);
            EXPECT_EQ(FixtureIni(), ReadFile(folder + "/shop.ini"));
        }
        EXPECT_EQ(Owner, StatusOf(folder + "/shop.ini").st_uid);
    }
}

}  // namespace
