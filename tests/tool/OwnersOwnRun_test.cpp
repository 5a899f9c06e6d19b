// An owner without root (a hosting account: a cgi-bin folder of their own,
// whose programs the web server runs as them) runs the tool as themselves:
// it makes their database in their own folder, theirs alone, and changes,
// lists, compares and restores it with their own rights. It trusts no path
// that a user other than root and them can change, as root's run trusts none
// that another user can, and says so in one line before it touches anything.
#include "reliability/Tools.h"
#include "support/Fixture.h"
#include "support/Form.h"
#include "support/IniText.h"
#include "support/Site.h"
#include "tool/ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct stat StatusOf(const std::string& path)
{
    struct stat status {};
    EXPECT_EQ(0, ::lstat(path.c_str(), &status)) << path;
    return status;
}

void Own(const std::string& path, uid_t uid, gid_t gid, mode_t mode)
{
    ASSERT_EQ(0, ::lchown(path.c_str(), uid, gid)) << path;
    if (!fs::is_symlink(path)) {
        ASSERT_EQ(0, ::chmod(path.c_str(), mode)) << path;
    }
}

// The owner: nobody, in its own group.
struct Owner {
    uid_t uid;
    gid_t gid;
};
Owner TheOwner()
{
    const passwd* user = ::getpwnam("nobody");
    EXPECT_NE(nullptr, user) << "no user nobody";
    return user != nullptr ? Owner {user->pw_uid, user->pw_gid} : Owner {65534, 65534};
}

// A model database file, readable by everyone.
struct Model {
    TempDir dir;
    std::string path;
    Model()
    {
        fs::permissions(dir.path(), fs::perms(0755));
        path = dir / "shop.ini";
        WriteFile(path, FixtureIni());
        fs::permissions(path, fs::perms(0644));
    }
};

// The owner's sign-in through the program beside the database, run as the
// owner, as the web server runs a program in the owner's cgi-bin.
ProgramAnswer SignIn(const Site& site, const std::string& password)
{
    return site.Post("DBName=members&act=entrance&password=" + UrlEncode(password), Unprivileged());
}

// The owner's folder (the site's, which holds the program) takes the new
// database; every later command works on it as the owner, and each change
// keeps what it replaced in a history that is the owner's alone.
TEST(OwnersOwnRun, MakesChangesListsComparesAndRestoresTheirOwnDatabase)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run as another user";
    ASSERT_FALSE(ToolPath("setpriv").empty()) << "setpriv is missing";
    const Owner owner = TheOwner();
    const Model model;
    Site site(std::nullopt, "members");
    fs::remove(site.folder);
    Own(site.dir.path(), owner.uid, owner.gid, 0755);
    const auto run = [&](const std::vector<std::string>& args, const std::string& input = "") {
        return RunTool(args, input, "", Unprivileged());
    };

    const ProgramAnswer created = run({"create", "--from", model.path, site.folder}, "first pass\n");
    ASSERT_EQ(0, created.status) << created.errors;
    EXPECT_EQ("created " + site.ini + " for nobody: administration password set, remote administration on, "
              "the database's own passwords random (see them in the form)\n",
              created.output);
    EXPECT_EQ((std::vector<std::string> {"members", "zephconf"}), FolderEntriesOf(site.dir.path()));
    EXPECT_EQ(std::vector<std::string> {"members.ini"}, site.FolderEntries());
    for (const auto& [path, mode] : {std::pair {site.folder, 0700u}, std::pair {site.ini, 0600u}}) {
        const struct stat status = StatusOf(path);
        EXPECT_EQ(owner.uid, status.st_uid) << path;
        EXPECT_EQ(owner.gid, status.st_gid) << path;
        EXPECT_EQ(mode, status.st_mode & 07777) << path;
    }
    const std::string made = ReadFile(site.ini);
    EXPECT_EQ("first pass", IniValue(made, "Administration", "Administration password"));
    const ProgramAnswer signedIn = SignIn(site, "first pass");
    EXPECT_EQ(0, signedIn.status);
    EXPECT_NE(std::string::npos, signedIn.output.find("<form")) << signedIn.output;

    EXPECT_EQ("administration password set for " + site.ini + "\n",
              run({"set-password", site.folder}, "second pass\n").output);
    EXPECT_EQ("remote administration disabled for " + site.ini + "\n", run({"disable-remote", site.folder}).output);
    const ProgramAnswer status = run({"status", site.folder});
    EXPECT_EQ(0, status.status) << status.errors;
    EXPECT_NE(std::string::npos, status.output.find("remote administration: off\nadministration password: set\n"))
        << status.output;

    // "N  TIME  WHO  changed ...", the time cut out.
    std::vector<std::string> listed;
    std::istringstream lines(run({"history", site.folder}).output);
    for (std::string line; std::getline(lines, line);)
        listed.push_back(line.substr(0, 3) + line.substr(std::min(line.size(), line.find('Z') + 1)));
    const std::string who = "  shell tool uid " + std::to_string(owner.uid) + "  changed [Administration] ";
    EXPECT_EQ((std::vector<std::string> {"1  " + who + "Enable Remote Administration",
                                         "2  " + who + "Administration password"}),
              listed);
    EXPECT_EQ("[Administration] Enable Remote Administration: \"1\" → \"0\"\n"
              "[Administration] Administration password: (changed)\n",
              run({"diff", site.folder, "2"}).output);

    const ProgramAnswer restored = run({"restore", site.folder, "2"});
    EXPECT_EQ(0, restored.status) << restored.errors;
    EXPECT_EQ(0u, restored.output.find("restored version 2 (")) << restored.output;
    EXPECT_EQ(made, ReadFile(site.ini));
    EXPECT_EQ(0, SignIn(site, "first pass").status);
    EXPECT_EQ(3u, site.Versions().size());

    // Every file the runs made is the owner's, and open to the owner alone.
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(site.folder)) {
        const struct stat each = StatusOf(entry.path());
        EXPECT_EQ(owner.uid, each.st_uid) << entry.path();
        EXPECT_EQ(owner.gid, each.st_gid) << entry.path();
        EXPECT_EQ(entry.is_directory() ? 0700u : 0600u, each.st_mode & 07777) << entry.path();
    }
}

