// Initialisation file reading: headers, bodies, key lines, FindKey positions.
#include "files/IniFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct IniOnDisk {
    TempDir dir;
    CIniFile ini;
    explicit IniOnDisk(const std::string& bytes)
    {
        WriteFile(dir / "db.ini", bytes);
        EXPECT_TRUE(ini.OpenFile((dir / "db.ini").c_str(), OpenReadWrite));
    }
};

TEST(CIniFile, ReadValueCases)
{
    struct Case { const char* file; const char* section; const char* key; bool found; std::string value; };
    const Case cases[] = {
        {"[password]\nuse password=1\ncase sensitivity=0\n\n[report]\nhit count=7\n\n", "report", "hit count", true, "7"},
        {"[password]\nuse password=1\n\n", "password", "use password", true, "1"},
        {"[password]\nuse password=1\n\n", "Password", "use password", false, ""},
        {"[password]\nuse password=1\n\n", "nothere", "use password", false, ""},
        {"[password]\nuse password=1\n\n", "password", "missing", false, ""},
        {"[s]\nk=\n\n", "s", "k", true, ""},
        {"[s]\nk=a=b=c\n\n", "s", "k", true, "a=b=c"},
        {"[s]\nk= spaced  \n\n", "s", "k", true, " spaced  "},
        {"[s]\nk =1\n\n", "s", "k", false, ""},
        {"[s]\nk\n\n", "s", "k", false, ""},
        {"[s]\nkk=1\nk=2\n\n", "s", "k", true, "2"},
        {"[s]\nk=first\nk=second\n\n", "s", "k", true, "first"},
        {"[s]\nk=1\n\n[s]\nk=2\nj=3\n\n", "s", "j", false, ""},
        {"[s] \nk=1\n\n", "s", "k", false, ""},
        {"[s)\nk=1\n\n", "s", "k", true, "1"},
        {" [s]\nk=1\n\n", "s", "k", false, ""},
        {"[a]\nx=1\ny=2\n\n[b]\nc=3\n\n", "a", "c", false, ""},
        {"[a]\nx=1\ny=2\n[b]\nc=3\n\n", "a", "c", true, "3"},
        {"[a]\n; comment\nc=3\n", "a", "c", true, "3"},
        {"[a]\nx=1\n[s]\nk=in body of a\n\n", "s", "k", true, "in body of a"},
        {"[s]\r\nk=1\r\nj=2\r\n\r\n", "s", "j", true, "2"},
        {"[s]\nk=no line end", "s", "k", true, "no line end"},
        {"", "s", "k", false, ""},
    };
    for (const Case& c : cases) {
        IniOnDisk disk(c.file);
        std::string value = "stale";
        EXPECT_EQ(c.found, disk.ini.ReadValue(c.section, c.key, value)) << c.file;
        EXPECT_EQ(c.value, value) << c.file;
    }
}

TEST(CIniFile, LongLinesReadWhole)
{
    const std::string longValue(3000, 'v');
    IniOnDisk disk("[s]\n" + std::string(2000, 'c') + "\nk=" + longValue + "\nj=" + std::string(997, 'w')
                   + "\n\n");
    std::string value;
    EXPECT_TRUE(disk.ini.ReadValue("s", "k", value));
    EXPECT_EQ(longValue, value);
    EXPECT_TRUE(disk.ini.ReadValue("s", "j", value));  // a 999-byte line is one line
    EXPECT_EQ(std::string(997, 'w'), value);
}

TEST(CIniFile, FindKeyPositionsAndFlags)
{
    const std::string file = "[a]\nx=1\n\n[b]\ny=2\n";
    struct Case { const char* section; const char* key; long position; bool keyMissing; bool sectionMissing; };
    const Case cases[] = {
        {"a", "x", 4, false, false},
        {"a", "z", 8, true, false},    // the empty line closing the body
        {"b", "y", 13, false, false},
        {"b", "z", 17, true, false},   // body runs to the end of the file
        {"c", "x", 17, true, true},    // missing section: the end of the file
    };
    IniOnDisk disk(file);
    for (const Case& c : cases) {
        bool keyMissing = false, sectionMissing = false;
        EXPECT_EQ(c.position, disk.ini.FindKey(c.section, c.key, keyMissing, sectionMissing)) << c.section << c.key;
        EXPECT_EQ(c.keyMissing, keyMissing) << c.section << c.key;
        EXPECT_EQ(c.sectionMissing, sectionMissing) << c.section << c.key;
    }
    IniOnDisk empty("");
    bool keyMissing = false, sectionMissing = false;
    EXPECT_EQ(0, empty.ini.FindKey("a", "x", keyMissing, sectionMissing));
    EXPECT_TRUE(keyMissing && sectionMissing);
}

}  // namespace
