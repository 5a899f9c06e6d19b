// zephconf-admin create: a new database folder made from a model, owned by
// the web server's user, with the administration password given, remote
// administration on and random passwords of its own; made whole or not at
// all, whatever fails on the way.
#include "reliability/Tools.h"
#include "support/Fixture.h"
#include "support/Form.h"
#include "support/IniText.h"
#include "support/Site.h"
#include "tool/ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <pwd.h>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::vector<std::pair<std::string, std::string>> DatabasePasswords = {
    {"password", "masterpassword"},
    {"password", "search entry password"},
    {"password", "change entry password"},
    {"password", "add entry password"},
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

struct stat StatusOf(const std::string& path)
{
    struct stat status {};
    EXPECT_EQ(0, ::lstat(path.c_str(), &status)) << path;
    return status;
}

// A model database file, readable by everyone, in a folder of its own.
struct Model {
    TempDir dir;
    std::string path;
    Model(const std::string& content, const std::string& name = "shop")
    {
        fs::permissions(dir.path(), fs::perms(0755));
        path = dir / (name + ".ini");
        WriteFile(path, content);
        fs::permissions(path, fs::perms(0644));
    }
};

// A site whose database folder is not there yet: the place for `create`,
// beside a copy of the program that then serves it.
struct NewSite : Site {
    explicit NewSite(const std::string& name = "bazaar") : Site(std::nullopt, name) { fs::remove(folder); }
    std::vector<std::string> Entries() const { return FolderEntriesOf(dir.path()); }
};

std::string Created(const std::string& ini, const std::string& owner)
{
    return "created " + ini + " for " + owner
           + ": administration password set, remote administration on, the database's own passwords random "
             "(see them in the form)\n";
}

// Root makes the web server's database: its owner and modes, the model's
// content with its name carried over and the six values set, nothing else in
// the folder or beside it; the administration password opens the web form
// and the model's does not; the four other passwords random, made anew for
// every database; no password said.
TEST(Create, RootMakesTheWebServersDatabaseFromTheModel)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    const Model model(WithIniValue(FixtureIni(), "Administration", "Enable Remote Administration", "0"));
    std::set<std::string> seen;
    for (const char* name : {"bazaar", "market"}) {
        SCOPED_TRACE(name);
        NewSite site(name);
        const std::string password = std::string("adm1n ") + name;
        const ProgramAnswer answer = RunTool({"create", "--from", model.path, site.folder}, password + "\n");

        EXPECT_EQ(0, answer.status) << answer.errors;
        EXPECT_EQ(Created(site.ini, "www-data"), answer.output);
        EXPECT_EQ("", answer.errors);
        EXPECT_EQ((std::vector<std::string> {name, "zephconf"}), site.Entries());
        EXPECT_EQ(std::vector<std::string> {std::string(name) + ".ini"}, site.FolderEntries());
        for (const auto& [path, mode] : {std::pair {site.folder, 0700u}, std::pair {site.ini, 0600u}}) {
            const struct stat status = StatusOf(path);
            EXPECT_EQ(WebServer().uid, status.st_uid) << path;
            EXPECT_EQ(WebServer().gid, status.st_gid) << path;
            EXPECT_EQ(mode, status.st_mode & 07777) << path;
        }

        const std::string file = ReadFile(site.ini);
        std::string expected = WithIniValue(FixtureIni(), "file", "html path",
                                            "http://www.example.com/" + std::string(name) + "/DB.html");
        expected = WithIniValue(expected, "Administration", "Administration password", password);
        std::vector<std::string> passwords;
        for (const auto& [section, key] : DatabasePasswords) {
            const std::string value = IniValue(file, section, key);
            EXPECT_GE(value.size(), 16u) << key;
            EXPECT_EQ(std::string::npos, value.find_first_not_of("abcdefghijkmnpqrstuvwxyz23456789")) << key;
            EXPECT_TRUE(seen.insert(value).second) << key << " repeats a password: " << value;
            EXPECT_NE(IniValue(FixtureIni(), section, key), value) << key;
            expected = WithIniValue(expected, section, key, value);
            passwords.push_back(value);
        }
        EXPECT_EQ(expected, file);

        const ProgramAnswer signIn = site.Get("DBName=" + std::string(name) + "&act=entrance&password=" + UrlEncode(password));
        EXPECT_EQ(0, signIn.status);
        EXPECT_TRUE(Contains(signIn.output, "<form")) << signIn.output;
        EXPECT_EQ(1, site.Get("DBName=" + std::string(name) + "&act=entrance&password=" + FixturePassword()).status);
        passwords.push_back(password);
        for (const std::string& secret : passwords) {
            EXPECT_FALSE(Contains(answer.output + answer.errors, secret)) << secret;
        }
    }
}

