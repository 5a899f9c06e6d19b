// Two contents of a database's file compared setting by setting: values
// shown old → new, passwords and keys no setting names never shown, item
// lists item by item.
#include "config/SettingComparison.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::vector<ComparedSetting> Settings = {
    {"s", "text", SettingShown::Value},
    {"s", "secret", SettingShown::Password},
    {"s", "items", SettingShown::ItemList},
};

TEST(SettingComparison, EachKindAsItMayBeShown)
{
    struct Case {
        const char* what;
        std::string older, newer;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"equal", "[s]\ntext=a\n\n", "[s]\ntext=a\n\n", {}},
        {"line ends only", "[s]\r\ntext=a\r\n\r\n", "[s]\ntext=a\n\n", {}},
        {"a value", "[s]\ntext=a\n\n", "[s]\ntext=b\n\n", {"[s] text: \"a\" \u2192 \"b\""}},
        {"added, as from empty", "[s]\n\n", "[s]\ntext=b\n\n", {"[s] text: \"\" \u2192 \"b\""}},
        {"removed, as to empty", "[s]\ntext=a\n\n", "", {"[s] text: \"a\" \u2192 \"\""}},
        {"missing and empty are alike", "[s]\ntext=\n\n", "[s]\n\n", {}},
        {"control bytes, quotes and backslashes", "[s]\ntext=\x1b[2J\n\n", "[s]\ntext=\"a\\b\"\x7f\n\n",
         {"[s] text: \"\\x1b[2J\" \u2192 \"\\x22a\\x5cb\\x22\\x7f\""}},
        {"a password", "[s]\nsecret=old-pw\n\n", "[s]\nsecret=new-pw\n\n", {"[s] secret: (changed)"}},
        {"a key no setting names", "[s]\nother=x\n\n", "[t]\nother=x\n\n", {"[t] other: (changed)", "[s] other: (changed)"}},
        {"items changed, added, removed", "[s]\nitems=A,B,C\n\n", "[s]\nitems=A,X,C,D\n\n",
         {"[s] items: item 2 changed: \"B\" \u2192 \"X\"", "[s] items: item 4 added: \"D\""}},
        {"items removed, empty ones too", "[s]\nitems=A,,C\n\n", "[s]\nitems=A\n\n",
         {"[s] items: item 2 removed: \"\"", "[s] items: item 3 removed: \"C\""}},
        {"the newer file's order, then the older's", "[s]\nsecret=1\ntext=a\n\n[u]\nk=1\n\n",
         "[s]\ntext=b\nsecret=2\n\n",
         {"[s] text: \"a\" \u2192 \"b\"", "[s] secret: (changed)", "[u] k: (changed)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.lines, SettingDifferences(c.older, c.newer, Settings));
        // The names: one per differing key, as its lines begin.
        std::vector<std::string> names;
        for (const std::string& line : c.lines) {
            const std::string name = line.substr(0, line.find(':'));
            if (names.empty() || names.back() != name)
                names.push_back(name);
        }
        EXPECT_EQ(names, ChangedSettingNames(c.older, c.newer, Settings));
    }
}

}  // namespace
