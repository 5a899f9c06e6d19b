// Token cutting and number text.
#include "base/TokensAndNumbers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(CutToken, CutsEachTokenOffTheFront)
{
    struct Case { const char* buffer; char delimiter; std::vector<std::string> tokens; const char* left; };
    const Case cases[] = {
        {"a,b,c", ',', {"a", "b", "c"}, ""},
        {",x", ',', {""}, "x"},
        {"", ',', {""}, ""},
        {"a==b", '=', {"a"}, "=b"},
        {"abc", ',', {"abc"}, ""},
        {"a,", ',', {"a"}, ""},
    };
    for (const Case& c : cases) {
        std::string buffer = c.buffer;
        for (const std::string& expected : c.tokens)
            EXPECT_STREQ(expected.c_str(), CutToken(buffer.data(), c.delimiter).get()) << c.buffer;
        EXPECT_STREQ(c.left, buffer.c_str()) << c.buffer;
    }
}

TEST(CutTokenCounted, CountFollowsWhatIsLeft)
{
    char buffer[] = "k=v&rest";
    int count = static_cast<int>(std::strlen(buffer));
    EXPECT_STREQ("k=v", CutTokenCounted(buffer, '&', count).get());
    EXPECT_EQ(4, count);
    EXPECT_STREQ("rest", buffer);
    EXPECT_STREQ("rest", CutTokenCounted(buffer, '&', count).get());
    EXPECT_EQ(0, count);

    char trailing[] = "a&";
    count = 2;
    EXPECT_STREQ("a", CutTokenCounted(trailing, '&', count).get());
    EXPECT_EQ(0, count);  // a delimiter at the very end adds no further token

    char empty[] = "";
    count = 0;
    EXPECT_STREQ("", CutTokenCounted(empty, '&', count).get());
    EXPECT_EQ(0, count);
}

// TokenCutter must hand out exactly the tokens that cutting with CutToken
// again and again gives, and report the end where the cut buffer is empty.
TEST(TokenCutter, GivesTheTokensOfRepeatedCutToken)
{
    const std::pair<const char*, char> cases[] = {
        {"a,b,c", ','}, {",x,", ','}, {"", ','}, {"a,,b", ','}, {"a==b", '='},
        {"k=v&&x=1&", '&'}, {"one line\r\nnext\n\nafter\n", '\n'}, {"abc", ','},
        // Long tokens and texts, and runs of delimiters.
        {"CatalogField1,CatalogField2,,x", ','}, {"0123456789abcdef,0123456,01234567,012345678", ','},
        {"a,bcdefghijklmnopqrstuvwxyz", ','}, {"abcdefgh,", ','}, {",,,,,,,,,,", ','},
    };
    for (const auto& [text, delimiter] : cases) {
        std::string cut = text;
        std::string buffer = text;
        TokenCutter cutter(buffer.data(), delimiter);
        for (int i = 0; i < 12; ++i) {
            EXPECT_EQ(cut.c_str()[0] == '\0', cutter.AtEnd()) << text << " token " << i;
            std::string expected = CutToken(cut.data(), delimiter).get();
            EXPECT_EQ(expected, cutter.Next()) << text << " token " << i;
        }
    }
}

TEST(IntToText, WritesPlainDecimalWhateverTheRadix)
{
    char text[12];
    EXPECT_STREQ("-2147483648", IntToText(INT_MIN, text, 10));
    EXPECT_STREQ("0", IntToText(0, text, 10));
    EXPECT_STREQ("255", IntToText(255, text, 16));
    EXPECT_STREQ("2147483647", IntToText(INT_MAX, text, 10));
}

}  // namespace