// The model's own name (its file's, "members") carried over to the new
// database's where it stands as a word in a value; nothing else is changed,
// and CR LF line ends become line feeds.
TEST(Create, TheModelsNameCarriedOverWhereItIsAWord)
{
    struct Case {
        const char* key;
        const char* model;
        const char* created;
    };
    const Case cases[] = {
        {"database source", "import/members-2023.csv", "import/shop-2023.csv"},
        {"SMTP server", "smtp.members.example.org", "smtp.shop.example.org"},
        {"twice", "members/members", "shop/shop"},
        {"the whole value", "members", "shop"},
        {"inside a word", "clubmembers membership members_old", "clubmembers membership members_old"},
        {"another letter case", "Members database error", "Members database error"},
        {"members", "none", "none"},  // a key is not a value
    };
    std::string text = "[members]\n";
    for (const Case& c : cases)
        text += std::string(c.key) + "=" + c.model + "\n";
    const Model model(WithCrLf(text + "\n"), "members");
    NewSite site("shop");
    const ProgramAnswer answer =
        RunTool({"create", "--owner", CurrentUserName(), "--from", model.path, site.folder}, "pass\n");
    ASSERT_EQ(0, answer.status) << answer.errors;
    const std::string file = ReadFile(site.ini);
    EXPECT_EQ(std::string::npos, file.find('\r'));
    EXPECT_EQ(0u, file.find("[members]\n")) << file;
    for (const Case& c : cases)
        EXPECT_EQ(c.created, IniValue(file, "members", c.key)) << c.key;
}

