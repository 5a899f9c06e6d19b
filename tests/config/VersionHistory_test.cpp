// The history walk over a planted history whose names mix the two forms
// (the successor's digest alone, as versions were kept before; and with the
// version's own digest): the gaps found are those planted, whatever the form
// of each name, and each step holds the contents it compares.
#include "config/VersionHistory.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Walked {
    std::vector<bool> gaps;
    std::vector<std::string> contents, afters;
    std::vector<std::vector<std::string>> changed;
};

Walked Walk(const std::string& ini, const std::string& live)
{
    Walked walked;
    const CVersionHistory history(ini);
    WalkHistory(history, live, [&walked](const HistoryStep& step) {
        walked.gaps.push_back(step.gapAfter);
        walked.contents.push_back(step.content != nullptr ? *step.content : "(unread)");
        walked.afters.push_back(step.after != nullptr ? *step.after : "(unread)");
        walked.changed.push_back(step.changedSettings);
    });
    return walked;
}

TEST(VersionHistory, GapsFoundTheSameForEitherFormOfName)
{
    // contents[0] is the file's; contents[n] that of version n, 1 the newest.
    const std::vector<std::string> contents = {"[a]\nx=5\n\n", "[a]\nx=4\n\n", "[a]\nx=3\n\n", "[a]\nx=2\n\n",
                                               "[a]\nx=1\n\n"};
    const size_t versions = contents.size() - 1;
    // Where a gap is planted: after version n (0: the newest, the file changed by other means).
    const std::vector<std::set<size_t>> plantings = {{}, {0}, {1, 3}, {0, 2, 3}};
    for (unsigned newForm = 0; newForm < (1u << versions); ++newForm) {
        for (const std::set<size_t>& gaps : plantings) {
            SCOPED_TRACE("new-form names " + std::to_string(newForm) + ", gaps planted " + std::to_string(gaps.size()));
            TempDir dir;
            const std::string folder = dir / "db", ini = folder + "/db.ini";
            fs::create_directories(folder + "/" + HistoryFolderName);
            WriteFile(ini, contents[0]);
            std::vector<bool> expected;
            for (size_t n = 1; n <= versions; ++n) {
                const bool gap = gaps.count(n - 1) != 0;
                // A gap: the change put in place a content that is not the one after it.
                const std::string successor = ContentDigest(gap ? "[a]\nx=other\n\n" : contents[n - 1]);
                const std::string own = newForm & (1u << (n - 1)) ? "-" + ContentDigest(contents[n]) : "";
                WriteFile(folder + "/" + HistoryFolderName + "/db.ini.20261210T16413" + std::to_string(9 - n) + "Z." +
                              successor + own + ".192.0.2.7",
                          contents[n]);
                expected.push_back(gap);
            }
            const Walked walked = Walk(ini, contents[0]);
            EXPECT_EQ(expected, walked.gaps);
            ASSERT_EQ(versions, walked.contents.size());
            for (size_t n = 1; n <= versions; ++n) {
                EXPECT_EQ(contents[n], walked.contents[n - 1]);
                EXPECT_EQ(contents[n - 1], walked.afters[n - 1]);
                EXPECT_EQ(std::vector<std::string>{"[a] x"}, walked.changed[n - 1]);
            }
        }
    }
}

// A version that cannot be read: the one before it has no content to
// compare with; a gap after it is still found where the unreadable
// version's name carries its own digest.
TEST(VersionHistory, UnreadableVersionLeavesItsNeighbourUncompared)
{
    for (const bool newForm : {false, true}) {
        SCOPED_TRACE(newForm ? "newer form" : "older form");
        TempDir dir;
        const std::string folder = dir / "db", ini = folder + "/db.ini", history = folder + "/" + HistoryFolderName;
        fs::create_directories(history);
        WriteFile(ini, "[a]\nx=3\n\n");
        // Version 1 is a link, never followed; version 2's change put in place
        // a content that version 1's own digest says it does not hold.
        const std::string own = newForm ? "-" + ContentDigest("[a]\nx=2\n\n") : "";
        fs::create_symlink(ini, history + "/db.ini.20261210T164139Z." + ContentDigest("[a]\nx=3\n\n") + own + ".who");
        WriteFile(history + "/db.ini.20261210T164138Z." + ContentDigest("[a]\nx=9\n\n") + ".who", "[a]\nx=1\n\n");
        const Walked walked = Walk(ini, "[a]\nx=3\n\n");
        EXPECT_EQ((std::vector<bool>{false, newForm}), walked.gaps);
        EXPECT_EQ((std::vector<std::string>{"(unread)", "[a]\nx=1\n\n"}), walked.contents);
        EXPECT_EQ((std::vector<std::string>{"[a]\nx=3\n\n", "(unread)"}), walked.afters);
        EXPECT_EQ((std::vector<std::vector<std::string>>{{}, {}}), walked.changed);
    }
}

}  // namespace
