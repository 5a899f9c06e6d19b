// Signed in once through the web program: after the password is checked,
// the history's pages and the restore carry a sign-in in their posted forms;
// a save is undone from its confirmation in two clicks with no password typed
// again. A sign-in that is forged, altered, ended, another database's, sent
// in an address, or outlived by the password or the remote administration
// switch is refused as a wrong password, and logged for fail2ban. No page,
// log line or kept version holds the password or the key.
#include "base/Sha256.h"
#include "files/SigninKey.h"
#include "request/SigninToken.h"
#include "support/Fixture.h"
#include "support/Form.h"
#include "support/IniText.h"
#include "support/Site.h"
#include "support/Submission.h"
#include "tool/ToolRun.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string Address = "192.0.2.50";
const std::string NewPassword = "n3w-Admin-pw";
const std::string BadPassword = "<H1><font color=\"#ff0000\">Bad password. Operation aborted.</font></H1>";
const std::string Logged = "zephconf: authentication failure for database \"shop\" from 192.0.2.50\n";

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// What a browser posts when the button labelled `label` is clicked: the
// hidden fields of the button's form and the button's own name and value.
FormFields Clicked(const std::string& page, const std::string& label)
{
    static const std::regex form(R"(<form [^>]*>([\s\S]*?)</form>)");
    static const std::regex hidden(R"re(<input type="hidden" name="([^"]*)" value="([^"]*)">)re");
    static const std::regex button(R"re(<button type="submit"(?: name="([^"]*)" value="([^"]*)")?>([^<]*)</button>)re");
    for (auto one = std::sregex_iterator(page.begin(), page.end(), form); one != std::sregex_iterator(); ++one) {
        const std::string inside = (*one)[1];
        for (auto b = std::sregex_iterator(inside.begin(), inside.end(), button); b != std::sregex_iterator(); ++b) {
            if ((*b)[3] != label)
                continue;
            FormFields fields;
            for (auto h = std::sregex_iterator(inside.begin(), inside.end(), hidden); h != std::sregex_iterator(); ++h)
                fields.emplace_back((*h)[1], (*h)[2]);
            if ((*b)[1].matched)
                fields.emplace_back((*b)[1], (*b)[2]);
            return fields;
        }
    }
    ADD_FAILURE() << "no button \"" << label << "\" in\n" << page;
    return {};
}

std::string FieldOf(const FormFields& fields, const std::string& name)
{
    for (const auto& [field, value] : fields)
        if (field == name)
            return value;
    return {};
}

// A click, counted; the page it leads to.
struct Walk {
    const Site& site;
    int clicks = 0;
    ProgramAnswer Click(const ProgramAnswer& from, const std::string& label)
    {
        ++clicks;
        return PostFrom(site, Address, Clicked(from.output, label));
    }
};

std::string KeyOf(const Site& site)
{
    return ReadFile(fs::path(site.folder) / SigninKeyName);
}

std::string Hex(const std::string& bytes)
{
    std::string hex;
    for (unsigned char byte : bytes) {
        hex += "0123456789abcdef"[byte >> 4];
        hex += "0123456789abcdef"[byte & 15];
    }
    return hex;
}

// Neither password, nor the key (raw or as hex), in what a request answered or logged.
void ExpectNothingSecret(const Site& site, const ProgramAnswer& answer, const std::string& what)
{
    const std::string key = fs::exists(fs::path(site.folder) / SigninKeyName) ? KeyOf(site) : std::string();
    for (const std::string* text : {&answer.output, &answer.errors}) {
        for (const std::string& password : {FixturePassword(), NewPassword})
            EXPECT_FALSE(Contains(*text, password)) << what << ": " << password;
        if (!key.empty()) {
            EXPECT_FALSE(Contains(*text, key)) << what;
            EXPECT_FALSE(Contains(*text, Hex(key))) << what;
        }
    }
}

// A save of a new SMTP server in the form as served, the password typed.
ProgramAnswer Save(const Site& site, const std::string& smtp)
{
    return SubmitForm(site, Address, [&smtp](std::vector<FormControl>& controls) {
        ControlNamed(controls, "SMTP").value = smtp;
    });
}