// Refused before anything is made: the folder that takes the new one is as
// it was, and the model with it.
TEST(Create, RefusalsMakeNothing)
{
    // {parent}, {folder}, {model}: the site's folder, the new folder, the model.
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::string input;
        void (*prepare)(const std::string& folder);
        int status;
        std::string error;
    };
    const auto nothing = [](const std::string&) {};
    const Case cases[] = {
        {"a folder there", {"{folder}"}, "pass\n", [](const std::string& f) { fs::create_directory(f); }, 1,
         "{folder} exists already"},
        {"a file there", {"{folder}"}, "pass\n", [](const std::string& f) { WriteFile(f, "x"); }, 1,
         "{folder} exists already"},
        {"a dangling link there", {"{folder}"}, "pass\n",
         [](const std::string& f) { fs::create_symlink("nowhere", f); }, 1, "{folder} exists already"},
        {"a cut-off create's folder in the way", {"{folder}"}, "pass\n",
         [](const std::string& f) { fs::create_directory(fs::path(f).parent_path() / ".bazaar.creating"); }, 1,
         "{parent}/.bazaar.creating is in the way: another create of it runs, or one was cut off; remove it if "
         "none runs"},
        {"no such parent", {"{parent}/none/bazaar"}, "pass\n", nothing, 1, "no folder {parent}/none"},
        {"no such model", {"--from", "{parent}/none.ini", "{folder}"}, "pass\n", nothing, 1,
         "no model file {parent}/none.ini"},
        {"a model that is a folder", {"--from", "{parent}/zephconf.ini", "{folder}"}, "pass\n",
         [](const std::string& f) { fs::create_directory(fs::path(f).parent_path() / "zephconf.ini"); }, 1,
         "the model {parent}/zephconf.ini is not a regular file"},
        {"no such user", {"--owner", "no-such-user", "{folder}"}, "pass\n", nothing, 1, "no user no-such-user"},
        {"a control character in the name", {"{parent}/ba\tzaar"}, "pass\n", nothing, 1,
         "{parent}/ba\tzaar: a database's name may hold no control character"},
        {"no new folder's name", {"{parent}/.."}, "pass\n", nothing, 1, "{parent}/.. names no new folder"},
        {"an empty password", {"{folder}"}, "\n", nothing, 1, "refused: the password is empty"},
        {"no FOLDER", {}, "", nothing, 2, "no FOLDER given"},
        {"two FOLDERs", {"{folder}", "{folder}2"}, "", nothing, 2, "one FOLDER only"},
        {"an empty FOLDER", {""}, "", nothing, 2, "an empty FOLDER"},
        {"--owner without a USER", {"{folder}", "--owner"}, "", nothing, 2, "--owner needs a USER"},
        {"--from twice", {"--from", "{model}", "--from", "{model}", "{folder}"}, "", nothing, 2, "--from given twice"},
        {"--from not a .ini file", {"--from", "{parent}/zephconf", "{folder}"}, "", nothing, 2,
         "the model {parent}/zephconf is no database's .ini file"},
        {"an unknown option", {"--force", "{folder}"}, "", nothing, 2, "unknown option --force"},
    };
    const Model model(FixtureIni());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewSite site;
        c.prepare(site.folder);
        const std::vector<std::string> before = site.Entries();
        auto fill = [&](std::string text) {
            for (const auto& [mark, value] : {std::pair {"{parent}", site.dir.path().string()},
                                              std::pair {"{folder}", site.folder}, std::pair {"{model}", model.path}})
                for (size_t at; (at = text.find(mark)) != std::string::npos;)
                    text.replace(at, std::strlen(mark), value);
            return text;
        };
        std::vector<std::string> args = {"create"};
        // The default owner and model are those of a root run on an installed
        // package: a refusal that is not about them names the test's own.
        const auto names = [&](const char* option) {
            return std::find(c.args.begin(), c.args.end(), option) != c.args.end();
        };
        if (c.status == 1 && !names("--owner"))
            args.insert(args.end(), {"--owner", CurrentUserName()});
        if (c.status == 1 && !names("--from"))
            args.insert(args.end(), {"--from", model.path});
        for (const std::string& arg : c.args)
            args.push_back(fill(arg));
        const ProgramAnswer answer = RunTool(args, c.input);
        EXPECT_EQ(c.status, answer.status);
        EXPECT_EQ("zephconf-admin: " + fill(c.error) + "\n" + (c.status == 2 ? Usage : ""), answer.errors);
        EXPECT_EQ("", answer.output);
        EXPECT_EQ(before, site.Entries());
    }
}

