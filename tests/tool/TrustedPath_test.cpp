// Run by root, the tool takes a path only through folders that no other user
// can change: a folder on the way that the web server's user owns or may
// write to, or a link that user made, is refused before anything is looked
// at in it, and nothing anywhere is changed. Root's own links, and a sticky
// folder where the next name is root's, are passed.
#include "reliability/Tools.h"
#include "support/Fixture.h"
#include "support/Site.h"
#include "tool/ToolRun.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void Own(const std::string& path, uid_t uid, gid_t gid, mode_t mode)
{
    ASSERT_EQ(0, ::lchown(path.c_str(), uid, gid)) << path;
    if (!fs::is_symlink(path)) {
        ASSERT_EQ(0, ::chmod(path.c_str(), mode)) << path;
    }
}

// A database of root's in the folder `folder`: folder/shop/shop.ini.
void RootsDatabase(const std::string& folder)
{
    fs::create_directories(folder + "/shop");
    WriteFile(folder + "/shop/shop.ini", FixtureIni());
    Own(folder + "/shop/shop.ini", 0, 0, 0600);
}

const std::string Trusts = " (run by root, zephconf-admin trusts no path that another user can change)";

// The database folder {top}/NAME, owned `uid`:`gid` with `mode`, its file
// NAME.ini a link of the web server user's to root's {top}/root-only/shop/shop.ini,
// and a version the user planted to be restored into it.
void PlantedLinkIn(const std::string& top, const std::string& name, uid_t uid, gid_t gid, mode_t mode)
{
    const std::string folder = top + "/" + name;
    fs::create_directory(folder);
    Own(folder, uid, gid, mode);
    const std::string link = folder + "/" + name + ".ini";
    fs::create_symlink(top + "/root-only/shop/shop.ini", link);
    Own(link, WebServer().uid, WebServer().gid, 0);
    fs::create_directory(folder + "/" + HistoryFolder);
    Own(folder + "/" + HistoryFolder, WebServer().uid, WebServer().gid, 0700);
    const std::string version = folder + "/" + HistoryFolder + "/" + name + ".ini.20200101T000000Z.0123456789abcdef.www-data";
    WriteFile(version, "[planted]\nby=www-data\n");
    Own(version, WebServer().uid, WebServer().gid, 0600);
}

// Root's database folder {top}/linked (0755) whose file is root's link to `target`.
void RootsLinkTo(const std::string& top, const std::string& target)
{
    fs::create_directory(top + "/linked");
    fs::create_symlink(target, top + "/linked/linked.ini");
}

