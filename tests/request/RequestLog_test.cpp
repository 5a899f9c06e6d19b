// The line that a refused password leaves in the web server's error log, and
// the answers that leave none.
#include "request/RequestLog.h"

#include "base/EscapedText.h"
#include "config/ChangedSettings.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

namespace {

const char* const BadPassword = "<H1><font color=\"#ff0000\">Bad password. Operation aborted.</font></H1>\n";

const char* const Settings =
    "[file]\nhtml path=/db.html\n\n"
    "[Administration]\nEnable Remote Administration=1\nAdministration password=Secret\n\n";

TEST(RequestLog, EscapesEveryByteThatCouldForgeALine)
{
    struct Case { std::string text, escaped; };
    const Case cases[] = {
        {"shop", "shop"},
        {"my shop-2_b.c~!", "my shop-2_b.c~!"},
        {"a\"b", "a\\x22b"},
        {"a\\b", "a\\x5cb"},
        {"\t\n\r", "\\x09\\x0a\\x0d"},
        {std::string("\0\x1f\x7f", 3), "\\x00\\x1f\\x7f"},
        {"\x80\xc3\xa9\xff", "\\x80\\xc3\\xa9\\xff"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.escaped, EscapedText(c.text, TextKept::Ascii)) << testing::PrintToString(c.text);
}

TEST(RequestLog, LineNamesTimeEventDatabaseAndAddress)
{
    const std::time_t when = 1796906209;  // 2026-12-10 12:36:49 UTC
    const RequestEvent failure = RequestEvent::AuthenticationFailure;
    const RequestEvent update = RequestEvent::ConfigurationUpdated;
    struct Case { RequestEvent event; std::string name; const char* address; std::string line; };
    const Case cases[] = {
        {failure, "shop", "192.0.2.7",
         "2026-12-10T12:36:49Z zephconf: authentication failure for database \"shop\" from 192.0.2.7\n"},
        {failure, "sh\"op\t", "2001:db8::1",
         "2026-12-10T12:36:49Z zephconf: authentication failure for database \"sh\\x22op\\x09\" from 2001:db8::1\n"},
        {failure, "shop", nullptr,
         "2026-12-10T12:36:49Z zephconf: authentication failure for database \"shop\" from unknown\n"},
        {failure, "shop", "", "2026-12-10T12:36:49Z zephconf: authentication failure for database \"shop\" from unknown\n"},
        {failure, "a\nb", "192.0.2.7\n2026",
         "2026-12-10T12:36:49Z zephconf: authentication failure for database \"a\\x0ab\" from 192.0.2.7\\x0a2026\n"},
        {update, "shop", "192.0.2.7",
         "2026-12-10T12:36:49Z zephconf: configuration updated for database \"shop\" from 192.0.2.7\n"},
        {update, "a\nb\"", "",
         "2026-12-10T12:36:49Z zephconf: configuration updated for database \"a\\x0ab\\x22\" from unknown\n"},
        {RequestEvent::ConfigurationRestored, "shop", "192.0.2.7",
         "2026-12-10T12:36:49Z zephconf: configuration restored for database \"shop\" from 192.0.2.7\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.line, RequestLogLine(when, c.event, c.name, c.address));
    EXPECT_EQ("1970-01-01T00:00:00Z zephconf: authentication failure for database \"\" from unknown\n",
              RequestLogLine(0, failure, "", nullptr));
}

TEST(RequestLog, ChangeNoteNamesKeysEscapedAndNeverAValue)
{
    // A key of the file may hold anything a line can: it is escaped like the
    // database's name, so that it can neither end the line nor close a quote.
    const std::string before = "[report]\nSMTP server=a\nk\"\x1b=old-value\n\n";
    const std::string after = "[report]\nSMTP server=b\nk\"\x1b=new-value\n\n";
    EXPECT_EQ(": changed [report] SMTP server, [report] k\\x22\\x1b", ChangeNote(ChangedSettingSummary(before, after), ""));
    EXPECT_EQ(": no setting changed (previous configuration not kept: history folder: Permission denied)",
              ChangeNote(ChangedSettingSummary(before, before), "history folder: Permission denied"));
}

// The seconds since 1970 of a line's leading YYYY-MM-DDTHH:MM:SSZ, or -1.
std::time_t LineTime(const std::string& line)
{
    struct tm utc {};
    const char* end = ::strptime(line.c_str(), "%Y-%m-%dT%H:%M:%SZ ", &utc);
    return end == line.c_str() + 21 ? ::timegm(&utc) : -1;
}

TEST(RequestLog, RefusedPasswordWritesOneLineToStandardError)
{
    struct Case {
        std::string database, dbNameField;
        std::vector<std::pair<std::string, std::string>> environment;
        std::string logged;  // the line after its time
    };
    const Case cases[] = {
        {"shop", "shop", {{"REMOTE_ADDR", "192.0.2.7"}},
         "zephconf: authentication failure for database \"shop\" from 192.0.2.7\n"},
        {"sh\"op\t", "sh%22op%09", {{"REMOTE_ADDR", "2001:db8::1"}},
         "zephconf: authentication failure for database \"sh\\x22op\\x09\" from 2001:db8::1\n"},
        {"shop", "shop", {}, "zephconf: authentication failure for database \"shop\" from unknown\n"},
        {"shop", "shop", {{"REMOTE_ADDR", ""}},
         "zephconf: authentication failure for database \"shop\" from unknown\n"},
        // A line feed in the name must not start a second, forged line.
        {"a\nb", "a%0Ab", {{"REMOTE_ADDR", "192.0.2.7"}},
         "zephconf: authentication failure for database \"a\\x0ab\" from 192.0.2.7\n"},
    };
    for (const Case& c : cases) {
        Site site(Settings, c.database);
        const std::time_t before = std::time(nullptr);
        ProgramAnswer answer = site.Get("DBName=" + c.dbNameField + "&act=entrance&password=guess", c.environment);
        const std::time_t after = std::time(nullptr);

        EXPECT_EQ(1, answer.status) << c.logged;
        EXPECT_NE(std::string::npos, answer.output.find(BadPassword)) << c.logged;
        ASSERT_GT(answer.errors.size(), 21u) << c.logged;
        EXPECT_EQ(c.logged, answer.errors.substr(21));
        const std::time_t logged = LineTime(answer.errors);
        EXPECT_TRUE(logged >= before - 1 && logged <= after + 1) << answer.errors;
        EXPECT_EQ(std::string::npos, answer.errors.find("guess"));
        EXPECT_EQ(Settings, ReadFile(site.ini));
    }
}

TEST(RequestLog, OtherAnswersWriteNothingToStandardError)
{
    const char* const remoteAdminOff =
        "[Administration]\nEnable Remote Administration=0\nAdministration password=Secret\n";
    struct Case { const char* what; const char* settings; std::string query; int status; };
    const Case cases[] = {
        {"right password", Settings, "DBName=shop&act=entrance&password=Secret", 0},
        {"right password, other action", Settings, "DBName=shop&act=list&password=Secret", 0},
        {"remote administration off", remoteAdminOff, "DBName=shop&act=entrance&password=Secret", 1},
        {"remote administration off, wrong password", remoteAdminOff, "DBName=shop&act=entrance&password=x", 1},
        {"no action", Settings, "DBName=shop&password=x", 1},
        {"no such database", Settings, "DBName=other&act=entrance&password=x", 1},
        {"no database named", Settings, "act=entrance&password=x", 1},
    };
    for (const Case& c : cases) {
        Site site(c.settings);
        ProgramAnswer answer = site.Get(c.query, {{"REMOTE_ADDR", "192.0.2.7"}});
        EXPECT_EQ(c.status, answer.status) << c.what;
        EXPECT_EQ("", answer.errors) << c.what;
    }
}

// A web server may start the program with standard error closed. The
// database's file then must not take its number and receive the log line.
TEST(RequestLog, ClosedStandardErrorNeverReceivesTheDatabaseFile)
{
    Site site(Settings);
    ProgramRun run;
    run.environment = {{"REQUEST_METHOD", "GET"}, {"QUERY_STRING", "DBName=shop&act=entrance&password=guess"}};
    run.wrapper = {"/bin/bash", "-c", "exec \"$0\" 2>&-"};
    ProgramAnswer answer = site.Run(run);
    EXPECT_EQ(1, answer.status);
    EXPECT_NE(std::string::npos, answer.output.find(BadPassword)) << answer.output;
    EXPECT_EQ(Settings, ReadFile(site.ini));
}

}  // namespace
