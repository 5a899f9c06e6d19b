// Numbers of initialisation file values: read exactly as strtol in base 10
// reads them, saturating at the limits.
#include "config/SettingValues.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

TEST(SettingValues, NumbersReadAsStrtolReadsThem)
{
    const char* const texts[] = {
        "", "0", "7", "-7", "+7", "  42", "\t\n\v\f\r 42", "42abc", "abc", "-", "+", "--5", "+-5", " - 5",
        "007", "1e3", "12 34", "9223372036854775807", "9223372036854775808", "-9223372036854775808",
        "-9223372036854775809", "99999999999999999999999", "-99999999999999999999999", "2147483648",
        "-2147483649", ("\xa0" "5"), "0x1F",
    };
    for (const char* text : texts) {
        EXPECT_EQ(std::strtol(text, nullptr, 10), TextToLong(text)) << '"' << text << '"';
        const long wide = std::strtol(text, nullptr, 10);
        const int expected = wide > INT_MAX ? INT_MAX : wide < INT_MIN ? INT_MIN : static_cast<int>(wide);
        EXPECT_EQ(expected, TextToInt(text)) << '"' << text << '"';
    }
}

}  // namespace