// A failure after the temporary folder was made (a full disk, the writing
// process killed, a rename refused, the parent folder the owner may not write
// to, a model the owner may not read) leaves nothing of the new folder. A
// file system without a rename that refuses a taken name still gets the
// database; a parent folder that cannot be synced after the rename is said,
// with exit status 3, the database in place.
TEST(Create, FailuresLeaveNoFolder)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    ASSERT_FALSE(ToolPath("strace").empty()) << "strace is missing";
    ASSERT_FALSE(ToolPath("setpriv").empty()) << "setpriv is missing";
    TempDir rootOnly;
    const std::string secretModel = rootOnly / "secret.ini";
    WriteFile(secretModel, FixtureIni());
    ASSERT_EQ(0, ::chmod(rootOnly.path().c_str(), 0700));
    ASSERT_EQ(0, ::chmod(secretModel.c_str(), 0644));

    struct Case {
        const char* what;
        // strace options (after -f), {temp} the temporary folder, {parent} the site's
        std::vector<std::string> trace;
        bool asWebServer;  // run by www-data, in root's folder
        bool secret;       // the model in a folder only root may enter
        int status;
        std::string error;  // {folder}, {parent}
    };
    const Case cases[] = {
        {"a full disk",
         {"-P", "{temp}/bazaar.ini", "-e", "trace=write", "-e", "inject=write:error=ENOSPC"}, false, false, 1,
         "cannot create {folder}: File write: No space left on device"},
        {"the writing process killed",
         {"-P", "{temp}/bazaar.ini", "-e", "trace=write", "-e", "inject=write:signal=SIGKILL"}, false, false, 1,
         "cannot create {folder}: the process that writes it was killed by Killed"},
        {"the rename refused", {"-e", "trace=renameat2", "-e", "inject=renameat2:error=EIO"}, false, false, 1,
         "cannot create {folder}: rename: Input/output error"},
        {"the name taken meanwhile", {"-e", "trace=renameat2", "-e", "inject=renameat2:error=EEXIST"}, false, false,
         1, "{folder} exists already"},
        {"the owner may not write to the parent", {}, true, false, 1,
         "cannot create {parent}/.bazaar.creating: Permission denied"},
        {"the owner may not read the model", {}, false, true, 1,
         "cannot read the model " + secretModel + ": Permission denied"},
        {"no rename that refuses a taken name", {"-e", "trace=renameat2", "-e", "inject=renameat2:error=EINVAL"},
         false, false, 0, ""},
        {"the parent not synced", {"-P", "{parent}", "-e", "trace=fsync", "-e", "inject=fsync:error=EIO"}, false,
         false, 3,
         "{folder} was created, but {parent} could not be synced (File flush: Input/output error): it may not "
         "survive a power cut"},
    };
    const Model model(FixtureIni());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewSite site;
        const std::string parent = site.dir.path().string();
        auto fill = [&](std::string text) {
            for (const auto& [mark, value] : {std::pair {"{temp}", parent + "/.bazaar.creating"},
                                              std::pair {"{parent}", parent}, std::pair {"{folder}", site.folder}})
                for (size_t at; (at = text.find(mark)) != std::string::npos;)
                    text.replace(at, std::strlen(mark), value);
            return text;
        };
        std::vector<std::string> wrapper;
        if (!c.trace.empty()) {
            std::vector<std::string> options = {"-f", "-o", "/dev/null"};
            for (const std::string& option : c.trace)
                options.push_back(fill(option));
            wrapper = Strace(options);
        } else if (c.asWebServer) {
            wrapper = RunAs("www-data", "www-data");
        }
        const std::vector<std::string> before = site.Entries();
        const ProgramAnswer answer =
            RunTool({"create", "--from", c.secret ? secretModel : model.path, site.folder}, "pass\n", "", wrapper);

        EXPECT_EQ(c.status, answer.status) << answer.errors;
        EXPECT_EQ(c.error.empty() ? "" : "zephconf-admin: " + fill(c.error) + "\n", answer.errors);
        if (c.status == 1) {
            EXPECT_EQ("", answer.output);
            EXPECT_EQ(before, site.Entries());
        } else {
            EXPECT_EQ(c.status == 0 ? Created(site.ini, "www-data") : "", answer.output);
            EXPECT_EQ((std::vector<std::string> {"bazaar", "zephconf"}), site.Entries());
            EXPECT_EQ(std::vector<std::string> {"bazaar.ini"}, site.FolderEntries());
            EXPECT_EQ("pass", IniValue(ReadFile(site.ini), "Administration", "Administration password"));
        }
    }
}

