// The item text areas of the administration form written back as entry item keys.
#include "admin/ItemListSubmission.h"

#include "config/ZEPHOnlineINI.h"
#include "files/SFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The file after WriteItemList(text, layout) on `before`.
std::string Submit(const std::string& before, const std::string& text, ItemLayout layout)
{
    TempDir dir;
    const std::string path = dir / "db.ini";
    WriteFile(path, before);
    {
        CZEPHOnlineINI record;
        EXPECT_TRUE(record.OpenFile(path.c_str(), OpenReadWrite));
        WriteItemList(SplitItemList(text, layout), record);
        record.Commit();
    }
    return ReadFile(path);
}

// A file holding every item key, followed by another section that must survive.
std::string ItemFile(const std::string& count, const std::string& names, const std::string& types,
                     const std::string& lengths, const std::string& prevNames = "Was",
                     const std::string& prevLengths = "9")
{
    return "; items\n[database entry info]\n"
           "entry item number=" + count + "\n"
           "entry item name=" + names + "\n"
           "entry item data type=" + types + "\n"
           "entry item DB storage length=" + lengths + "\n"
           "previous entry item name=" + prevNames + "\n"
           "previous entry item DB storage length=" + prevLengths + "\n"
           "\n[file]\nhtml path=/db.html\n";
}

TEST(WriteItemList, CurrentItemLines)
{
    const std::string before = ItemFile("1", "Old", "time", "7");
    struct Case { const char* what; std::string text; std::string count, names, types, lengths; };
    const Case cases[] = {
        {"CR LF lines", "Name,20,string\r\nAge,3,number\r\n", "2", "Name,Age", "string,number", "20,3"},
        {"no final line end", "Name,20,string\r\nAge,3,number", "2", "Name,Age", "string,number", "20,3"},
        {"bare LF lines, star kept", "*Name,20,string\nAge,3,phone\n", "2", "*Name,Age", "string,phone", "20,3"},
        {"empty text", "", "0", "", "", ""},
        {"leading bare LF is no item", "\nName,20,string\r\n", "1", "Name", "string", "20"},
        {"empty bare-LF line is no item", "a,1,string\n\nb,2,time\n", "2", "a,b", "string,time", "1,2"},
        {"blank CR LF line is no item", "Name,40,string\r\n\r\nCity,30,string", "2", "Name,City",
         "string,string", "40,30"},
        {"trailing blank lines", "Name,40,string\r\n\r\n\r\n", "1", "Name", "string", "40"},
        {"only blank lines", "\r\n\n\r\n\r", "0", "", "", ""},
        {"a line of blanks is an item", " \r\nb,2,time\r\n", "2", " \r,b", ",time", ",2"},
        {"two CRs are an item", "\r\r\n", "1", "\r\r", "", ""},
        {"short line keeps its CR", "Phone,12\r\n", "1", "Phone", "", "12\r"},
        {"blanks kept", "a , 5 ,string\r\n", "1", "a ", "string", " 5 "},
        {"empty places kept", "a,1,x\r\n,2,y\r\nc,3,z\r\n", "3", "a,,c", "x,y,z", "1,2,3"},
        {"text after a third comma ignored", "a,1,string,extra\r\n", "1", "a", "string", "1"},
        {"nothing checked or filled in", "x,abc,colour\r\n", "1", "x", "colour", "abc"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ItemFile(c.count, c.names, c.types, c.lengths), Submit(before, c.text, ItemLayout::CurrentItems))
            << c.what;
}

TEST(WriteItemList, PreviousItemLines)
{
    const std::string before = ItemFile("1", "Old", "time", "7");
    struct Case { const char* what; std::string text; std::string names, lengths; };
    const Case cases[] = {
        {"type text ignored, CR dropped", "Old,8,string\r\n*Key,4\r\n", "Old,*Key", "8,4"},
        {"CR dropped from the length", "Old,8\r", "Old", "8"},
        {"blank lines are no items", "\r\nOld,8\r\n\r\n\nNew,4\r\n\r\n", "Old,New", "8,4"},
        {"empty text", "", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ItemFile("1", "Old", "time", "7", c.names, c.lengths),
                  Submit(before, c.text, ItemLayout::PreviousItems))
            << c.what;
}

TEST(WriteItemList, MissingKeysAreAddedInWritingOrder)
{
    EXPECT_EQ("[file]\nhtml path=/db.html\n\n"
              "[database entry info]\n"
              "entry item number=2\n"
              "entry item name=Name,Age\n"
              "entry item data type=string,number\n"
              "entry item DB storage length=20,3\n"
              "\n",
              Submit("[file]\nhtml path=/db.html\n\n", "Name,20,string\r\nAge,3,number\r\n",
                     ItemLayout::CurrentItems));
    EXPECT_EQ("[database entry info]\n"
              "previous entry item name=Old\n"
              "previous entry item DB storage length=8\n"
              "\n",
              Submit("", "Old,8\r\n", ItemLayout::PreviousItems));
}

TEST(CountItemLines, CountsLinesThatAreNotBlank)
{
    struct Case { const char* text; int count; };
    const Case cases[] = {
        {"", 0}, {"\n", 0}, {"\r", 0}, {"\r\n\r\n\n", 0},
        {"a", 1}, {"a\r\n", 1}, {" ", 1}, {"\r\r", 1}, {",", 1},
        {"a\r\n\r\nb", 2}, {"\na\n\n\nb\n", 2}, {"a\r\n \r\nb\r\n\r\n", 3},
        // longer lines, and runs of line ends
        {"CatalogField1,17,number\r\nCatalogField2,24,time\r\n\r\n", 2},
        {"\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\nx", 1}, {"0123456789abcdef\r\n0123456789abcdefg", 2},
        {"0123456789abcde\n\r\n\r\r\n", 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.count, CountItemLines(c.text)) << testing::PrintToString(std::string(c.text));
}

TEST(WriteItemList, TakesAtMost512Lines)
{
    std::string text, names, types, lengths;
    for (int line = 1; line <= 600; ++line) {
        const std::string n = std::to_string(line);
        text += "i" + n + "," + n + ",number\r\n";
        if (line <= 512) {
            const char* comma = line > 1 ? "," : "";
            names += comma + ("i" + n);
            types += comma + std::string("number");
            lengths += comma + n;
        }
    }
    EXPECT_EQ(ItemFile("512", names, types, lengths),
              Submit(ItemFile("1", "Old", "time", "7"), text, ItemLayout::CurrentItems));
}

}  // namespace