TEST(WebSignin, ASaveUndoneFromItsConfirmationInTwoClicksWithoutThePassword)
{
    Site site(FixtureIni());
    const std::string before = ReadFile(site.ini);
    const ProgramAnswer saved = Save(site, "mail.example.net");
    ASSERT_EQ(0, saved.status) << saved.output;
    ExpectNothingSecret(site, saved, "the save's confirmation");
    // The page as it was, then the form: one more form and nothing else.
    const std::string linkLine = "Go to the database main page to check it out.</A>\n</h2>\n";
    const size_t link = saved.output.find(linkLine);
    ASSERT_NE(std::string::npos, link);
    EXPECT_EQ(link + linkLine.size(), saved.output.find("<form")) << saved.output;
    EXPECT_TRUE(saved.output.ends_with("</form>\n"));
    EXPECT_FALSE(Contains(saved.output, "type=\"password\""));

    Walk walk {site};
    const ProgramAnswer confirmation = walk.Click(saved, "Undo this save");
    EXPECT_EQ(0, confirmation.status) << confirmation.output;
    ExpectNothingSecret(site, confirmation, "the restore's confirmation");
    EXPECT_TRUE(Contains(confirmation.output, "<p class=\"goes-back\">The configuration goes back to what it was before the "
                                              "change made at "));
    EXPECT_TRUE(Contains(confirmation.output, "mail.example.net &rarr; smtp.example.com")) << confirmation.output;
    // Only opening the administration form asks for the password.
    EXPECT_EQ(1, Count(confirmation.output, "type=\"password\""));
    EXPECT_EQ(1, Count(confirmation.output, "id=\"form-password\""));
    EXPECT_NE(before, ReadFile(site.ini));

    const ProgramAnswer restored = walk.Click(confirmation, "Undo this change");
    EXPECT_EQ(0, restored.status) << restored.output;
    ExpectNothingSecret(site, restored, "the restore");
    EXPECT_EQ(before, ReadFile(site.ini));
    EXPECT_TRUE(Contains(restored.errors, "configuration restored for database \"shop\" from 192.0.2.50"));
    EXPECT_EQ(2, walk.clicks);

    // The restore's page offers the same: its undo, and the history.
    const ProgramAnswer again = walk.Click(restored, "Undo this restore");
    EXPECT_TRUE(Contains(again.output, "smtp.example.com &rarr; mail.example.net")) << again.output;
    const ProgramAnswer list = walk.Click(restored, "History");
    EXPECT_EQ(0, list.status);
    EXPECT_TRUE(Contains(list.output, "Changes, newest first"));
}

TEST(WebSignin, OneSigninCarriesTheListTheChangesTheConfirmationAndTheRestore)
{
    Site site(FixtureIni());
    ASSERT_EQ(0, Save(site, "mail-1.example.net").status);
    const std::string first = ReadFile(site.ini);
    ASSERT_EQ(0, Save(site, "mail-2.example.net").status);

    const ProgramAnswer list = PostFrom(site, Address, {{"DBName", FixtureName}, {"act", "history"},
                                                        {"password", FixturePassword()}});
    ASSERT_EQ(0, list.status);
    EXPECT_EQ(2, Count(list.output, ">Undo this change</button>"));
    EXPECT_FALSE(Contains(list.output, "Restore this version"));
    ExpectNothingSecret(site, list, "the list");
    Walk walk {site};
    const ProgramAnswer changes = walk.Click(list, "Show changes");
    EXPECT_TRUE(Contains(changes.output, "mail-1.example.net &rarr; mail-2.example.net")) << changes.output;
    const ProgramAnswer back = walk.Click(changes, "Back to the history");
    EXPECT_TRUE(Contains(back.output, "Changes, newest first"));
    const ProgramAnswer confirmation = walk.Click(changes, "Undo this change");
    const ProgramAnswer restored = walk.Click(confirmation, "Undo this change");
    EXPECT_EQ(0, restored.status) << restored.output;
    EXPECT_EQ(first, ReadFile(site.ini));
    // The sign-in is passed on as it was given: it ends when the password's check said.
    const std::string given = FieldOf(Clicked(list.output, "Show changes"), "signin");
    EXPECT_EQ(given, FieldOf(Clicked(restored.output, "History"), "signin"));
}

