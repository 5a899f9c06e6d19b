// The names of what a change changed, as the audit line and the history page
// give them: an item list as one setting, values never, and the line cut
// short past a few names.
#include "config/ChangedSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ChangedSettings, NamesAnItemListOnceAndNoValue)
{
    const std::string before =
        "[database entry info]\nentry item number=2\nentry item name=Name,Age\nentry item data type=string,number\n"
        "entry item DB storage length=20,3\nprevious entry item name=Old\n\n"
        "[report]\nSMTP server=smtp.example.com\nStats subject=Stats\n\n"
        "[password]\nmasterpassword=old-secret\n\n";
    struct Case {
        const char* what;
        std::string after;
        std::vector<std::string> names;
        std::string text;
    };
    const Case cases[] = {
        {"nothing", before, {}, "no setting changed"},
        {"a value", "[database entry info]\nentry item number=2\nentry item name=Name,Age\n"
                    "entry item data type=string,number\nentry item DB storage length=20,3\nprevious entry item name=Old\n\n"
                    "[report]\nSMTP server=mail.example.net\nStats subject=Stats\n\n[password]\nmasterpassword=old-secret\n\n",
         {"[report] SMTP server"}, "changed [report] SMTP server"},
        {"an item added: four keys, one list; the previous list and a password beside it",
         "[database entry info]\nentry item number=3\nentry item name=Name,Age,Town\n"
         "entry item data type=string,number,string\nentry item DB storage length=20,3,30\nprevious entry item name=\n\n"
         "[report]\nSMTP server=smtp.example.com\nStats subject=Stats\n\n[password]\nmasterpassword=new-secret\n\n",
         {"[database entry info] entry items", "[database entry info] previous entry items", "[password] masterpassword"},
         "changed [database entry info] entry items, [database entry info] previous entry items, "
         "[password] masterpassword"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::string> names = ChangedSettingSummary(before, c.after);
        EXPECT_EQ(c.names, names);
        const std::string text = ChangedSettingsText(names);
        EXPECT_EQ(c.text, text);
        for (const char* value : {"secret", "example", "Town", "Stats"})
            EXPECT_EQ(std::string::npos, text.find(value)) << value;
    }
}

TEST(ChangedSettings, ManyNamesEndInACount)
{
    std::vector<std::string> names;
    for (size_t i = 1; i <= ChangedNamesInLine + 3; ++i)
        names.push_back("[s] k" + std::to_string(i));
    std::string shown = "changed [s] k1";
    for (size_t i = 2; i <= ChangedNamesInLine; ++i)
        shown += ", [s] k" + std::to_string(i);
    EXPECT_EQ(shown + " and 3 more", ChangedSettingsText(names));
    names.resize(ChangedNamesInLine);
    EXPECT_EQ(shown, ChangedSettingsText(names));
}

}  // namespace
