// The shell tool zephconf-admin, run as a user runs it: each command, what it
// says, what it leaves in the database's file, and what the web program then
// lets in.
#include "files/LockWait.h"
#include "support/Fixture.h"
#include "support/Form.h"
#include "support/IniText.h"
#include "support/Site.h"
#include "tool/ToolRun.h"

#include <gtest/gtest.h>

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const BadPassword = "<H1><font color=\"#ff0000\">Bad password. Operation aborted.</font></H1>\n";
const char* const NoRemoteAdmin =
    "<H1><font color=\"#ff0000\">Remote administration is not allowed. Operation aborted.</font></H1>\n";

// The web program's answer to a sign-in with `password`.
ProgramAnswer SignIn(const Site& site, const std::string& password)
{
    return site.Get("DBName=shop&act=entrance&password=" + UrlEncode(password));
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

mode_t ModeOf(const std::string& path)
{
    struct stat status {};
    EXPECT_EQ(0, ::stat(path.c_str(), &status)) << path;
    return status.st_mode & 07777;
}

ino_t InodeOf(const std::string& path)
{
    struct stat status {};
    EXPECT_EQ(0, ::stat(path.c_str(), &status)) << path;
    return status.st_ino;
}

TEST(ZephconfAdmin, SetPasswordFromStandardInputOpensTheWebFormToItAlone)
{
    struct Case {
        const char* what;
        std::string input, password;
        bool byFile;  // the database named by its file, else by its folder
        bool crlf;    // the file starts with CR LF line ends
        mode_t mode;
    };
    const Case cases[] = {
        {"a line", "n3w pass\n", "n3w pass", false, false, 0600},
        {"no final line feed", "n3w pass", "n3w pass", true, false, 0640},
        {"the first line only", "first\nsecond\n", "first", false, false, 0600},
        {"blanks, tabs and '=' kept", " a\t=b= \n", " a\t=b= ", false, false, 0600},
        {"UTF-8 and punctuation", "p\xc3\xa4ss&w%rd+?\n", "p\xc3\xa4ss&w%rd+?", true, false, 0644},
        {"CR LF file, normalised first", "crlf-pass\n", "crlf-pass", false, true, 0600},
    };
    for (const Case& c : cases) {
        Site site(c.crlf ? WithCrLf(FixtureIni()) : FixtureIni());
        ASSERT_EQ(0, ::chmod(site.ini.c_str(), c.mode));
        // Run as root, the tool must not hand the web server's file to root.
        const bool root = ::geteuid() == 0;
        if (root) {
            ASSERT_EQ(0, ::chown(site.ini.c_str(), 65534, 65534));
        }
        ProgramAnswer answer = RunTool({"set-password", c.byFile ? site.ini : site.folder}, c.input);

        EXPECT_EQ(0, answer.status) << c.what << "\n" << answer.errors;
        EXPECT_EQ("administration password set for " + site.ini + "\n", answer.output) << c.what;
        EXPECT_EQ("", answer.errors) << c.what;
        // That line alone changed (and the line ends, for a CR LF file).
        EXPECT_EQ(WithIniValue(FixtureIni(), "Administration", "Administration password", c.password),
                  ReadFile(site.ini))
            << c.what;
        EXPECT_EQ(c.mode, ModeOf(site.ini)) << c.what;
        struct stat owner {};
        ASSERT_EQ(0, ::stat(site.ini.c_str(), &owner));
        if (root) {
            EXPECT_EQ(65534u, owner.st_uid) << c.what;
            EXPECT_EQ(65534u, owner.st_gid) << c.what;
        }
        EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries()) << c.what;

        ProgramAnswer newPassword = SignIn(site, c.password);
        EXPECT_EQ(0, newPassword.status) << c.what;
        EXPECT_TRUE(Contains(newPassword.output, "<form")) << c.what;
        ProgramAnswer oldPassword = SignIn(site, FixturePassword());
        EXPECT_EQ(1, oldPassword.status) << c.what;
        EXPECT_TRUE(Contains(oldPassword.output, BadPassword)) << c.what;
    }
}

TEST(ZephconfAdmin, SettingTheSameAgainWritesNothing)
{
    Site site(FixtureIni());
    const ino_t before = InodeOf(site.ini);
    ProgramAnswer answer = RunTool({"set-password", site.folder}, FixturePassword() + "\n");
    EXPECT_EQ(0, answer.status) << answer.errors;
    EXPECT_EQ("nothing changed: " + site.ini + " already has that administration password\n", answer.output);
    EXPECT_EQ(FixtureIni(), ReadFile(site.ini));
    EXPECT_EQ(before, InodeOf(site.ini));  // not even replaced by an equal copy
}