// Each case: a database with a save, a sign-in given for it by the history
// list, then something done to it, and a request that must be refused.
TEST(WebSignin, ARestoreOfAnotherPasswordCanStillBeUndoneFromItsPage)
{
    // Kept by the tool: the file before the password was set to the fixture's.
    Site site(WithIniValue(FixtureIni(), "Administration", "Administration password", NewPassword));
    ASSERT_EQ(0, RunTool({"set-password", site.folder}, FixturePassword() + "\n").status);
    const std::string current = ReadFile(site.ini);
    const ProgramAnswer list = PostFrom(site, Address, {{"DBName", FixtureName}, {"act", "history"},
                                                        {"password", FixturePassword()}});
    Walk walk {site};
    const ProgramAnswer confirmation = walk.Click(list, "Undo this change");
    EXPECT_TRUE(Contains(confirmation.output, "until your sign-in ends, its page can still undo the restore"));
    const ProgramAnswer restored = walk.Click(confirmation, "Undo this change");
    ASSERT_EQ(0, restored.status) << restored.output;
    ExpectNothingSecret(site, restored, "the restore of another password");
    // The sign-in the list gave is the old password's: refused now.
    const ProgramAnswer old = PostFrom(site, Address, Clicked(list.output, "Show changes"));
    EXPECT_EQ(1, old.status);
    EXPECT_TRUE(Contains(old.output, BadPassword));
    // The restore's own page is signed in for the password it put back.
    const ProgramAnswer undo = walk.Click(restored, "Undo this restore");
    EXPECT_EQ(0, undo.status) << undo.output;
    EXPECT_EQ(0, walk.Click(undo, "Undo this change").status);
    EXPECT_EQ(current, ReadFile(site.ini));
}

TEST(WebSignin, RefusedAndLoggedAsAWrongPasswordIs)
{
    const auto now = std::time(nullptr);
    struct Case {
        const char* what;
        // Given the site and the sign-in: the fields posted (act and DBName
        // included), after what it does to the site.
        std::function<FormFields(Site&, const std::string&, const std::string&)> request;
        bool get = false;  // sent in the address instead
        std::string database = "shop";
    };
    auto history = [](const std::string& signin) {
        return FormFields {{"DBName", FixtureName}, {"act", "history"}, {"signin", signin}};
    };
    const Case cases[] = {
        {"made up", [&](Site&, const std::string&, const std::string&) {
             return history(std::to_string(now + 600) + "." + std::string(64, '0'));
         }},
        {"one digit of its MAC changed", [&](Site&, const std::string& signin, const std::string&) {
             std::string altered = signin;
             altered.back() = altered.back() == 'a' ? 'b' : 'a';
             return history(altered);
         }},
        {"its end moved later", [&](Site&, const std::string& signin, const std::string&) {
             return history(std::to_string(std::stoll(signin) + 60) + signin.substr(signin.find('.')));
         }},
        {"ended (made with the key itself)", [&](Site& site, const std::string&, const std::string&) {
             return history(SigninToken(KeyOf(site), FixtureName, FixturePassword(), now - 1));
         }},
        {"ending later than a sign-in may", [&](Site& site, const std::string&, const std::string&) {
             return history(SigninToken(KeyOf(site), FixtureName, FixturePassword(), now + 10 * SigninLifetime));
         }},
        {"taken to another database", [&](Site& site, const std::string& signin, const std::string&) {
             // The same password, the same site: its own key.
             fs::create_directory(fs::path(site.dir.path()) / "club");
             WriteFile(fs::path(site.dir.path()) / "club" / "club.ini", FixtureIni());
             EXPECT_EQ(0, PostFrom(site, Address, {{"DBName", "club"}, {"act", "history"},
                                                   {"password", FixturePassword()}}).status);
             return FormFields {{"DBName", "club"}, {"act", "history"}, {"signin", signin}};
         }, false, "club"},
        {"after the password changed", [&](Site& site, const std::string& signin, const std::string&) {
             EXPECT_EQ(0, RunTool({"set-password", site.folder}, NewPassword + "\n").status);
             return history(signin);
         }},
        {"after remote administration was turned off and on", [&](Site& site, const std::string& signin, const std::string&) {
             EXPECT_EQ(0, RunTool({"disable-remote", site.folder}).status);
             EXPECT_FALSE(fs::exists(fs::path(site.folder) / SigninKeyName));
             EXPECT_EQ(0, RunTool({"enable-remote", site.folder}).status);
             return history(signin);
         }},
        {"after remote administration was turned off and on by hand", [&](Site& site, const std::string& signin,
                                                                          const std::string&) {
             const std::string file = ReadFile(site.ini);
             WriteFile(site.ini, WithIniValue(file, "Administration", "Enable Remote Administration", "0"));
             EXPECT_TRUE(Contains(PostFrom(site, Address, history(signin)).output, "Remote administration is not allowed"));
             WriteFile(site.ini, file);
             return history(signin);
         }},
        {"the key made anew", [&](Site& site, const std::string& signin, const std::string&) {
             fs::remove(fs::path(site.folder) / SigninKeyName);
             return history(signin);
         }},
        {"sent in the address", [&](Site&, const std::string& signin, const std::string&) {
             return history(signin);
         }, true},
        {"for the administration form, which keeps its password", [&](Site&, const std::string& signin,
                                                                      const std::string&) {
             return FormFields {{"DBName", FixtureName}, {"act", "entrance"}, {"signin", signin}};
         }},
        {"for a Configure, which keeps its password", [&](Site&, const std::string& signin, const std::string&) {
             return FormFields {{"DBName", FixtureName}, {"act", "Configure"}, {"signin", signin},
                                {"iteminfo", "Name,20,text"}, {"previtem", ""}};
         }},
        {"for a restore, with the password typed wrong", [&](Site&, const std::string& signin,
                                                            const std::string& version) {
             return FormFields {{"DBName", FixtureName}, {"act", "restore"}, {"signin", signin},
                                {"version", version}, {"password", "guess"}};
         }},
    };
    for (const Case& c : cases) {
        Site site(FixtureIni());
        ASSERT_EQ(0, Save(site, "mail.example.net").status);
        const ProgramAnswer list = PostFrom(site, Address, {{"DBName", FixtureName}, {"act", "history"},
                                                            {"password", FixturePassword()}});
        const FormFields undo = Clicked(list.output, "Undo this change");
        const std::string signin = FieldOf(undo, "signin");
        ASSERT_FALSE(signin.empty()) << list.output;
        // The sign-in itself works, for the restore too, before what the case does.
        EXPECT_EQ(0, PostFrom(site, Address, undo).status) << c.what;

        const FormFields fields = c.request(site, signin, FieldOf(undo, "restore"));
        const std::string file = ReadFile(site.ini);
        const ProgramAnswer refused = c.get ? site.Get(FormBody(fields), {{"REMOTE_ADDR", Address}})
                                            : PostFrom(site, Address, fields);
        EXPECT_EQ(1, refused.status) << c.what << "\n" << refused.output;
        EXPECT_TRUE(Contains(refused.output, BadPassword)) << c.what << "\n" << refused.output;
        const std::string logged = "zephconf: authentication failure for database \"" + c.database + "\" from " + Address + "\n";
        EXPECT_EQ(logged, refused.errors.size() > 21 ? refused.errors.substr(21) : refused.errors) << c.what;
        EXPECT_EQ(file, ReadFile(site.ini)) << c.what;
        ExpectNothingSecret(site, refused, c.what);
    }
}

