// Decoding of the request into form fields.
#include "cgi/CgiForm.h"
#include "support/CapturedAnswer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

namespace {

using Fields = std::map<std::string, std::string>;

Fields Decode(const char* query)
{
    ::setenv("REQUEST_METHOD", "GET", 1);
    ::setenv("QUERY_STRING", query, 1);
    CCgiForm form;
    return form.Fields();
}

TEST(CgiForm, DecodesQueryStrings)
{
    struct Case { const char* query; Fields fields; };
    const Case cases[] = {
        {"a=1&b=2", {{"a", "1"}, {"b", "2"}}},
        {"b=2&a=1", {{"a", "1"}, {"b", "2"}}},
        {"a=1&a=2", {{"a", "2"}}},
        {"name+one=x+y%2Bz", {{"name one", "x y+z"}}},
        {"a%3Db=c", {{"a", "b=c"}}},
        {"a=b=c", {{"a", "b=c"}}},
        {"x%26y=1", {{"x&y", "1"}}},
        {"flag", {{"flag", ""}}},
        {"=v", {{"", "v"}}},
        {"&a=1", {{"", ""}, {"a", "1"}}},
        {"a=1&&b=2", {{"", ""}, {"a", "1"}, {"b", "2"}}},
        {"a=1&", {{"a", "1"}}},
        {"k=%4a%4A", {{"k", "JJ"}}},
        {"a=b%00c&d=e", {{"a", "b"}, {"d", "e"}}},
        {"n%00x=1&d=e", {{"n", ""}, {"d", "e"}}},
        {"", {}},
        {"z=%zz", {{"z", "S"}}},
        // A "%" near the end of its pair stays literal and never reaches the next pair.
        {"a=%&b=1", {{"a", "%"}, {"b", "1"}}},
        {"a=%4&b=1", {{"a", "%4"}, {"b", "1"}}},
        {"a=1%", {{"a", "1%"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.fields, Decode(c.query)) << c.query;
}

TEST(CgiForm, HexPairValueTakesBytesAsSigned)
{
    EXPECT_EQ('A', CCgiForm::HexPairValue('4', '1'));
    EXPECT_EQ('a', CCgiForm::HexPairValue('6', '1'));
    EXPECT_EQ('+', CCgiForm::HexPairValue('2', 'B'));
    EXPECT_EQ('\xFF', CCgiForm::HexPairValue('f', 'F'));
    // 0xC3 counts as -61: 16 * (-61 - 48) + 0 = -1744, modulo 256 = 48.
    EXPECT_EQ('\x30', CCgiForm::HexPairValue(static_cast<signed char>(0xC3), '0'));
}

TEST(CgiForm, MissingFieldReadsEmptyAndIsAdded)
{
    ::setenv("REQUEST_METHOD", "GET", 1);
    ::setenv("QUERY_STRING", "a=1", 1);
    CCgiForm form;
    EXPECT_FALSE(form.HasField("password"));
    EXPECT_EQ("", form.Field("password"));
    EXPECT_TRUE(form.HasField("password"));
    EXPECT_FALSE(form.HasField("A"));  // names are case-sensitive
}

// The decoding as it is defined, one byte at a time: PlusToSpace, then each
// "%" with two bytes after it replaced by HexPairValue of them.
std::string ReferenceDecode(std::string text)
{
    for (char& c : text)
        if (c == '+')
            c = ' ';
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += CCgiForm::HexPairValue(static_cast<signed char>(text[i + 1]), static_cast<signed char>(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// At every length and every place of an escape, a "+" and a "%" too near the
// end, a value decodes to what the definition gives.
TEST(CgiForm, LongValuesDecodeAsByteByByte)
{
    const std::string pieces[] = {"%2C", "+", "%0D%0A", "%", "%4", "abc", "%2B", "x+y", "%zz"};
    for (size_t length = 0; length < 70; ++length) {
        for (const std::string& piece : pieces) {
            for (size_t at = 0; at <= length; at += 7) {
                std::string value(length, 'v');
                value.insert(at, piece);
                std::string query = "k=" + value + "&n=1";
                const Fields fields = Decode(query.c_str());
                EXPECT_EQ(ReferenceDecode(value).substr(0, ReferenceDecode(value).find('\0')), fields.at("k"))
                    << query;
                EXPECT_EQ("1", fields.at("n")) << query;
            }
        }
    }
}

TEST(CgiForm, DumpFieldsWritesTheMapInOrderEscaped)
{
    ::setenv("REQUEST_METHOD", "GET", 1);
    ::setenv("QUERY_STRING", "b=%3Cx%3E&a=1+%26+2", 1);
    CCgiForm form;
    EXPECT_EQ("<B>a</B> = <B>1 &amp; 2</B><BR><B>b</B> = <B>&lt;x&gt;</B><BR>",
              CapturedAnswer([&] { form.DumpFields(); }));

    ::setenv("QUERY_STRING", "", 1);
    CCgiForm empty;
    EXPECT_EQ("Error: map container is empty.<br>", CapturedAnswer([&] { empty.DumpFields(); }));
}

}  // namespace
