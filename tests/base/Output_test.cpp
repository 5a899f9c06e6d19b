// Output_test.cpp: the answer's escaping of HTML values and its numbers.
#include "base/Output.h"
#include "support/CapturedAnswer.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>

namespace {

TEST(Output, EmitHtmlEscapesTheFourSpecialBytesOnly)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {"a&b<c>d\"e", "a&amp;b&lt;c&gt;d&quot;e"},
        {"&&", "&amp;&amp;"},
        {"\"\"<<>>&&\"x", "&quot;&quot;&lt;&lt;&gt;&gt;&amp;&amp;&quot;x"},
        {"\"quoted\"", "&quot;quoted&quot;"},
        {"it's 'x' %41 \xC3\xA4", "it's 'x' %41 \xC3\xA4"},
        {std::string("nul\0byte<", 9), std::string("nul\0byte&lt;", 12)},
    };
    for (const auto& [value, expected] : cases) {
        const std::string& shown = value;  // a lambda cannot take a binding with every compiler
        EXPECT_EQ(expected, CapturedAnswer([&] { EmitHtml(shown); })) << value;
    }
}

TEST(Output, EmitNumberWritesPlainDecimal)
{
    const std::pair<long long, const char*> cases[] = {
        {0, "0"}, {7, "7"}, {-1, "-1"}, {65535, "65535"},
        {LLONG_MIN, "-9223372036854775808"}, {LLONG_MAX, "9223372036854775807"},
    };
    for (const auto& [number, expected] : cases) {
        const long long shown = number;  // a lambda cannot take a binding with every compiler
        EXPECT_EQ(expected, CapturedAnswer([&] { EmitNumber(shown); })) << number;
    }
}

// At every length, a special byte at any place (and a byte one bit away from
// one) is replaced exactly there, with the runs around it kept whole.
TEST(Output, EmitHtmlEscapesAtEveryPlaceOfLongValues)
{
    const std::pair<char, const char*> bytes[] = {
        {'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"},
        {'\'', "'"}, {'$', "$"}, {':', ":"}, {'=', "="}, {'\0', ""},
    };
    for (size_t length = 1; length < 40; ++length) {
        for (size_t at = 0; at < length; ++at) {
            for (const auto& [byte, entity] : bytes) {
                std::string value(length, 'n');
                value[at] = byte;
                std::string expected(length, 'n');
                expected.replace(at, 1, byte == '\0' ? std::string(1, '\0') : std::string(entity));
                EXPECT_EQ(expected, CapturedAnswer([&] { EmitHtml(value); }))
                    << length << " " << at << " " << byte;
            }
        }
    }
}

}  // namespace
