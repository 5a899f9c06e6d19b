// The one line a completed configuration update leaves in the web server's
// error log, and the answers that leave none.
#include "reliability/Configuration.h"
#include "reliability/Tools.h"
#include "support/IniText.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <ctime>
#include <regex>
#include <string>

using namespace reliability;

namespace {

const std::string Updated = "<h1>Your database configuration file has been updated!</h1>\n";

// A Configure request for the site's database, with `extra` CGI variables and
// a wrapper command in front.
ProgramAnswer PostTo(const Site& site, const std::string& body,
                     const std::vector<std::pair<std::string, std::string>>& extra = {},
                     const std::vector<std::string>& wrapper = {})
{
    ProgramRun run;
    run.environment = {{"REQUEST_METHOD", "POST"}, {"CONTENT_LENGTH", std::to_string(body.size())}};
    run.environment.insert(run.environment.end(), extra.begin(), extra.end());
    run.body = body;
    run.wrapper = wrapper;
    return site.Run(run);
}

// The submission with DBName, and the field `name` when given, set anew.
std::string Body(FormFields fields, const std::string& dbName, const std::string& name = "",
                 const std::string& value = "")
{
    for (auto& [field, fieldValue] : fields) {
        if (field == "DBName")
            fieldValue = dbName;
        else if (field == name)
            fieldValue = value;
    }
    return FormBody(fields);
}

TEST(ConfigurationLog, UpdateWritesOneLineWithoutAPassword)
{
    struct Case {
        std::string database;
        std::vector<std::pair<std::string, std::string>> environment;
        std::string logged;  // the line after its time, up to the names of what changed
    };
    const Case cases[] = {
        {"shop", {{"REMOTE_ADDR", "192.0.2.7"}},
         "zephconf: configuration updated for database \"shop\" from 192.0.2.7"},
        {"sh\"op\t", {{"REMOTE_ADDR", "2001:db8::1"}},
         "zephconf: configuration updated for database \"sh\\x22op\\x09\" from 2001:db8::1"},
        {"a\nb", {}, "zephconf: configuration updated for database \"a\\x0ab\" from unknown"},
    };
    const Submission submission = MakeSubmission(5);
    for (const Case& c : cases) {
        Site site(StartingFile(), c.database);
        const std::time_t before = std::time(nullptr);
        ProgramAnswer answer = PostTo(site, Body(submission.fields, c.database), c.environment);
        const std::time_t after = std::time(nullptr);

        EXPECT_EQ(0, answer.status) << c.logged;
        EXPECT_NE(std::string::npos, answer.output.find(Updated)) << c.logged;
        // One line: the event, then the names of what changed (the submission
        // changes more than a line names).
        ASSERT_GT(answer.errors.size(), 21 + c.logged.size()) << answer.errors;
        EXPECT_EQ(c.logged, answer.errors.substr(21, c.logged.size()));
        const std::string names = answer.errors.substr(21 + c.logged.size());
        EXPECT_TRUE(std::regex_match(names, std::regex(": changed [^\n]+ and [0-9]+ more\n"))) << names;
        struct tm utc {};
        ASSERT_EQ(answer.errors.c_str() + 21, ::strptime(answer.errors.c_str(), "%Y-%m-%dT%H:%M:%SZ ", &utc));
        const std::time_t logged = ::timegm(&utc);
        EXPECT_TRUE(logged >= before - 1 && logged <= after + 1) << answer.errors;
        // Neither the administration password nor any other the form carries.
        for (const char* field : {"password", "SearchPasswd", "ChangePasswd", "AddPasswd", "MasterPasswd"}) {
            for (const auto& [name, value] : submission.fields) {
                if (name == field && !value.empty()) {
                    EXPECT_EQ(std::string::npos, answer.errors.find(value)) << field;
                }
            }
        }
    }
}

TEST(ConfigurationLog, NoLineWithoutTheConfirmationPage)
{
    const FormFields fields = MakeSubmission(6).fields;
    FormFields withoutItems;
    for (const auto& field : fields)
        if (field.first != "iteminfo")
            withoutItems.push_back(field);
    const std::string remoteOff =
        WithIniValue(StartingFile(), "Administration", "Enable Remote Administration", "0");
    const std::string prlimit = ToolPath("prlimit");
    ASSERT_FALSE(prlimit.empty()) << "prlimit is missing";

    struct Case {
        const char* what;
        std::string start, body;
        std::vector<std::string> wrapper;
        std::string errors;  // what standard error holds after its time, if anything
    };
    const Case cases[] = {
        {"wrong password", StartingFile(), Body(fields, "shop", "password", "guess"), {},
         "zephconf: authentication failure for database \"shop\" from 192.0.2.7\n"},
        {"remote administration off", remoteOff, Body(fields, "shop"), {}, ""},
        {"no item list", StartingFile(), Body(withoutItems, "shop"), {}, ""},
        {"file error while writing", StartingFile(), Body(fields, "shop"), {prlimit, "--fsize=0"}, ""},
    };
    for (const Case& c : cases) {
        Site site(c.start);
        ProgramAnswer answer = PostTo(site, c.body, {{"REMOTE_ADDR", "192.0.2.7"}}, c.wrapper);
        EXPECT_EQ(1, answer.status) << c.what;
        EXPECT_EQ(std::string::npos, answer.output.find(Updated)) << c.what;
        EXPECT_EQ(c.errors, answer.errors.size() > 21 ? answer.errors.substr(21) : answer.errors) << c.what;
        EXPECT_EQ(c.start, ReadFile(site.ini)) << c.what;
    }

    // A locked file, refused after the lock wait.
    Site site(StartingFile());
    HeldLock lock(site.ini);
    ProgramAnswer answer = PostTo(site, Body(fields, "shop"), {{"REMOTE_ADDR", "192.0.2.7"}});
    EXPECT_EQ(1, answer.status);
    EXPECT_EQ("", answer.errors);
}

}  // namespace