// Each path a user other than root and the owner can change is refused, in
// one line that names the folder or link, whose it is and who runs the
// tool, and nothing anywhere is changed; the owner's own folders, also in a
// sticky folder and by a name relative to the working folder, are taken.
TEST(OwnersOwnRun, TrustsNoPathAnotherUserCanChange)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run as other users";
    ASSERT_FALSE(ToolPath("setpriv").empty()) << "setpriv is missing";
    const Owner owner = TheOwner();
    const uid_t web = WebServer().uid;
    const gid_t webGroup = WebServer().gid;
    const Model model;
    // {top}: the test's folder, root's; in it home/ is the owner's, holding the
    // owner's database members/, and web/ the web server user's.
    struct Case {
        const char* what;
        void (*prepare)(const std::string& top, const Owner& owner, uid_t web, gid_t webGroup);
        std::vector<std::string> args;  // {top}, {model} replaced
        std::string workingDir;         // {top} replaced; empty: the test's own
        std::string error;              // after "zephconf-admin: "; empty: done
    };
    const auto none = [](const std::string&, const Owner&, uid_t, gid_t) {};
    const std::string trusts = " (run by nobody, zephconf-admin trusts no path that another user can change)";
    const Case cases[] = {
        {"create in another user's folder", none, {"create", "--from", "{model}", "{top}/web/new"}, "",
         "refused: {top}/web belongs to www-data" + trusts},
        {"create in a folder of the owner's that another user's group may write to",
         [](const std::string& top, const Owner& owner, uid_t, gid_t webGroup) {
             ::chown((top + "/home").c_str(), owner.uid, webGroup);
             ::chmod((top + "/home").c_str(), 0775);
         },
         {"create", "--from", "{model}", "{top}/home/new"}, "",
         "refused: {top}/home is writable by group www-data, which www-data is in" + trusts},
        {"a folder of the owner's on the way that everyone may write to",
         [](const std::string& top, const Owner&, uid_t, gid_t) { ::chmod((top + "/home").c_str(), 0777); },
         {"set-password", "{top}/home/members"}, "", "refused: {top}/home is writable by everyone" + trusts},
        {"another user's link on the way",
         [](const std::string& top, const Owner&, uid_t web, gid_t webGroup) {
             fs::create_symlink(top + "/home", top + "/alias");
             ::lchown((top + "/alias").c_str(), web, webGroup);
         },
         {"status", "{top}/alias/members"}, "", "refused: {top}/alias is a symbolic link of www-data" + trusts},
        {"another user's database folder",
         [](const std::string& top, const Owner&, uid_t web, gid_t webGroup) {
             ::chown((top + "/home/members").c_str(), web, webGroup);
         },
         {"history", "{top}/home/members"}, "", "refused: {top}/home/members belongs to www-data" + trusts},
        {"the owner's database folder that everyone may write to",
         [](const std::string& top, const Owner&, uid_t, gid_t) { ::chmod((top + "/home/members").c_str(), 0777); },
         {"restore", "{top}/home/members", "1"}, "",
         "refused: {top}/home/members belongs to nobody but is writable by everyone" + trusts},
        {"the owner's link at the file into another user's folder",
         [](const std::string& top, const Owner& owner, uid_t, gid_t) {
             WriteFile(top + "/web/members.ini", FixtureIni());
             fs::remove(top + "/home/members/members.ini");
             fs::create_symlink(top + "/web/members.ini", top + "/home/members/members.ini");
             ::lchown((top + "/home/members/members.ini").c_str(), owner.uid, owner.gid);
         },
         {"enable-remote", "{top}/home/members"}, "", "refused: {top}/web belongs to www-data" + trusts},
        {"a sticky folder on the way holding another user's folder",
         [](const std::string& top, const Owner&, uid_t web, gid_t webGroup) {
             fs::create_directories(top + "/sticky/theirs");
             ::chmod((top + "/sticky").c_str(), 01777);
             ::chown((top + "/sticky/theirs").c_str(), web, webGroup);
         },
         {"create", "--from", "{model}", "{top}/sticky/theirs/new"}, "",
         "refused: {top}/sticky is writable by everyone, and {top}/sticky/theirs in it belongs to www-data" + trusts},
        {"a database for another user", none, {"create", "--owner", "www-data", "--from", "{model}", "{top}/home/new"},
         "", "only root can create a database for another user (www-data)"},
        {"a sticky folder on the way holding the owner's folder",
         [](const std::string& top, const Owner& owner, uid_t, gid_t) {
             fs::create_directories(top + "/sticky/mine");
             ::chmod((top + "/sticky").c_str(), 01777);
             ::chown((top + "/sticky/mine").c_str(), owner.uid, owner.gid);
         },
         {"create", "--from", "{model}", "{top}/sticky/mine/new"}, "", ""},
        {"a name relative to the owner's folder", none, {"create", "--from", "{model}", "new"}, "{top}/home", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string top = dir.path().string();
        ASSERT_EQ(0, ::chmod(top.c_str(), 0755));
        fs::create_directories(top + "/home/members");
        WriteFile(top + "/home/members/members.ini", FixtureIni());
        Own(top + "/home", owner.uid, owner.gid, 0755);
        Own(top + "/home/members", owner.uid, owner.gid, 0700);
        Own(top + "/home/members/members.ini", owner.uid, owner.gid, 0600);
        fs::create_directory(top + "/web");
        Own(top + "/web", web, webGroup, 0755);
        c.prepare(top, owner, web, webGroup);
        const auto fill = [&](const std::string& text) {
            return FillMarks(text, {{"{top}", top}, {"{model}", model.path}});
        };
        std::vector<std::string> args;
        for (const std::string& arg : c.args)
            args.push_back(fill(arg));
        const auto before = Snapshot(top);
        const ProgramAnswer answer = RunTool(args, "n3w pass\n", fill(c.workingDir), Unprivileged());
        if (c.error.empty()) {
            EXPECT_EQ(0, answer.status) << answer.errors;
            const std::string made = fill(c.workingDir.empty() ? args.back() : c.workingDir + "/" + args.back());
            EXPECT_EQ(owner.uid, StatusOf(made + "/new.ini").st_uid);
            continue;
        }
        EXPECT_EQ(1, answer.status);
        EXPECT_EQ("zephconf-admin: " + fill(c.error) + "\n", answer.errors);
        EXPECT_EQ("", answer.output);
        EXPECT_EQ(before, Snapshot(top));
    }
}

}  // namespace
