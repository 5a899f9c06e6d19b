// The configuration history through the web program: the kept versions
// listed with their gaps, a change's differences, a restore's confirmation
// and the restore itself, refused as the administration form is refused,
// and never a password in an answer or a log line.
#include "files/SigninKey.h"
#include "reliability/Tools.h"
#include "support/Fixture.h"
#include "support/Form.h"
#include "support/IniText.h"
#include "support/Site.h"
#include "support/Submission.h"
#include "tool/ToolRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace {

const std::string Address = "192.0.2.50";
const std::string NewMasterPassword = "n3w-Master-pw";

// act with `fields` for the fixture database, the password given.
ProgramAnswer Act(const Site& site, const std::string& act, const FormFields& fields = {},
                  const std::string& password = FixturePassword())
{
    FormFields all = {{"DBName", FixtureName}, {"act", act}, {"password", password}};
    all.insert(all.end(), fields.begin(), fields.end());
    return PostFrom(site, Address, all);
}

// The version names of the list page's rows, in page order.
std::vector<std::string> ListedVersions(const std::string& page)
{
    static const std::regex button(R"re(<button type="submit" name="changes" value="([^"]*)">)re");
    std::vector<std::string> names;
    for (auto match = std::sregex_iterator(page.begin(), page.end(), button); match != std::sregex_iterator(); ++match)
        names.push_back((*match)[1]);
    return names;
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// No password of the database, old or new, in what a request answered or logged.
void ExpectNoPassword(const ProgramAnswer& answer, const std::string& what)
{
    for (const std::string& password : {FixturePassword(), NewMasterPassword})
        for (const std::string* text : {&answer.output, &answer.errors})
            EXPECT_FALSE(Contains(*text, password)) << what << ": " << password;
}

TEST(WebHistory, TenVersionsListedWithAGapShownAndOneRestored)
{
    Site site(FixtureIni());
    std::vector<std::string> contents;  // the file before each change
    for (int i = 1; i <= 11; ++i) {
        contents.push_back(ReadFile(site.ini));
        if (i == 6) {
            // A change by other means: no version keeps what it replaced.
            WriteFile(site.ini, WithIniValue(ReadFile(site.ini), "report", "Stats subject", "edited by hand"));
        }
        const ProgramAnswer saved = SubmitForm(site, Address, [i](std::vector<FormControl>& controls) {
            ControlNamed(controls, "SMTP").value = "mail-" + std::to_string(i) + ".example.net";
            if (i == 9)
                ControlNamed(controls, "MasterPasswd").value = NewMasterPassword;
        });
        ASSERT_EQ(0, saved.status) << saved.output;
    }

    const ProgramAnswer list = Act(site, "history");
    EXPECT_EQ(0, list.status) << list.output;
    ExpectNoPassword(list, "the list");
    const std::vector<std::string> names = ListedVersions(list.output);
    ASSERT_EQ(10u, names.size()) << list.output;
    // Newest first: the newest is what the last save replaced.
    const std::string newest = names.front();
    EXPECT_EQ(1, Count(list.output, "A later change was not kept, or the file was changed by other means."));
    // Between what change 6 replaced (the hand's edit in it) and what change 5 replaced.
    EXPECT_LT(list.output.find(names[5]), list.output.find("A later change was not kept"));
    EXPECT_GT(list.output.find(names[6]), list.output.find("A later change was not kept"));
    EXPECT_TRUE(Contains(list.output, "<td data-label=\"Settings changed\" class=\"names\">[report] SMTP server</td>"));
    EXPECT_TRUE(Contains(list.output, "[password] masterpassword, [report] SMTP server"));
    EXPECT_TRUE(Contains(list.output, "<td data-label=\"By\">" + Address + "</td>"));

    // The last save's changes, the current file compared.
    const ProgramAnswer changes = Act(site, "history", {{"changes", newest}});
    EXPECT_EQ(0, changes.status) << changes.output;
    EXPECT_TRUE(Contains(changes.output, "<td data-label=\"Section\">report</td><td data-label=\"Setting\">SMTP server</td>"
                                         "<td data-label=\"Change\">mail-10.example.net &rarr; mail-11.example.net</td>"))
        << changes.output;
    EXPECT_TRUE(Contains(changes.output, "compared with the configuration as it is now"));
    // The password change: named, never shown.
    const ProgramAnswer masked = Act(site, "history", {{"changes", names[2]}});
    EXPECT_TRUE(Contains(masked.output, "<td data-label=\"Setting\">masterpassword</td><td data-label=\"Change\">(changed)</td>"))
        << masked.output;
    ExpectNoPassword(masked, "a password's change");

    // The confirmation changes nothing and warns of nothing here.
    const std::string before = ReadFile(site.ini);
    const ProgramAnswer confirmation = Act(site, "history", {{"restore", names[1]}});
    EXPECT_EQ(0, confirmation.status);
    EXPECT_TRUE(Contains(confirmation.output, "mail-11.example.net &rarr; mail-9.example.net"));
    EXPECT_FALSE(Contains(confirmation.output, "Warning"));
    EXPECT_TRUE(Contains(confirmation.output, "<input type=\"hidden\" name=\"version\" value=\"" + names[1] + "\">"));
    EXPECT_EQ(before, ReadFile(site.ini));
    EXPECT_EQ(10u, site.Versions().size());

    // The restore: the version byte for byte, the content replaced kept, one line logged.
    const ProgramAnswer restored = Act(site, "restore", {{"version", names[1]}});
    EXPECT_EQ(0, restored.status) << restored.output;
    ExpectNoPassword(restored, "the restore");
    EXPECT_EQ(contents[9], ReadFile(site.ini));
    EXPECT_EQ(before, site.Versions().front());
    EXPECT_TRUE(std::regex_match(restored.errors,
                                 std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ zephconf: configuration restored for database "shop" )"
                                            R"(from 192\.0\.2\.50 \(version \d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ\): )"
                                            R"(changed \[report\] SMTP server\n)")))
        << restored.errors;
    // Undone by restoring what it replaced.
    const std::vector<std::string> after = ListedVersions(Act(site, "history").output);
    ASSERT_EQ(10u, after.size());
    EXPECT_EQ(0, Act(site, "restore", {{"version", after.front()}}).status);
    EXPECT_EQ(before, ReadFile(site.ini));
}

TEST(WebHistory, ChangesShowItemListsItemByItemAndEveryValueEscaped)
{
    Site site(FixtureIni());
    ASSERT_EQ(0, SubmitForm(site, Address, [](std::vector<FormControl>& controls) {
                     ControlNamed(controls, "SMTP").value = "<b>mail</b> & \"co\"";
                     std::string& items = ControlNamed(controls, "iteminfo").value;
                     items.replace(items.find("*Name"), 5, "*FullName");
                     items += "Mobile,20,phone\r\n";
                 }).status);
    const std::vector<std::string> names = ListedVersions(Act(site, "history").output);
    ASSERT_EQ(1u, names.size());
    const std::string list = Act(site, "history").output;
    EXPECT_TRUE(Contains(list, ">[database entry info] entry items, [report] SMTP server</td>")) << list;

    const std::string changes = Act(site, "history", {{"changes", names[0]}}).output;
    const std::string entry = "<td data-label=\"Section\">database entry info</td><td data-label=\"Setting\">";
    for (const std::string& row : {
             entry + "entry item number</td><td data-label=\"Change\">8 &rarr; 9</td>",
             entry + "entry item name, item 1</td><td data-label=\"Change\">*Name &rarr; *FullName</td>",
             entry + "entry item name, item 9</td><td data-label=\"Change\">added: Mobile</td>",
             entry + "entry item data type, item 9</td><td data-label=\"Change\">added: phone</td>",
             std::string("<td data-label=\"Change\">smtp.example.com &rarr; &lt;b&gt;mail&lt;/b&gt; &amp; &quot;co&quot;</td>"),
         })
        EXPECT_TRUE(Contains(changes, row)) << row << "\n" << changes;
    EXPECT_FALSE(Contains(changes, "<b>mail"));
}

TEST(WebHistory, AVersionNameThatIsNoVersionOfTheDatabaseIsRefused)
{
    Site site(FixtureIni());
    ASSERT_EQ(0, SubmitForm(site, Address, [](std::vector<FormControl>& controls) {
                     ControlNamed(controls, "SMTP").value = "mail.example.net";
                 }).status);
    const std::string kept = ListedVersions(Act(site, "history").output).at(0);
    const std::filesystem::path history = std::filesystem::path(site.folder) / HistoryFolder;
    // Names a history folder could hold that are no version of this database.
    const std::string otherDatabase = "other.ini" + kept.substr(kept.find(".ini") + 4);
    WriteFile(history / otherDatabase, WithIniValue(FixtureIni(), "report", "SMTP server", "planted"));
    const std::string link = kept.substr(0, kept.rfind('.')) + ".linked";
    std::filesystem::create_symlink("/etc/hostname", history / link);

    const std::string file = ReadFile(site.ini);
    for (const std::string& name : {otherDatabase, "../" + FixtureName + ".ini", "../../" + kept, kept + "x",
                                    std::string(), link, std::string("/etc/passwd")}) {
        for (const auto& [act, field] : {std::pair<const char*, const char*>{"restore", "version"},
                                         {"history", "changes"}, {"history", "restore"}}) {
            const ProgramAnswer refused = Act(site, act, {{field, name}});
            EXPECT_EQ(1, refused.status) << name << " " << act << "&" << field << "\n" << refused.output;
            EXPECT_FALSE(Contains(refused.output, "planted")) << name;
            EXPECT_FALSE(Contains(refused.errors, "restored")) << name;
            EXPECT_EQ(file, ReadFile(site.ini)) << name;
        }
    }
}

TEST(WebHistory, RefusedAsTheFormIsRefused)
{
    Site site(FixtureIni());
    ASSERT_EQ(0, SubmitForm(site, Address, [](std::vector<FormControl>& controls) {
                     ControlNamed(controls, "SMTP").value = "mail.example.net";
                 }).status);
    const std::string kept = ListedVersions(Act(site, "history").output).at(0);
    const std::string file = ReadFile(site.ini);
    const std::string badPassword = "<H1><font color=\"#ff0000\">Bad password. Operation aborted.</font></H1>";
    struct Case {
        const char* what;
        std::string act;
        FormFields fields;
        std::string password;
        std::string heading;
        std::string logged;  // after the line's time
    };
    const Case cases[] = {
        {"the list, a wrong password", "history", {}, "guess", badPassword,
         "zephconf: authentication failure for database \"shop\" from 192.0.2.50\n"},
        {"the changes, a password in other letter case", "HISTORY", {{"changes", kept}}, "S3CRET", badPassword,
         "zephconf: authentication failure for database \"shop\" from 192.0.2.50\n"},
        {"the restore, no password", "restore", {{"version", kept}}, "", badPassword,
         "zephconf: authentication failure for database \"shop\" from 192.0.2.50\n"},
        {"the restore without a version", "restore", {}, FixturePassword(),
         "<H1><font color=\"#ff0000\">Bad html form data. Operation aborted.</font></H1>", ""},
    };
    for (const Case& c : cases) {
        const ProgramAnswer refused = Act(site, c.act, c.fields, c.password);
        EXPECT_EQ(1, refused.status) << c.what;
        EXPECT_TRUE(Contains(refused.output, c.heading)) << c.what << "\n" << refused.output;
        EXPECT_EQ(c.logged, refused.errors.size() > 21 ? refused.errors.substr(21) : refused.errors) << c.what;
        EXPECT_EQ(file, ReadFile(site.ini)) << c.what;
    }

    // A restore asked for with GET, as a link or a prefetch asks.
    const ProgramAnswer got = site.Get("act=restore&DBName=shop&password=" + UrlEncode(FixturePassword()) +
                                       "&version=" + UrlEncode(kept));
    EXPECT_EQ(1, got.status);
    EXPECT_TRUE(Contains(got.output, "Bad html form data"));
    EXPECT_EQ(file, ReadFile(site.ini));

    // Remote administration off: everyone refused.
    WriteFile(site.ini, WithIniValue(file, "Administration", "Enable Remote Administration", "0"));
    for (const char* act : {"history", "restore"}) {
        const ProgramAnswer off = Act(site, act, {{"version", kept}});
        EXPECT_EQ(1, off.status) << act;
        EXPECT_TRUE(Contains(off.output, "Remote administration is not allowed")) << act;
    }
}

TEST(WebHistory, ABusyFileAndAFullDiskLeaveTheFileAsItWas)
{
    Site site(FixtureIni());
    ASSERT_EQ(0, SubmitForm(site, Address, [](std::vector<FormControl>& controls) {
                     ControlNamed(controls, "SMTP").value = "mail.example.net";
                 }).status);
    const std::string kept = ListedVersions(Act(site, "history").output).at(0);
    const std::string file = ReadFile(site.ini);
    const std::string body = FormBody({{"DBName", FixtureName}, {"act", "restore"},
                                       {"password", FixturePassword()}, {"version", kept}});
    {
        // Held by another request past the lock wait.
        HeldLock lock(site.ini);
        const ProgramAnswer busy = site.Post(body);
        EXPECT_EQ(1, busy.status);
        EXPECT_TRUE(Contains(busy.output, "Database initiation file is not present")) << busy.output;
        EXPECT_EQ(file, ReadFile(site.ini));
    }
    // No room for a byte: the file as it was, no version of the failed
    // restore, nothing left behind, nothing logged.
    const std::string prlimit = ToolPath("prlimit");
    ASSERT_FALSE(prlimit.empty()) << "prlimit is missing";
    const ProgramAnswer full = site.Post(body, {prlimit, "--fsize=0"});
    EXPECT_EQ(1, full.status);
    EXPECT_TRUE(Contains(full.output, "File too large")) << full.output;
    EXPECT_EQ("", full.errors);
    EXPECT_EQ(file, ReadFile(site.ini));
    EXPECT_EQ(1u, site.Versions().size());
    EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
    // A disk full for every write: the same.
    ASSERT_FALSE(ToolPath("strace").empty()) << "strace is missing";
    const std::vector<std::string> fullAt = Strace({"-o", "/dev/null", "-e", "trace=pwrite64", "-e",
                                                    "inject=pwrite64:error=ENOSPC:when=1+"});
    const ProgramAnswer noSpace = site.Post(body, fullAt);
    EXPECT_EQ(1, noSpace.status);
    EXPECT_TRUE(Contains(noSpace.output, "File write: No space left on device")) << noSpace.output;
    EXPECT_EQ("", noSpace.errors);
    EXPECT_EQ(file, ReadFile(site.ini));
    EXPECT_EQ(1u, site.Versions().size());
    // Full only for the version's write: the restore is made without it, and says so.
    const ProgramAnswer unkept = site.Post(body, Strace({"-o", "/dev/null", "-e", "trace=pwrite64", "-e",
                                                         "inject=pwrite64:error=ENOSPC:when=1"}));
    EXPECT_EQ(0, unkept.status) << unkept.output;
    EXPECT_EQ(FixtureIni(), ReadFile(site.ini));
    EXPECT_TRUE(Contains(unkept.output, "The configuration it replaced could not be kept: history version: "
                                        "No space left on device")) << unkept.output;
    EXPECT_TRUE(Contains(unkept.errors, "changed [report] SMTP server (previous configuration not kept: "
                                        "history version: No space left on device)\n")) << unkept.errors;
}

TEST(WebHistory, ARestoreThatTurnsRemoteAdministrationOffIsWarnedOfAndDone)
{
    // Kept by the shell tool: remote administration off with an older
    // password, then the password set, then remote administration on.
    const std::string older = WithIniValue(
        WithIniValue(FixtureIni(), "Administration", "Enable Remote Administration", "0"), "Administration",
        "Administration password", "0ld-Admin-pw");
    Site site(older);
    ASSERT_EQ(0, RunTool({"set-password", site.folder}, FixturePassword() + "\n").status);
    const std::string passwordSet = ReadFile(site.ini);
    ASSERT_EQ(0, RunTool({"enable-remote", site.folder}).status);

    const std::vector<std::string> names = ListedVersions(Act(site, "history").output);
    ASSERT_EQ(2u, names.size());
    const std::string remoteOff = "this version turns remote administration off";
    const std::string otherPassword = "this version holds another administration password";
    const ProgramAnswer both = Act(site, "history", {{"restore", names[1]}});
    EXPECT_EQ(0, both.status);
    EXPECT_TRUE(Contains(both.output, remoteOff)) << both.output;
    EXPECT_TRUE(Contains(both.output, otherPassword));
    EXPECT_TRUE(Contains(both.output, "<td data-label=\"Setting\">Administration password</td>"
                                      "<td data-label=\"Change\">(changed)</td>"));
    EXPECT_FALSE(Contains(both.output, "0ld-Admin-pw"));
    const ProgramAnswer one = Act(site, "history", {{"restore", names[0]}});
    EXPECT_TRUE(Contains(one.output, remoteOff));
    EXPECT_FALSE(Contains(one.output, otherPassword));

    const ProgramAnswer restored = Act(site, "restore", {{"version", names[0]}});
    EXPECT_EQ(0, restored.status) << restored.output;
    EXPECT_EQ(passwordSet, ReadFile(site.ini));
    EXPECT_TRUE(Contains(restored.errors, "changed [Administration] Enable Remote Administration\n"))
        << restored.errors;
    // Nothing to go on to: no undo, no sign-in, and the key that signed them is gone.
    EXPECT_FALSE(Contains(restored.output, "Undo this restore"));
    EXPECT_FALSE(Contains(restored.output, "name=\"signin\""));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(site.folder) / SigninKeyName));
    // From now on the page refuses its owner, as it warned.
    EXPECT_TRUE(Contains(Act(site, "history").output, "Remote administration is not allowed"));
}

}  // namespace
