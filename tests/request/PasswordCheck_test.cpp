// Who gets past the administration password: the comparison, and a database
// whose stored password is empty or missing.
#include "request/PasswordCheck.h"
#include "support/Site.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const BadPassword = "<H1><font color=\"#ff0000\">Bad password. Operation aborted.</font></H1>\n";

TEST(PasswordMatches, EqualNonEmptyTextsOnly)
{
    struct Case { std::string sent, stored; bool match; };
    const Case cases[] = {
        {"Secret", "Secret", true},
        {"secret", "Secret", false},   // letter case counts
        {"Xecret", "Secret", false},   // first byte
        {"Secreu", "Secret", false},   // last byte
        {"Secre", "Secret", false},    // a prefix
        {"Secret ", "Secret", false},  // one byte more
        {"", "Secret", false},
        {"", "", false},               // no stored password opens nothing
        {"x", "", false},
        {std::string("a\0b", 3), std::string("a\0b", 3), true},
        {std::string("a\0b", 3), std::string("a\0c", 3), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.match, PasswordMatches(c.sent, c.stored))
            << testing::PrintToString(c.sent) << " against " << testing::PrintToString(c.stored);
}

TEST(PasswordCheck, EmptyOrMissingStoredPasswordLetsNobodyIn)
{
    const char* const storedPasswords[] = {
        "Administration password=\n",
        "",  // no such key
    };
    const char* const sent[] = {"", "&password", "&password=", "&password=x"};
    for (const char* stored : storedPasswords) {
        for (const char* password : sent) {
            Site site(std::string("[Administration]\nEnable Remote Administration=1\n") + stored);
            ProgramAnswer answer = site.Get(std::string("DBName=shop&act=entrance") + password);
            const std::string what = std::string(stored) + " / " + password;
            EXPECT_EQ(1, answer.status) << what;
            EXPECT_NE(std::string::npos, answer.output.find(BadPassword)) << what;
            EXPECT_EQ(std::string::npos, answer.output.find("<form")) << what;
            EXPECT_NE(std::string::npos, answer.errors.find(" zephconf: authentication failure")) << what;
        }
    }
}

}  // namespace
