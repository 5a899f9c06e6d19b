// The keys a content holds, as lookups find them: each listed entry's value
// is what ReadValue reads for its section and key.
#include "files/IniEntries.h"
#include "files/IniFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(IniEntries, ExactlyWhatLookupsFind)
{
    struct Case {
        const char* what;
        std::string content;
        std::vector<std::vector<std::string>> entries;  // section, key, value
    };
    // A section of more keys than are looked through one by one, each key
    // given twice: the first of each is the entry.
    Case many{"many keys, each twice", "[a]\n", {}};
    for (int i = 1; i <= 100; ++i) {
        many.content += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
        many.entries.push_back({"a", "k" + std::to_string(i), std::to_string(i)});
    }
    for (int i = 100; i >= 1; --i)
        many.content += "k" + std::to_string(i) + "=again\n";
    const Case cases[] = {
        many,
        {"two sections", "[a]\nx=1\ny=2\n\n[b]\nz=3\n\n", {{"a", "x", "1"}, {"a", "y", "2"}, {"b", "z", "3"}}},
        {"a section twice: the first", "[a]\nx=1\n\n[a]\nx=2\ny=3\n\n", {{"a", "x", "1"}}},
        {"a body runs past a header", "[a]\nx=1\n[b]\ny=2\n\n", {{"a", "x", "1"}, {"a", "y", "2"}, {"b", "y", "2"}}},
        {"a key twice: the first", "[a]\nx=1\nx=2\n\n", {{"a", "x", "1"}}},
        {"CR LF", "[a]\r\nx=1\r\n\r\ny=2\r\n", {{"a", "x", "1"}}},
        {"'=' in a value", "[a]\nx=b=c\n\n", {{"a", "x", "b=c"}}},
        {"before any section, and no '='", "x=0\n[a]\nnote\nx=1", {{"a", "x", "1"}}},
        {"a header without ']'", "[ab\nx=1\n", {{"a", "x", "1"}}},
        {"an empty name and key", "[]\n=v\n\n", {{"", "", "v"}}},
        {"empty", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::vector<std::string>> listed;
        for (const IniEntryView& entry : IniEntryViews(c.content))
            listed.push_back({std::string(entry.section), std::string(entry.key), std::string(entry.value)});
        EXPECT_EQ(c.entries, listed);

        TempDir dir;
        WriteFile(dir / "db.ini", c.content);
        CIniFile file;
        ASSERT_TRUE(file.OpenFile((dir / "db.ini").c_str(), OpenRead));
        for (const std::vector<std::string>& entry : listed) {
            std::string value;
            EXPECT_TRUE(file.ReadValue(entry[0], entry[1], value)) << entry[0] << "/" << entry[1];
            EXPECT_EQ(entry[2], value) << entry[0] << "/" << entry[1];
        }
    }
}

}  // namespace
