// SettingValues.cpp: numbers and list elements of initialisation file values.
#include "config/SettingValues.h"

#include <climits>

int ClampedTextToInt(const char* text)
{
    long number = TextToLong(text);
    if (number > INT_MAX)
        return INT_MAX;
    if (number < INT_MIN)
        return INT_MIN;
    return static_cast<int>(number);
}

long TextToLong(const char* text)
{
    // What strtol in base 10 gives, saturating on overflow where atoi's result
    // is undefined; written out because a load reads a thousand numbers.
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    // The magnitude may reach one beyond LONG_MAX for a negative number.
    const unsigned long limit = negative ? static_cast<unsigned long>(LONG_MAX) + 1 : LONG_MAX;
    const unsigned long cutoff = limit / 10;
    const unsigned lastDigit = static_cast<unsigned>(limit % 10);
    unsigned long magnitude = 0;
    bool overflow = false;
    for (; *p >= '0' && *p <= '9'; ++p) {
        const unsigned digit = static_cast<unsigned>(*p - '0');
        if (magnitude > cutoff || (magnitude == cutoff && digit > lastDigit))
            overflow = true;
        else
            magnitude = magnitude * 10 + digit;
    }
    if (overflow)
        return negative ? LONG_MIN : LONG_MAX;
    if (!negative)
        return static_cast<long>(magnitude);
    return magnitude == 0 ? 0 : -static_cast<long>(magnitude - 1) - 1;
}
