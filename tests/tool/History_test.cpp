// The history a user sees and undoes with the shell tool: web updates and a
// tool change listed newest first with who made them and what they changed,
// a version compared with the file (passwords masked, item lists item by
// item), a restore that brings a version back byte for byte and can itself
// be undone, the limit, a gap, and a change whose predecessor was not kept.
#include "files/HistoryVersion.h"
#include "support/Fixture.h"
#include "support/Form.h"
#include "support/IniText.h"
#include "support/Site.h"
#include "support/Submission.h"
#include "tool/ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <regex>
#include <sys/stat.h>
#include <string>
#include <vector>

namespace {

// The tool's output with each version's time ("2026-12-10T16:41:32Z") as
// TIME: the run's own time is never the expected one.
std::string WithoutTimes(const std::string& output)
{
    static const std::regex time(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)");
    return std::regex_replace(output, time, "TIME");
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(History, ThreeConfiguresAndAToolChangeSeenComparedRestoredAndUndone)
{
    Site site(FixtureIni());
    std::vector<std::string> contents = {ReadFile(site.ini)};
    ASSERT_EQ(0, SubmitForm(site, "192.0.2.1", [](std::vector<FormControl>& controls) {
                     ControlNamed(controls, "SMTP").value = "mail.example.net";
                     ControlNamed(controls, "MaxNumber").value = "25";
                 }).status);
    contents.push_back(ReadFile(site.ini));
    ASSERT_EQ(0, SubmitForm(site, "192.0.2.2", [](std::vector<FormControl>& controls) {
                     ControlNamed(controls, "MasterPasswd").value = "n3w-master";
                     std::string& items = ControlNamed(controls, "iteminfo").value;
                     items.replace(items.find("*Name"), 5, "*FullName");
                 }).status);
    contents.push_back(ReadFile(site.ini));
    ASSERT_EQ(0, SubmitForm(site, "2001:db8::3", [](std::vector<FormControl>& controls) {
                     ControlNamed(controls, "iteminfo").value += "Mobile,20,phone\r\n";
                 }).status);
    contents.push_back(ReadFile(site.ini));
    const ProgramAnswer set = RunTool({"set-password", site.folder}, "n3w-admin\n");
    ASSERT_EQ(0, set.status) << set.errors;
    EXPECT_EQ("administration password set for " + site.ini + "\n", set.output);
    contents.push_back(ReadFile(site.ini));
    for (size_t i = 1; i < contents.size(); ++i)
        ASSERT_NE(contents[i - 1], contents[i]) << "change " << i << " changed nothing";

    const std::string items = "[database entry info] entry item ";
    // The history names an item list once, as the pages and the log do.
    const ProgramAnswer history = RunTool({"history", site.folder});
    EXPECT_EQ(0, history.status) << history.errors;
    EXPECT_EQ("1  TIME  shell tool uid " + std::to_string(::getuid()) +
                  "  changed [Administration] Administration password\n"
                  "2  TIME  2001:db8::3  changed [database entry info] entry items, [report] hit count\n"
                  "3  TIME  192.0.2.2  changed [password] masterpassword, [database entry info] entry items\n"
                  "4  TIME  192.0.2.1  changed [search options] found entries per page, [report] SMTP server\n",
              WithoutTimes(history.output));

    const ProgramAnswer diff = RunTool({"diff", site.folder, "4"});
    EXPECT_EQ(0, diff.status) << diff.errors;
    EXPECT_EQ("[password] masterpassword: (changed)\n" +
                  items + "number: \"8\" \u2192 \"9\"\n" +
                  items + "name: item 1 changed: \"*Name\" \u2192 \"*FullName\"\n" +
                  items + "name: item 9 added: \"Mobile\"\n" +
                  items + "data type: item 9 added: \"phone\"\n" +
                  items + "DB storage length: item 9 added: \"20\"\n"
                  "[search options] found entries per page: \"20\" \u2192 \"25\"\n"
                  "[Administration] Administration password: (changed)\n"
                  "[report] hit count: \"1\" \u2192 \"0\"\n"
                  "[report] SMTP server: \"smtp.example.com\" \u2192 \"mail.example.net\"\n",
              diff.output);
    EXPECT_EQ("[Administration] Administration password: (changed)\n", RunTool({"diff", site.folder, "1"}).output);
    // ("master" also begins the key "masterpassword": looked for as a value.)
    for (const std::string& password : {FixturePassword(), std::string("n3w-admin"), std::string("\"master"),
                                        std::string("n3w-master")}) {
        EXPECT_FALSE(Contains(history.output, password)) << password;
        EXPECT_FALSE(Contains(diff.output, password)) << password;
    }

    // Version 2 is the content before the third update.
    const ProgramAnswer restore = RunTool({"restore", site.folder, "2"});
    EXPECT_EQ(0, restore.status) << restore.errors;
    EXPECT_EQ("restored version 2 (TIME, replaced by 2001:db8::3) to " + site.ini + "\n",
              WithoutTimes(restore.output));
    EXPECT_EQ(contents[2], ReadFile(site.ini));
    const ProgramAnswer after = RunTool({"history", site.folder});
    EXPECT_EQ("1  TIME  shell tool uid " + std::to_string(::getuid()) + "  changed [database entry info] entry items, "
                  "[Administration] Administration password, [report] hit count\n",
              WithoutTimes(after.output.substr(0, after.output.find('\n') + 1)));
    EXPECT_EQ(5, std::count(after.output.begin(), after.output.end(), '\n')) << after.output;
    EXPECT_EQ("no difference: " + site.ini + " holds version 3\n", RunTool({"diff", site.folder, "3"}).output);

    // The restore undone: the file as the tool left it.
    EXPECT_EQ(0, RunTool({"restore", site.ini, "1"}).status);
    EXPECT_EQ(contents[4], ReadFile(site.ini));
    // Nothing to restore when the file holds the version already.
    const ProgramAnswer again = RunTool({"restore", site.ini, "2"});
    EXPECT_EQ(0, again.status);
    EXPECT_EQ("nothing changed: " + site.ini + " already holds version 2 (TIME, replaced by shell tool uid " +
                  std::to_string(::getuid()) + ")\n",
              WithoutTimes(again.output));
    EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
}

TEST(History, ElevenChangesKeepTenVersions)
{
    Site site(FixtureIni());
    for (int i = 0; i < 11; ++i)
        ASSERT_EQ(0, RunTool({i % 2 ? "enable-remote" : "disable-remote", site.folder}).status);
    const ProgramAnswer history = RunTool({"history", site.folder});
    EXPECT_EQ(0, history.status);
    const std::string line = "  changed [Administration] Enable Remote Administration\n";
    std::string expected;
    for (int n = 1; n <= 10; ++n)
        expected += std::to_string(n) + "  TIME  shell tool uid " + std::to_string(::getuid()) + line;
    EXPECT_EQ(expected, WithoutTimes(history.output));
    EXPECT_EQ(10u, site.Versions().size());
    EXPECT_EQ(1, RunTool({"diff", site.folder, "11"}).status);
}

// A change made by other means (an editor, or one whose predecessor was not
// kept) shows as a gap where it lies, and no history at all is no failure.
TEST(History, GapsAndNone)
{
    Site site(FixtureIni());
    EXPECT_EQ("no versions kept for " + site.ini + "\n", RunTool({"history", site.folder}).output);
    ASSERT_EQ(0, RunTool({"disable-remote", site.folder}).status);
    WriteFile(site.ini, ReadFile(site.ini) + "[added]\nby=hand\n\n");
    ASSERT_EQ(0, RunTool({"enable-remote", site.folder}).status);
    WriteFile(site.ini, ReadFile(site.ini) + "[added again]\nby=hand\n\n");
    const std::string uid = std::to_string(::getuid());
    EXPECT_EQ("-  a change after 1 was not kept, or the file was changed by other means\n"
              "1  TIME  shell tool uid " + uid + "  changed [Administration] Enable Remote Administration, [added again] by\n"
              "-  a change after 2 was not kept, or the file was changed by other means\n"
              "2  TIME  shell tool uid " + uid + "  changed [Administration] Enable Remote Administration, [added] by\n",
              WithoutTimes(RunTool({"history", site.folder}).output));
    // A key no setting names is shown changed, never with its values.
    EXPECT_EQ("[added] by: (changed)\n[added again] by: (changed)\n", RunTool({"diff", site.folder, "2"}).output);
    EXPECT_EQ("[Administration] Enable Remote Administration: \"0\" \u2192 \"1\"\n[added again] by: (changed)\n",
              RunTool({"diff", site.folder, "1"}).output);
}

// A history folder that cannot be had: the change goes through and says so;
// the history says why it cannot be read.
TEST(History, ChangeWithoutItsPredecessorKeptSaysSo)
{
    Site site(FixtureIni());
    WriteFile(site.folder + "/" + HistoryFolder, "not a folder\n");
    const ProgramAnswer set = RunTool({"disable-remote", site.folder});
    EXPECT_EQ(0, set.status) << set.errors;
    EXPECT_EQ("remote administration disabled for " + site.ini +
                  " (previous configuration not kept: history folder: Not a directory)\n",
              set.output);
    const ProgramAnswer history = RunTool({"history", site.folder});
    EXPECT_EQ(1, history.status);
    EXPECT_EQ("zephconf-admin: cannot open the history of " + site.ini + ": Not a directory\n", history.errors);
}

// A file and versions whose sections, keys, values and who hold what a
// terminal acts on (ESC, a CSI that clears the screen, an OSC 8 link, a
// one-byte CSI in UTF-8, a right-to-left override, a bare CR): history, diff
// and restore print each of them escaped, and nothing that acts.
TEST(History, NothingPrintedActsOnATerminal)
{
    const std::string clear = "\x1b[2J", link = "\x1b]8;;http://x/\x07" "click\x1b]8;;\x07", csi = "\xc2\x9b" "31m",
                      rtl = "\xe2\x80\xae", cr = "\r";
    const std::string before = FixtureIni() + "[s" + clear + rtl + "]\nk" + link + cr + "x=v\n\n";
    Site site(before);
    ASSERT_EQ(0, RunTool({"disable-remote", site.folder}).status);
    // The file changed again by other means, every name and value anew.
    const std::string value = "v" + csi + cr + "y" + rtl + link;
    WriteFile(site.ini, WithIniValue(ReadFile(site.ini), "report", "SMTP server", value) + "[t" + csi + "]\nk" + clear +
                            "=w" + link + "\n\n");
    // A version planted with a who of its own, the oldest.
    const std::string who = "%1B%5B2J%C2%9B31m%E2%80%AE%0D%1B%5D8%3B%3Bhttp%3A%2F%2Fx%2F%07";
    const std::string planted = site.folder + "/" + HistoryFolder + "/shop.ini.20200101T000000Z." +
                                ContentDigest(before) + "." + who;
    WriteFile(planted, FixtureIni());

    std::vector<ProgramAnswer> answers = {RunTool({"history", site.folder}), RunTool({"diff", site.folder, "1"}),
                                          RunTool({"diff", site.folder, "2"}),
                                          RunTool({"restore", site.folder, "2"})};
    std::string all;
    for (const ProgramAnswer& answer : answers) {
        EXPECT_EQ(0, answer.status) << answer.errors;
        all += answer.output + answer.errors;
    }
    for (size_t at = 0; at < all.size(); ++at) {
        const unsigned char byte = static_cast<unsigned char>(all[at]);
        EXPECT_FALSE((byte < 0x20 && byte != '\n') || byte == 0x7f || byte == 0x9b)
            << "byte " << static_cast<int>(byte) << " at " << at << " of\n" << all;
    }
    EXPECT_FALSE(Contains(all, rtl)) << all;
    // Each is there, escaped: in a section, a key, a value and who.
    for (const char* shown : {"[s\\x1b[2J\\xe2\\x80\\xae] k\\x1b]8;;http://x/\\x07click",
                              "[t\\xc2\\x9b31m] k\\x1b[2J: (changed)",
                              "\\x1b[2J\\xc2\\x9b31m\\xe2\\x80\\xae\\x0d\\x1b]8;;http://x/\\x07",
                              "v\\xc2\\x9b31m\\x0dy"})
        EXPECT_TRUE(Contains(all, shown)) << shown << " not in\n" << all;
}

// Root on the web server's database: the history folder and its versions
// are the web server user's, as the file is, and the tool's own later runs
// and the web program's can add to them.
TEST(History, KeptAsTheFolderOwnerWhenRootRunsTheTool)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give the database to the web server's user";
    Site site(FixtureIni());
    GiveToWebServer(site);
    const WebServerUser owner = WebServer();
    ASSERT_EQ(0, RunTool({"disable-remote", site.folder}).status);
    ASSERT_EQ(0, RunTool({"restore", site.folder, "1"}).status);
    EXPECT_EQ(FixtureIni(), ReadFile(site.ini));
    const std::string history = site.folder + "/" + HistoryFolder;
    struct stat status {};
    ASSERT_EQ(0, ::lstat(history.c_str(), &status));
    EXPECT_EQ(owner.uid, status.st_uid);
    EXPECT_EQ(0700u, status.st_mode & 07777);
    const std::vector<std::string> names = FolderEntriesOf(history);
    ASSERT_EQ(2u, names.size());
    for (const std::string& name : names) {
        ASSERT_EQ(0, ::lstat((history + "/" + name).c_str(), &status));
        EXPECT_EQ(owner.uid, status.st_uid) << name;
        EXPECT_EQ(0600u, status.st_mode & 07777) << name;
        // Who made the change: root, whose rights the tool gave up.
        EXPECT_TRUE(EndsWith(name, ".shell_tool_uid_0")) << name;
    }
}

}  // namespace
