// An update killed at any of its file-changing system calls, as an
// out-of-memory killer or a web server's hard timeout kills (SIGKILL, which
// nothing can hold back): the file is exactly as it was or exactly as the
// update makes it, and the next request works and leaves no temporary file.
// strace injects the signal at the Nth call of one kind, for every N the
// update reaches.
#include "reliability/Configuration.h"
#include "reliability/Tools.h"
#include "support/Form.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

using namespace reliability;

namespace {

// The calls that create, change, rename or remove a file, or end its use.
const char* const FileCalls[] = {"openat", "write", "pwrite64", "ftruncate", "fchown", "fchmod",
                                 "fsync", "rename", "renameat", "renameat2", "unlink", "close"};

std::string CallList()
{
    std::string list;
    for (const char* call : FileCalls)
        list += (list.empty() ? "" : ",") + std::string(call);
    return list;
}

// How often an update of `start` makes each of the calls, from one run under strace.
std::map<std::string, int> CallCounts(const std::string& start, const std::string& body)
{
    Site site(start);
    TempDir scratch;
    const std::string log = scratch / "calls";
    const ProgramAnswer answer = site.Post(body, Strace({"-o", log, "-e", "trace=" + CallList()}));
    EXPECT_EQ(0, answer.status) << answer.output;
    // Each line reads "name(arguments) = result".
    std::map<std::string, int> counts;
    std::ifstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        const size_t parenthesis = line.find('(');
        const std::string name = line.substr(0, parenthesis);
        if (parenthesis != std::string::npos && !name.empty()
            && name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") == std::string::npos)
            ++counts[name];
    }
    return counts;
}

// The form the program serves for `ini`, with two settings and the first
// item's name changed, as a browser posts it.
std::string ChangedForm(const std::string& ini)
{
    Site site(ini, FixtureName);
    const ProgramAnswer page =
        site.Get("act=entrance&DBName=" + FixtureName + "&password=" + UrlEncode(FixturePassword()));
    std::vector<FormControl> controls = FormControls(page.output);
    ControlNamed(controls, "SMTP").value = "mail.example.net";
    ControlNamed(controls, "MaxNumber").value = "25";
    ControlNamed(controls, "password").value = FixturePassword();
    std::string& items = ControlNamed(controls, "iteminfo").value;
    items.insert(items.find(','), "Renamed");
    return FormBody(SubmittedFields(controls));
}

// The fixture with 512 entry items and 512 previous ones.
std::string WideFile()
{
    std::vector<FormControl> controls;
    {
        Site site(StartingFile(), FixtureName);
        controls = FormControls(
            site.Get("act=entrance&DBName=" + FixtureName + "&password=" + UrlEncode(FixturePassword())).output);
    }
    std::string items, previous;
    for (int item = 1; item <= 512; ++item) {
        const std::string name = "CatalogField" + std::to_string(item);
        items += name + "," + std::to_string(10 + item % 90) + "," + (item % 2 ? "string" : "number") + "\r\n";
        previous += "Old" + name + "," + std::to_string(10 + item % 70) + "\r\n";
    }
    ControlNamed(controls, "iteminfo").value = items;
    ControlNamed(controls, "previtem").value = previous;
    ControlNamed(controls, "password").value = FixturePassword();
    return UpdatedFile(StartingFile(), FormBody(SubmittedFields(controls)));
}

struct Database {
    const char* name;
    std::string start;      // the file before the update
    std::string lineFeeds;  // the same with line feeds only, as the line-end rewrite leaves it
};

TEST(CrashPoints, UpdateKilledAtAnyFileCallIsWholeOrNotBegun)
{
    ASSERT_FALSE(ToolPath("strace").empty()) << "strace is missing";
    const Database databases[] = {
        {"line feeds", StartingFile(), StartingFile()},
        {"CR LF", WithCrLf(StartingFile()), StartingFile()},
        {"512 items", WideFile(), ""},
    };
    for (const Database& database : databases) {
        SCOPED_TRACE(database.name);
        const std::string lineFeeds = database.lineFeeds.empty() ? database.start : database.lineFeeds;
        const std::string body = ChangedForm(lineFeeds);
        const std::string updated = UpdatedFile(database.start, body);
        ASSERT_NE(lineFeeds, updated);

        int kills = 0;
        for (const auto& [call, count] : CallCounts(database.start, body)) {
            for (int n = 1; n <= count; ++n) {
                SCOPED_TRACE(call + " " + std::to_string(n) + " of " + std::to_string(count));
                Site site(database.start);
                const ProgramAnswer killed =
                    site.Post(body, Strace({"-o", "/dev/null", "-e", "trace=" + call, "-e",
                                            "inject=" + call + ":signal=KILL:when=" + std::to_string(n)}));
                EXPECT_EQ(128 + 9, killed.status) << killed.output;
                kills += killed.status == 128 + 9;
                const std::string after = ReadFile(site.ini);
                EXPECT_TRUE(after == database.start || after == lineFeeds || after == updated)
                    << "the file is neither the old one nor the new one:\n" << after;

                const ProgramAnswer next = site.Post(body);
                EXPECT_EQ(0, next.status) << next.output;
                EXPECT_EQ(updated, ReadFile(site.ini));
                EXPECT_EQ(std::vector<std::string>{FixtureName + ".ini"}, site.FolderEntries());
            }
        }
        EXPECT_GT(kills, 10) << "too few calls to kill the update at";
    }
}

}  // namespace