TEST(ZephconfAdmin, RemoteAdministrationSwitches)
{
    const std::string on = FixtureIni();
    const std::string off = WithIniValue(on, "Administration", "Enable Remote Administration", "0");
    const std::string noSection = "[file]\nhtml path=/db.html\n\n";
    struct Case {
        const char* command;
        std::string start, after, said;
    };
    const Case cases[] = {
        {"enable-remote", off, on, "remote administration enabled for "},
        {"enable-remote", on, on, "nothing changed: remote administration already enabled for "},
        {"disable-remote", on, off, "remote administration disabled for "},
        {"disable-remote", off, off, "nothing changed: remote administration already disabled for "},
        {"enable-remote", noSection, noSection + "[Administration]\nEnable Remote Administration=1\n\n",
         "remote administration enabled for "},
    };
    for (const Case& c : cases) {
        Site site(c.start);
        const ino_t before = InodeOf(site.ini);
        ProgramAnswer answer = RunTool({c.command, site.folder});
        const std::string what = c.command + (" from " + IniValue(c.start, "Administration", "Enable Remote Administration"));
        EXPECT_EQ(0, answer.status) << what << "\n" << answer.errors;
        EXPECT_EQ(c.said + site.ini + "\n", answer.output) << what;
        EXPECT_EQ(c.after, ReadFile(site.ini)) << what;
        if (c.start == c.after) {
            EXPECT_EQ(before, InodeOf(site.ini)) << what;
        }
    }

    // The web program follows the switch.
    Site site(on);
    ASSERT_EQ(0, RunTool({"disable-remote", site.ini}).status);
    EXPECT_TRUE(Contains(SignIn(site, FixturePassword()).output, NoRemoteAdmin));
    ASSERT_EQ(0, RunTool({"enable-remote", site.ini}).status);
    EXPECT_EQ(0, SignIn(site, FixturePassword()).status);
}

TEST(ZephconfAdmin, StatusReadsWithoutWritingOrShowingThePassword)
{
    const std::string settings =
        "[database entry info]\nentry item name=Name,*Phone,EMail\n\n"
        "[password]\nsearch entry password=\nchange entry password=Ch4nge\nmasterpassword=M4ster\n\n"
        "[Administration]\nEnable Remote Administration=1\nAdministration password=Pa55word\n\n";
    const std::string noneEmpty = "empty database passwords: 0 of 4\n";
    struct Case {
        const char* what;
        std::string content;
        std::string said;  // after the file line
    };
    const Case cases[] = {
        {"items, remote on, password; one password empty, one missing", settings,
         "entry items: 3\nremote administration: on\nadministration password: set\n"
         "empty database passwords: 2 of 4 (search entry password, add entry password)\n"},
        {"CR LF line ends, left as they are", WithCrLf(settings),
         "entry items: 3\nremote administration: on\nadministration password: set\n"
         "empty database passwords: 2 of 4 (search entry password, add entry password)\n"},
        {"empty file", "",
         "entry items: 0\nremote administration: off\nadministration password: not set\n"
         "empty database passwords: 4 of 4 (masterpassword, search entry password, change entry password, "
         "add entry password)\n"},
        {"the fixture", FixtureIni(),
         "entry items: 8\nremote administration: on\nadministration password: set\n" + noneEmpty},
    };
    for (const Case& c : cases) {
        Site site(c.content);
        ASSERT_EQ(0, ::chmod(site.ini.c_str(), 0400));  // read only: status never asks for more
        ProgramAnswer answer = RunTool({"status", site.folder});
        EXPECT_EQ(0, answer.status) << c.what << "\n" << answer.errors;
        EXPECT_EQ("file: " + site.ini + "\n" + c.said, answer.output) << c.what;
        for (const char* password : {"Pa55word", "Ch4nge", "M4ster"})
            EXPECT_FALSE(Contains(answer.output, password)) << c.what;
        EXPECT_FALSE(Contains(answer.output, FixturePassword())) << c.what;
        EXPECT_EQ(c.content, ReadFile(site.ini)) << c.what;
        EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries()) << c.what;
    }
}

TEST(ZephconfAdmin, DatabaseNamedByFolderOrFile)
{
    Site site(FixtureIni());
    const std::string said = "\nentry items: 8\nremote administration: on\nadministration password: set\n"
                             "empty database passwords: 0 of 4\n";
    struct Case { std::string argument, workingDir, file; };
    const Case cases[] = {
        {site.folder, "", site.ini},
        {site.folder + "//", "", site.ini},
        {site.ini, "", site.ini},
        {"shop", site.dir.path().string(), "shop/shop.ini"},
        {".", site.folder, "./shop.ini"},
        {"shop.ini", site.folder, "shop.ini"},
    };
    for (const Case& c : cases) {
        ProgramAnswer answer = RunTool({"status", c.argument}, "", c.workingDir);
        EXPECT_EQ(0, answer.status) << c.argument << "\n" << answer.errors;
        EXPECT_EQ("file: " + c.file + said, answer.output) << c.argument;
    }
}

