// EscapedText_test.cpp: what is written as \xHH before text reaches a terminal
// or a log line, and what passes.
#include "base/EscapedText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(EscapedText, ControlsOfEveryKindAreEscapedAndTextPasses)
{
    struct Case {
        const char* what;
        std::string text, utf8, ascii;
    };
    const Case cases[] = {
        {"plain", "shop 2-b.c~!", "shop 2-b.c~!", "shop 2-b.c~!"},
        {"empty", "", "", ""},
        {"quote and backslash", "a\"b\\c", "a\\x22b\\x5cc", "a\\x22b\\x5cc"},
        {"C0, DEL and a bare CR", std::string("\0\t\n\r\x1b\x7f", 6), "\\x00\\x09\\x0a\\x0d\\x1b\\x7f",
         "\\x00\\x09\\x0a\\x0d\\x1b\\x7f"},
        {"CSI and OSC 8", "\x1b[2J\x1b]8;;http://x\x07", "\\x1b[2J\\x1b]8;;http://x\\x07",
         "\\x1b[2J\\x1b]8;;http://x\\x07"},
        {"raw C1 bytes", "\x9b" "31m\x80\x9f", "\\x9b31m\\x80\\x9f", "\\x9b31m\\x80\\x9f"},
        {"C1 in UTF-8", "\xc2\x9b" "1m \xc2\x80\xc2\x9f", "\\xc2\\x9b1m \\xc2\\x80\\xc2\\x9f",
         "\\xc2\\x9b1m \\xc2\\x80\\xc2\\x9f"},
        {"bidi controls", "\xe2\x80\xae \xe2\x80\xaa \xe2\x81\xa6 \xe2\x81\xa9 \xe2\x80\x8e \xe2\x80\x8f \xd8\x9c",
         "\\xe2\\x80\\xae \\xe2\\x80\\xaa \\xe2\\x81\\xa6 \\xe2\\x81\\xa9 \\xe2\\x80\\x8e \\xe2\\x80\\x8f \\xd8\\x9c",
         "\\xe2\\x80\\xae \\xe2\\x80\\xaa \\xe2\\x81\\xa6 \\xe2\\x81\\xa9 \\xe2\\x80\\x8e \\xe2\\x80\\x8f \\xd8\\x9c"},
        // Their neighbours are text: U+00A0, U+2029, U+202F, U+2065, U+206A, U+061B.
        {"characters beside them", "\xc2\xa0\xe2\x80\xa9\xe2\x80\xaf\xe2\x81\xa5\xe2\x81\xaa\xd8\x9b",
         "\xc2\xa0\xe2\x80\xa9\xe2\x80\xaf\xe2\x81\xa5\xe2\x81\xaa\xd8\x9b",
         "\\xc2\\xa0\\xe2\\x80\\xa9\\xe2\\x80\\xaf\\xe2\\x81\\xa5\\xe2\\x81\\xaa\\xd8\\x9b"},
        // Continuation bytes in the C1 range inside a character: U+2192, U+00E9, U+1F600.
        {"UTF-8 text", "\xe2\x86\x92 caf\xc3\xa9 \xf0\x9f\x98\x80", "\xe2\x86\x92 caf\xc3\xa9 \xf0\x9f\x98\x80",
         "\\xe2\\x86\\x92 caf\\xc3\\xa9 \\xf0\\x9f\\x98\\x80"},
        // Overlong forms, a surrogate, beyond U+10FFFF, cut short, a lone byte.
        {"bytes that start no character", "\xc0\x9b \xe0\x82\x9b \xed\xa0\x80 \xf4\x90\x80\x80 \xe2\x80 \xe9",
         "\\xc0\\x9b \\xe0\\x82\\x9b \\xed\\xa0\\x80 \\xf4\\x90\\x80\\x80 \\xe2\\x80 \\xe9",
         "\\xc0\\x9b \\xe0\\x82\\x9b \\xed\\xa0\\x80 \\xf4\\x90\\x80\\x80 \\xe2\\x80 \\xe9"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.utf8, EscapedText(c.text, TextKept::Utf8)) << c.what;
        EXPECT_EQ(c.ascii, EscapedText(c.text, TextKept::Ascii)) << c.what;
    }
}

}  // namespace