TEST(TrustedPath, RootRefusesAPathAnotherUserCanChange)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    const uid_t web = WebServer().uid;
    const gid_t webGroup = WebServer().gid;
    // {top}: the test's folder, root's; in it web/ is the web server user's,
    // root-only/ root's alone, holding root's database shop/.
    struct Case {
        const char* what;
        void (*prepare)(const std::string& top, uid_t web, gid_t webGroup);
        std::vector<std::string> args;  // {top} replaced
        std::string workingDir;         // {top} replaced; empty: the test's own
        std::string error;              // after "zephconf-admin: refused: "
    };
    const auto none = [](const std::string&, uid_t, gid_t) {};
    const Case cases[] = {
        {"a database folder made a link to root's, in the user's folder",
         [](const std::string& top, uid_t, gid_t) {
             fs::create_symlink(top + "/root-only/shop", top + "/web/shop");
         },
         {"set-password", "{top}/web/shop"}, "", "{top}/web belongs to www-data"},
        {"the same, named from the user's folder",
         [](const std::string& top, uid_t, gid_t) {
             fs::create_symlink(top + "/root-only/shop", top + "/web/shop");
         },
         {"status", "shop"}, "{top}/web", "{top}/web belongs to www-data"},
        {"create through the user's link to root's folder",
         [](const std::string& top, uid_t, gid_t) { fs::create_symlink(top + "/root-only", top + "/web/sites"); },
         {"create", "{top}/web/sites/newdb"}, "", "{top}/web belongs to www-data"},
        {"create in the user's folder", none, {"create", "{top}/web/shop2"}, "", "{top}/web belongs to www-data"},
        {"a folder the user's group may write to",
         [](const std::string& top, uid_t, gid_t webGroup) {
             fs::create_directory(top + "/group");
             fs::rename(top + "/root-only/shop", top + "/group/shop");
             ::chown((top + "/group").c_str(), 0, webGroup);
             ::chmod((top + "/group").c_str(), 0775);
         },
         {"enable-remote", "{top}/group/shop/shop.ini"}, "", "{top}/group is writable by group www-data"},
        {"a link the user made in root's folder",
         [](const std::string& top, uid_t web, gid_t webGroup) {
             fs::create_symlink(top + "/root-only/shop", top + "/alias");
             ::lchown((top + "/alias").c_str(), web, webGroup);
         },
         {"disable-remote", "{top}/alias"}, "", "{top}/alias is a symbolic link of www-data"},
        {"a sticky folder holding the user's folder on the way",
         [](const std::string& top, uid_t web, gid_t webGroup) {
             fs::create_directory(top + "/sticky");
             ::chmod((top + "/sticky").c_str(), 01777);
             fs::create_directory(top + "/sticky/users");
             ::chown((top + "/sticky/users").c_str(), web, webGroup);
         },
         {"create", "{top}/sticky/users/newdb"}, "",
         "{top}/sticky is writable by everyone, and {top}/sticky/users in it belongs to www-data"},
        // Root stays root in a folder of root's: the folder itself is checked
        // as those on the way, and a link at its file is walked as a path.
        {"root's database folder that the user's group may write to, its file the user's link",
         [](const std::string& top, uid_t, gid_t webGroup) { PlantedLinkIn(top, "shared", 0, webGroup, 0770); },
         {"enable-remote", "{top}/shared"}, "", "{top}/shared is writable by group www-data"},
        {"the same, a planted version restored",
         [](const std::string& top, uid_t, gid_t webGroup) { PlantedLinkIn(top, "shared", 0, webGroup, 0770); },
         {"restore", "{top}/shared/shared.ini", "1"}, "", "{top}/shared is writable by group www-data"},
        {"root's sticky database folder: it passes nothing",
         [](const std::string& top, uid_t, gid_t) {
             fs::create_directory(top + "/tmp");
             ::chmod((top + "/tmp").c_str(), 01777);
             WriteFile(top + "/tmp/tmp.ini", FixtureIni());
         },
         {"disable-remote", "{top}/tmp"}, "", "{top}/tmp is writable by everyone"},
        {"root's link at the file into the user's folder",
         [](const std::string& top, uid_t, gid_t) {
             WriteFile(top + "/web/shop.ini", FixtureIni());
             RootsLinkTo(top, top + "/web/shop.ini");
         },
         {"enable-remote", "{top}/linked"}, "", "{top}/web belongs to www-data"},
        {"root's relative link at the file into a folder the user's group may write to",
         [](const std::string& top, uid_t, gid_t webGroup) {
             PlantedLinkIn(top, "shared", 0, webGroup, 0770);
             RootsLinkTo(top, "../shared/shared.ini");
         },
         {"restore", "{top}/linked", "1"}, "", "{top}/shared is writable by group www-data"},
        // Root acting as another user: only that user may write there.
        {"another user's database folder that the web server user's group may write to",
         [](const std::string& top, uid_t, gid_t webGroup) {
             PlantedLinkIn(top, "nobodys", 65534, webGroup, 0770);
         },
         {"restore", "{top}/nobodys", "1"}, "",
         "{top}/nobodys belongs to nobody but is writable by group www-data, which www-data is in"},
        {"another user's database folder that everyone may write to",
         [](const std::string& top, uid_t, gid_t) { PlantedLinkIn(top, "nobodys", 65534, 65534, 01777); },
         {"enable-remote", "{top}/nobodys"}, "", "{top}/nobodys belongs to nobody but is writable by everyone"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string top = dir.path().string();
        ASSERT_EQ(0, ::chmod(top.c_str(), 0755));
        fs::create_directory(top + "/web");
        Own(top + "/web", web, webGroup, 0755);
        fs::create_directory(top + "/root-only");
        Own(top + "/root-only", 0, 0, 0700);
        RootsDatabase(top + "/root-only");
        c.prepare(top, web, webGroup);
        const auto fill = [&](std::string text) {
            for (size_t at; (at = text.find("{top}")) != std::string::npos;)
                text.replace(at, 5, top);
            return text;
        };
        std::vector<std::string> args;
        for (const std::string& arg : c.args)
            args.push_back(fill(arg));
        const std::map<std::string, std::string> before = Snapshot(top);
        const ProgramAnswer answer = RunTool(args, "n3w pass\n", fill(c.workingDir));
        EXPECT_EQ(1, answer.status);
        EXPECT_EQ("zephconf-admin: refused: " + fill(c.error) + Trusts + "\n", answer.errors);
        EXPECT_EQ("", answer.output);
        EXPECT_EQ(before, Snapshot(top));
    }
}

// Root's own links on the way and at the file are followed, a sticky folder
// is passed where the next name is root's, and another user's folder that
// only that user's own group may write to is that user's: the database
// there is changed.
TEST(TrustedPath, RootsLinksAndStickyFoldersArePassed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    TempDir dir;
    const std::string top = dir.path().string();
    fs::create_directory(top + "/sticky");
    ASSERT_EQ(0, ::chmod((top + "/sticky").c_str(), 01777));
    fs::create_directory(top + "/sticky/root");
    RootsDatabase(top + "/sticky/root");
    fs::create_directory(top + "/real");
    RootsDatabase(top + "/real");
    fs::create_symlink("real", top + "/relative");
    fs::create_directory(top + "/via");
    fs::create_symlink(top + "/relative/shop/../shop", top + "/via/shop");
    // Root's links at a file of root's, into folders of root's alone.
    fs::create_directory(top + "/linked");
    fs::create_symlink("../relative/shop/shop.ini", top + "/linked/linked.ini");
    fs::create_directory(top + "/chained");
    fs::create_symlink(top + "/linked/linked.ini", top + "/chained/chained.ini");
    // The web server user's folder that only its own group may write to.
    fs::create_directory(top + "/web");
    WriteFile(top + "/web/web.ini", FixtureIni());
    Own(top + "/web/web.ini", WebServer().uid, WebServer().gid, 0600);
    Own(top + "/web", WebServer().uid, WebServer().gid, 0770);
    for (const std::string& database : {top + "/sticky/root/shop", top + "/via/shop", top + "/via/shop/shop.ini",
                                        top + "/relative/shop", top + "/linked", top + "/chained", top + "/web"}) {
        SCOPED_TRACE(database);
        const ProgramAnswer answer = RunTool({"disable-remote", database});
        EXPECT_EQ(0, answer.status) << answer.errors;
        EXPECT_EQ("", answer.errors);
        ASSERT_EQ(0, RunTool({"enable-remote", database}).status);
    }
}

}  // namespace
