// Configure with item lists at and beyond the 512 items a database holds:
// up to the limit every item is stored, past it the form is refused whole.
#include "support/Site.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char* const StartingFile =
    "[file]\nhtml path=/shop/DB.html\n\n"
    "[contact]\nweb master=owner@example.test\n\n"
    "[database entry info]\nentry item number=1\nentry item name=Name\n"
    "entry item data type=string\nentry item DB storage length=20\n"
    "previous entry item name=Name\nprevious entry item DB storage length=20\n\n"
    "[Administration]\nEnable Remote Administration=1\nAdministration password=Secret\n\n";

const char* const BadFormDataPage =
    "<H1><font color=\"#ff0000\">Bad html form data. Operation aborted.</font></H1>\n"
    "Please contact the <a href=\"mailto:owner@example.test\">webmaster</a>.\n"
    "<HR>\n<CENTER>\n<A HREF=\"/shop/DB.html\">[Go to the database main page]</A>\n"
    "</CENTER></BODY></HTML>\n";

// `count` item lines as a browser sends them (URL-encoded CR LF ends), with
// a blank line in front, after every seventh item and two at the end when
// `blanks` is set.
std::string ItemLines(int count, bool blanks, const std::string& type = ",number")
{
    std::string text = blanks ? "%0D%0A" : "";
    for (int item = 1; item <= count; ++item) {
        text += "i" + std::to_string(item) + "," + std::to_string(item % 50 + 1) + type + "%0D%0A";
        if (blanks && item % 7 == 0)
            text += "%0D%0A";
    }
    return blanks ? text + "%0D%0A%0D%0A" : text;
}

struct Outcome {
    ProgramAnswer answer;
    std::string before, after;
};

Outcome Configure(const std::string& iteminfo, const std::string& previtem)
{
    const Site site(StartingFile);
    const std::string body = "DBName=shop&act=Configure&password=Secret&iteminfo=" + iteminfo +
                             "&previtem=" + previtem + "&EMail=changed%40example.test";
    Outcome outcome{site.Post(body), StartingFile, ""};
    outcome.after = ReadFile(site.ini);
    return outcome;
}

TEST(ItemLimit, FiveHundredTwelveItemsAmongBlankLinesAreStored)
{
    Outcome outcome = Configure(ItemLines(512, true), ItemLines(512, true, ""));
    EXPECT_EQ(0, outcome.answer.status) << outcome.answer.output;
    EXPECT_NE(std::string::npos, outcome.answer.output.find("<h1>Your database configuration file has been updated!</h1>\n"));
    EXPECT_NE(std::string::npos, outcome.after.find("entry item number=512\nentry item name=i1,i2,"));
    EXPECT_NE(std::string::npos, outcome.after.find(",i511,i512\nentry item data type=number,"));
    EXPECT_NE(std::string::npos, outcome.after.find("\nprevious entry item name=i1,i2,"));
    EXPECT_NE(std::string::npos, outcome.after.find(",i512\nprevious entry item DB storage length=2,3,"));
    EXPECT_EQ(std::string::npos, outcome.after.find(",,")) << "a blank line became an empty place";
}

TEST(ItemLimit, MoreThanFiveHundredTwelveItemsAreRefusedBeforeAnyWrite)
{
    struct Case { const char* what; std::string iteminfo, previtem; };
    const Case cases[] = {
        {"513 current items", ItemLines(513, false), ItemLines(3, false, "")},
        {"513 current items among blank lines", ItemLines(513, true), ItemLines(3, false, "")},
        {"600 previous items", ItemLines(3, false), ItemLines(600, false, "")},
    };
    for (const Case& c : cases) {
        Outcome outcome = Configure(c.iteminfo, c.previtem);
        EXPECT_EQ(1, outcome.answer.status) << c.what;
        const std::string& output = outcome.answer.output;
        EXPECT_TRUE(output.size() > std::strlen(BadFormDataPage) &&
                    output.compare(output.size() - std::strlen(BadFormDataPage), std::string::npos,
                                   BadFormDataPage) == 0)
            << c.what << "\n" << output;
        EXPECT_EQ(outcome.before, outcome.after) << c.what;
        EXPECT_EQ("", outcome.answer.errors) << c.what;
    }
}

}  // namespace