// The temporary folder swapped, between its making and its opening (strace
// holds the open back), for a folder of root's holding a file of root's:
// the run is refused, and the folder swapped in is not given to the owner,
// nor emptied, nor removed.
TEST(Create, AFolderSwappedInForTheOneMadeIsRefusedAndLeftAlone)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    ASSERT_FALSE(ToolPath("strace").empty()) << "strace is missing";
    const Model model(FixtureIni());
    int open = 0;
    {
        NewSite copy;
        TempDir scratch;
        const std::string log = scratch / "calls";
        ASSERT_EQ(0, RunTool({"create", "--from", model.path, copy.folder}, "pass\n", "",
                             Strace({"-o", log, "-e", "trace=openat"})).status);
        open = OpenCallNumber(log, ".bazaar.creating", 1);
        ASSERT_GT(open, 0) << ReadFile(log);
    }
    NewSite site;
    const std::string parent = site.dir.path().string();
    const std::string temporary = parent + "/.bazaar.creating", roots = parent + "/roots";
    fs::create_directory(roots);
    ASSERT_EQ(0, ::chmod(roots.c_str(), 0700));
    WriteFile(roots + "/secret", "root's own\n");
    ASSERT_EQ(0, ::chmod((roots + "/secret").c_str(), 0600));
    std::atomic<bool> swapped {false};
    std::thread swap([&] {
        for (int wait = 0; wait < 10000 && !swapped; ++wait) {
            if (fs::exists(fs::symlink_status(temporary))) {
                fs::rename(temporary, parent + "/made");
                fs::rename(roots, temporary);
                swapped = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    const ProgramAnswer answer =
        RunTool({"create", "--from", model.path, site.folder}, "pass\n", "",
                Strace({"-o", "/dev/null", "-e", "trace=openat", "-e",
                        "inject=openat:delay_enter=1500000:when=" + std::to_string(open)}));
    swap.join();
    ASSERT_TRUE(swapped);
    EXPECT_EQ(1, answer.status);
    EXPECT_EQ("zephconf-admin: cannot create " + temporary +
                  ": another folder took its place while it was made; it is left as it is\n",
              answer.errors);
    EXPECT_EQ("", answer.output);
    EXPECT_FALSE(fs::exists(fs::symlink_status(site.folder)));
    EXPECT_EQ(std::vector<std::string> {"secret"}, FolderEntriesOf(temporary));
    EXPECT_EQ("root's own\n", ReadFile(temporary + "/secret"));
    for (const std::string& path : {temporary, temporary + "/secret"}) {
        const struct stat status = StatusOf(path);
        EXPECT_EQ(0u, status.st_uid) << path;
        EXPECT_EQ(0u, status.st_gid) << path;
        EXPECT_EQ(path == temporary ? 0700u : 0600u, status.st_mode & 07777) << path;
    }
}

// --owner gives the database to another user, with that user's group; the
// web server's user makes its own in a folder of its own, and no other's.
TEST(Create, OwnerNamedOrRunningTheTool)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run as other users";
    ASSERT_FALSE(ToolPath("setpriv").empty()) << "setpriv is missing";
    const passwd* nobody = ::getpwnam("nobody");
    ASSERT_NE(nullptr, nobody);
    struct Case {
        const char* what;
        std::vector<std::string> options;
        std::vector<std::string> runner;
        uid_t uid;
        gid_t gid;
        std::string error;
    };
    const Case cases[] = {
        {"root, --owner nobody", {"--owner", "nobody"}, {}, nobody->pw_uid, nobody->pw_gid, ""},
        {"www-data in its own folder", {}, RunAs("www-data", "www-data"), WebServer().uid, WebServer().gid, ""},
        {"www-data for nobody", {"--owner", "nobody"}, RunAs("www-data", "www-data"), 0, 0,
         "only root can create a database for another user (nobody)"},
    };
    const Model model(FixtureIni());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewSite site;
        // The web server's user makes its own in a folder of its own; root
        // in a folder of root's alone.
        if (!c.runner.empty()) {
            ASSERT_EQ(0, ::chown(site.dir.path().c_str(), WebServer().uid, WebServer().gid));
        }
        std::vector<std::string> args = {"create", "--from", model.path};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(site.folder);
        const ProgramAnswer answer = RunTool(args, "pass\n", "", c.runner);
        if (!c.error.empty()) {
            EXPECT_EQ(1, answer.status);
            EXPECT_EQ("zephconf-admin: " + c.error + "\n", answer.errors);
            EXPECT_FALSE(fs::exists(site.folder));
            continue;
        }
        EXPECT_EQ(0, answer.status) << answer.errors;
        for (const auto& [path, mode] : {std::pair {site.folder, 0700u}, std::pair {site.ini, 0600u}}) {
            const struct stat status = StatusOf(path);
            EXPECT_EQ(c.uid, status.st_uid) << path;
            EXPECT_EQ(c.gid, status.st_gid) << path;
            EXPECT_EQ(mode, status.st_mode & 07777) << path;
        }
        EXPECT_EQ(0, site.Get("DBName=bazaar&act=entrance&password=pass").status);
    }
}

}  // namespace
