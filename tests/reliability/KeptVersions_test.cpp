// The version an update keeps of the content it replaces: also on the
// in-place path; and with a full disk while it is written, the update goes
// through whole or is refused whole, and its log line says that the previous
// configuration was not kept. (Its owner, group, mode, attributes and ACL:
// see DurableUpdate and Attributes; a folder or owner the program may not
// write or give: DurableUpdate and FaultInjection.)
#include "reliability/Configuration.h"
#include "reliability/FileChecks.h"
#include "reliability/Tools.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace reliability;

namespace {

const std::string Updated = "<h1>Your database configuration file has been updated!</h1>\n";
const std::string NotKept = " (previous configuration not kept: ";

// The log line's end after a confirmed update, past the address and the
// names of what changed: nothing more when the version was kept, else the
// reason.
std::string LoggedEnd(const ProgramAnswer& answer)
{
    const std::string from = "\" from unknown: changed ";
    if (answer.errors.find(from) == std::string::npos)
        return answer.errors;
    const size_t notKept = answer.errors.find(" (previous configuration not kept: ");
    return answer.errors.substr(notKept != std::string::npos ? notKept : answer.errors.size() - 1);
}

// A file with another hard link is rewritten in place; the content it held
// is kept all the same.
TEST(KeptVersions, KeptOnTheInPlacePath)
{
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(8).fields);
    Site site(start);
    fs::create_hard_link(site.ini, site.dir / "second-name.ini");
    const ProgramAnswer answer = site.Post(body);
    ASSERT_EQ(0, answer.status) << answer.output;
    EXPECT_EQ("\n", LoggedEnd(answer));
    EXPECT_EQ(UpdatedFile(start, body), ReadFile(site.dir / "second-name.ini"));
    EXPECT_EQ(std::vector<std::string>{start}, site.Versions());
}

// The disk full while the version is written (its write is the update's
// first): the update goes through without it and says so. Full for every
// write: the update is refused whole, and nothing is kept or left.
TEST(KeptVersions, FullDiskWhileTheVersionIsWritten)
{
    ASSERT_FALSE(ToolPath("strace").empty()) << "strace is missing";
    const std::string start = StartingFile();
    const std::string body = FormBody(MakeSubmission(4).fields);
    struct Case {
        const char* what;
        const char* when;
        int status;
        std::string file, logged;
    };
    const Case cases[] = {
        {"the version's write", "1", 0, UpdatedFile(start, body),
         NotKept + "history version: No space left on device)\n"},
        {"every write", "1+", 1, start, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Site site(start);
        const ProgramAnswer answer = site.Post(
            body, Strace({"-o", "/dev/null", "-e", "trace=pwrite64", "-e",
                          std::string("inject=pwrite64:error=ENOSPC:when=") + c.when}));
        EXPECT_EQ(c.status, answer.status) << answer.output;
        EXPECT_EQ(c.file, ReadFile(site.ini));
        EXPECT_EQ(c.status == 0, answer.output.find(Updated) != std::string::npos) << answer.output;
        if (c.status == 0) {
            EXPECT_EQ(c.logged, LoggedEnd(answer));
        } else {
            EXPECT_TRUE(EndsWith(answer.output, "File write: No space left on device</font></H1>\n")) << answer.output;
            EXPECT_EQ("", answer.errors);
        }
        EXPECT_TRUE(site.Versions().empty());
        EXPECT_EQ(std::vector<std::string>{"shop.ini"}, site.FolderEntries());
    }
}

}  // namespace