TEST(ZephconfAdmin, RefusalsAndFailuresLeaveTheFileByteForByte)
{
    const std::string start = WithIniValue(FixtureIni(), "Administration", "Enable Remote Administration", "0");
    // {folder} and {ini} stand for the site's database folder and file.
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::string input;
        bool locked;
        int status;
        std::string error;  // the first line on standard error
    };
    const Case cases[] = {
        {"no input", {"set-password", "{folder}"}, "", false, 1, "refused: the password is empty"},
        {"empty line", {"set-password", "{folder}"}, "\n", false, 1, "refused: the password is empty"},
        {"CR inside", {"set-password", "{folder}"}, "one\rtwo\n", false, 1, "refused: the password holds a line break"},
        {"CR LF line end", {"set-password", "{folder}"}, "one\r\n", false, 1, "refused: the password holds a line break"},
        {"NUL byte", {"set-password", "{folder}"}, std::string("one\0two\n", 8), false, 1,
         "refused: the password holds a NUL byte"},
        {"1025 bytes", {"set-password", "{folder}"}, std::string(1025, 'x') + "\n", false, 1,
         "refused: the password is longer than 1024 bytes"},
        {"endless input", {"set-password", "{folder}"}, std::string(200000, 'y'), false, 1,
         "refused: the password is longer than 1024 bytes"},
        {"locked, set-password", {"set-password", "{folder}"}, "new\n", true, 1,
         "{ini} is held by another process; try again"},
        {"locked, enable-remote", {"enable-remote", "{ini}"}, "", true, 1, "{ini} is held by another process; try again"},
        {"locked, status", {"status", "{folder}"}, "", true, 1, "{ini} is held by another process; try again"},
        {"no such folder", {"enable-remote", "{folder}/none"}, "", false, 1, "no database folder or file {folder}/none"},
        {"no such file", {"status", "{folder}/none.ini"}, "", false, 1, "no database file {folder}/none.ini"},
        {"not an .ini file", {"set-password", "{ini}tmp"}, "new\n", false, 1,
         "{ini}tmp is neither a database folder nor a database's .ini file"},
        {"no command", {}, "", false, 2, "no command given"},
        {"unknown command", {"set-admin", "{folder}"}, "", false, 2, "unknown command set-admin"},
        {"unknown option", {"--force"}, "", false, 2, "unknown option --force"},
        {"no database", {"enable-remote"}, "", false, 2, "no DATABASE given"},
        {"two databases", {"enable-remote", "{folder}", "{folder}"}, "", false, 2, "one DATABASE only"},
        {"option for a database", {"status", "--help"}, "", false, 2, "unknown option --help"},
        {"empty database", {"status", ""}, "", false, 2, "an empty DATABASE"},
        {"no version number", {"diff", "{folder}"}, "", false, 2, "no version number N given"},
        {"a version number of letters", {"restore", "{folder}", "x1"}, "", false, 2, "not a version number: x1"},
        {"version number 0", {"restore", "{folder}", "0"}, "", false, 2, "not a version number: 0"},
        {"a signed version number", {"diff", "{folder}", "+1"}, "", false, 2, "not a version number: +1"},
        {"two version numbers", {"diff", "{folder}", "1", "2"}, "", false, 2, "one DATABASE and one N only"},
        {"no versions kept", {"restore", "{folder}", "1"}, "", false, 1, "no version 1 of {ini} (0 kept)"},
        {"locked, restore", {"restore", "{ini}", "1"}, "", true, 1, "{ini} is held by another process; try again"},
        {"locked, history", {"history", "{folder}"}, "", true, 1, "{ini} is held by another process; try again"},
    };
    for (const Case& c : cases) {
        Site site(start);
        WriteFile(site.ini + "tmp", "not a database\n");
        auto fill = [&](const std::string& text) { return FillMarks(text, {{"{folder}", site.folder}, {"{ini}", site.ini}}); };
        std::vector<std::string> args;
        for (const std::string& arg : c.args)
            args.push_back(fill(arg));
        std::optional<HeldLock> lock;
        if (c.locked)
            lock.emplace(site.ini);
        ProgramAnswer answer = RunTool(args, c.input);

        EXPECT_EQ(c.status, answer.status) << c.what;
        EXPECT_EQ("zephconf-admin: " + fill(c.error) + "\n" + (c.status == 2 ? Usage : ""), answer.errors) << c.what;
        EXPECT_EQ("", answer.output) << c.what;
        EXPECT_EQ(start, ReadFile(site.ini)) << c.what;
        EXPECT_EQ("not a database\n", ReadFile(site.ini + "tmp")) << c.what;
    }
}

TEST(ZephconfAdmin, HelpAndVersion)
{
    ProgramAnswer help = RunTool({"--help"});
    EXPECT_EQ(0, help.status);
    EXPECT_EQ(0u, help.output.find(Usage)) << help.output;
    for (const char* command : {"create", "set-password", "enable-remote", "disable-remote", "status", "history", "diff", "restore"})
        EXPECT_TRUE(Contains(help.output, std::string("\n  ") + command + " ")) << command;

    // The version the web program names on its version page.
    const std::string page = Site(std::nullopt).Get("act=version").output;
    const std::string lead = "The version of ZEP on this server is ";
    const size_t at = page.find(lead);
    ASSERT_NE(std::string::npos, at) << page;
    const std::string version = page.substr(at + lead.size(), page.find(".</H2>") - at - lead.size());
    ProgramAnswer answer = RunTool({"--version"});
    EXPECT_EQ(0, answer.status);
    EXPECT_EQ("zephconf-admin " + version + "\n", answer.output);
}

}  // namespace
