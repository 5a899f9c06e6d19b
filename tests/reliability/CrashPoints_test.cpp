// An update killed at any of its file-changing system calls, as an
// out-of-memory killer or a web server's hard timeout kills (SIGKILL, which
// nothing can hold back): the file is exactly as it was or exactly as the
// update makes it, every version kept is the whole content before it, and
// the next request works, keeps what it replaced and leaves no temporary
// file.
// strace injects the signal at the Nth call of one kind, for every N the
// update reaches.
#include "reliability/CallTrace.h"
#include "reliability/Configuration.h"
#include "reliability/Tools.h"
#include "support/Form.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace reliability;

namespace {

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
    bool linked = false;    // the file lies elsewhere, behind a symbolic link
};

void BehindLink(Site& site)
{
    site.MoveBehindLink();
}

TEST(CrashPoints, UpdateKilledAtAnyFileCallIsWholeOrNotBegun)
{
    ASSERT_FALSE(ToolPath("strace").empty()) << "strace is missing";
    const Database databases[] = {
        {"line feeds", StartingFile(), StartingFile()},
        {"CR LF", WithCrLf(StartingFile()), StartingFile()},
        {"512 items", WideFile(), ""},
        {"CR LF behind a link", WithCrLf(StartingFile()), StartingFile(), true},
    };
    for (const Database& database : databases) {
        SCOPED_TRACE(database.name);
        const std::string lineFeeds = database.lineFeeds.empty() ? database.start : database.lineFeeds;
        const std::string body = ChangedForm(lineFeeds);
        const std::string updated = UpdatedFile(database.start, body);
        ASSERT_NE(lineFeeds, updated);

        int kills = 0;
        void (*const arrange)(Site&) = database.linked ? BehindLink : nullptr;
        for (const auto& [call, count] : CallCounts(database.start, body, FileChangingCalls, arrange)) {
            for (int n = 1; n <= count; ++n) {
                SCOPED_TRACE(call + " " + std::to_string(n) + " of " + std::to_string(count));
                Site site(database.start);
                const std::string file = database.linked ? site.MoveBehindLink() : site.ini;
                const ProgramAnswer killed =
                    site.Post(body, Strace({"-o", "/dev/null", "-e", "trace=" + call, "-e",
                                            "inject=" + call + ":signal=KILL:when=" + std::to_string(n)}));
                EXPECT_EQ(128 + 9, killed.status) << killed.output;
                kills += killed.status == 128 + 9;
                const std::string after = ReadFile(file);
                EXPECT_TRUE(after == database.start || after == lineFeeds || after == updated)
                    << "the file is neither the old one nor the new one:\n" << after;
                for (const std::string& version : site.Versions())
                    EXPECT_EQ(lineFeeds, version) << "a version that is not the whole content before the update";
                if (database.linked) {
                    EXPECT_EQ("../real/" + FixtureName + ".ini", std::filesystem::read_symlink(site.ini).string());
                }

                const ProgramAnswer next = site.Post(body);
                EXPECT_EQ(0, next.status) << next.output;
                EXPECT_EQ(updated, ReadFile(file));
                if (after != updated) {
                    ASSERT_FALSE(site.Versions().empty());
                    EXPECT_EQ(lineFeeds, site.Versions().front());
                }
                EXPECT_EQ(std::vector<std::string>{FixtureName + ".ini"}, site.FolderEntries());
                if (database.linked) {
                    EXPECT_EQ(std::vector<std::string>{FixtureName + ".ini"},
                              FolderEntriesOf(std::filesystem::path(file).parent_path()));
                }
            }
        }
        EXPECT_GT(kills, 10) << "too few calls to kill the update at";
    }
}

}  // namespace