TEST(WebSignin, TheKeyIsTheOwnersAloneAndNeverKept)
{
    Site site(FixtureIni());
    const fs::path key = fs::path(site.folder) / SigninKeyName;
    // Nothing that needs no sign-in makes one, nor a refused sign-in.
    ASSERT_EQ(0, site.Get("act=entrance&DBName=shop&password=" + UrlEncode(FixturePassword())).status);
    const ProgramAnswer forged = PostFrom(site, Address, {{"DBName", FixtureName}, {"act", "history"},
                                                          {"signin", std::to_string(std::time(nullptr) + 60) + "."
                                                                         + std::string(64, 'f')}});
    EXPECT_EQ(1, forged.status);
    EXPECT_FALSE(fs::exists(fs::symlink_status(key)));

    ASSERT_EQ(0, Save(site, "mail.example.net").status);
    struct stat status {};
    ASSERT_EQ(0, ::lstat(key.c_str(), &status));
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_EQ(0600u, status.st_mode & 07777);
    EXPECT_EQ(::geteuid(), status.st_uid);
    EXPECT_EQ(SigninKeyLength, static_cast<size_t>(status.st_size));
    const std::string made = KeyOf(site);
    // Kept: the next page signs with the same key.
    ASSERT_EQ(0, Save(site, "mail-2.example.net").status);
    EXPECT_EQ(made, KeyOf(site));

    // No version is the key, no page or tool lists it.
    for (const std::string& version : site.Versions())
        EXPECT_FALSE(Contains(version, made));
    for (const auto& entry : fs::directory_iterator(fs::path(site.folder) / HistoryFolder))
        EXPECT_TRUE(IsVersionName(entry.path().filename().string(), "shop.ini")) << entry.path();
    const ProgramAnswer list = PostFrom(site, Address, {{"DBName", FixtureName}, {"act", "history"},
                                                        {"password", FixturePassword()}});
    EXPECT_FALSE(Contains(list.output, SigninKeyName));
    const ProgramAnswer tool = RunTool({"history", site.folder});
    EXPECT_EQ(0, tool.status) << tool.errors;
    EXPECT_FALSE(Contains(tool.output, SigninKeyName));
    EXPECT_FALSE(Contains(tool.output, "signin"));
    // The tool's changes keep it (the password's own change ends its sign-ins)
    // and its status reads the database as before.
    ASSERT_EQ(0, RunTool({"set-password", site.folder}, NewPassword + "\n").status);
    EXPECT_EQ(made, KeyOf(site));
    EXPECT_EQ(0, RunTool({"status", site.folder}).status);
    EXPECT_FALSE(Contains(ReadFile(site.ini), made));
}

