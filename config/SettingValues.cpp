// SettingValues.cpp: numbers of initialisation file values.
#include "config/SettingValues.h"

#include <charconv>
#include <climits>

long TextToLong(std::string_view text)
{
    // strtol's reading, with from_chars for the digits: a load reads a
    // thousand numbers, and strtol costs several times as much. from_chars
    // takes neither blanks nor a sign, so those are stepped over here.
    const char* next = text.data();
    const char* const end = next + text.size();
    while (next != end && (*next == ' ' || (*next >= '\t' && *next <= '\r')))
        ++next;
    const bool negative = next != end && *next == '-';
    if (next != end && (*next == '-' || *next == '+'))
        ++next;
    unsigned long magnitude = 0;
    const std::errc error = std::from_chars(next, end, magnitude).ec;
    // No digits leave 0; a magnitude at or beyond the limit gives the limit.
    const unsigned long limit = negative ? static_cast<unsigned long>(LONG_MAX) + 1 : LONG_MAX;
    if (error == std::errc::result_out_of_range || magnitude >= limit)
        return negative ? LONG_MIN : LONG_MAX;
    return negative ? -static_cast<long>(magnitude) : static_cast<long>(magnitude);
}

int TextToInt(std::string_view text)
{
    const long number = TextToLong(text);
    if (number > INT_MAX)
        return INT_MAX;
    if (number < INT_MIN)
        return INT_MIN;
    return static_cast<int>(number);
}