TEST(WebSignin, AKeyThatCannotBeTrustedIsMadeAnew)
{
    const struct {
        const char* what;
        std::function<void(const fs::path& key, const fs::path& elsewhere)> plant;
    } planted[] = {
        {"a link to another file", [](const fs::path& key, const fs::path& elsewhere) {
             fs::create_symlink(elsewhere, key);
         }},
        {"a file others may read", [](const fs::path& key, const fs::path&) {
             WriteFile(key, std::string(SigninKeyLength, 'k'));
             fs::permissions(key, fs::perms(0644));
         }},
        {"a short file", [](const fs::path& key, const fs::path&) {
             WriteFile(key, "short");
             fs::permissions(key, fs::perms(0600));
         }},
    };
    for (const auto& p : planted) {
        Site site(FixtureIni());
        const fs::path key = fs::path(site.folder) / SigninKeyName;
        const fs::path elsewhere = fs::path(site.dir.path()) / "elsewhere";
        WriteFile(elsewhere, std::string(SigninKeyLength, 'e'));
        p.plant(key, elsewhere);
        const ProgramAnswer saved = Save(site, "mail.example.net");
        ASSERT_EQ(0, saved.status) << p.what;
        struct stat status {};
        ASSERT_EQ(0, ::lstat(key.c_str(), &status)) << p.what;
        EXPECT_TRUE(S_ISREG(status.st_mode)) << p.what;
        EXPECT_EQ(0600u, status.st_mode & 07777) << p.what;
        EXPECT_EQ(SigninKeyLength, static_cast<size_t>(status.st_size)) << p.what;
        EXPECT_NE(std::string(SigninKeyLength, 'k'), KeyOf(site)) << p.what;
        EXPECT_EQ(std::string(SigninKeyLength, 'e'), ReadFile(elsewhere)) << p.what;
        // And it signs: the undo goes through.
        EXPECT_EQ(0, PostFrom(site, Address, Clicked(saved.output, "Undo this save")).status) << p.what;
    }
}

TEST(WebSignin, WhereNoKeyCanBeMadeThePasswordIsAskedFor)
{
    Site site(FixtureIni());
    // A folder in the key's place, which no page removes.
    fs::create_directory(fs::path(site.folder) / SigninKeyName);
    const ProgramAnswer saved = Save(site, "mail.example.net");
    ASSERT_EQ(0, saved.status) << saved.output;
    const ProgramAnswer confirmation = PostFrom(site, Address, Clicked(saved.output, "Undo this save"));
    EXPECT_EQ(1, confirmation.status);
    EXPECT_TRUE(Contains(confirmation.output, BadPassword));
    const ProgramAnswer list = PostFrom(site, Address, {{"DBName", FixtureName}, {"act", "history"},
                                                        {"password", FixturePassword()}});
    EXPECT_EQ(0, list.status) << list.output;
    EXPECT_FALSE(Contains(list.output, "name=\"signin\""));
    EXPECT_TRUE(Contains(list.output, "Typed again for every action: no page keeps it."));
    FormFields undo = Clicked(list.output, "Undo this change");
    undo.emplace_back("password", FixturePassword());
    const ProgramAnswer typed = PostFrom(site, Address, undo);
    EXPECT_EQ(0, typed.status) << typed.output;
    EXPECT_TRUE(Contains(typed.output, "The configuration goes back to"));
}

}  // namespace
