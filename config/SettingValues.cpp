// SettingValues.cpp: numbers and list elements of initialisation file values.
#include "config/SettingValues.h"

#include <climits>
#include <cstdlib>

int TextToInt(const char* text)
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
    // strtol saturates on overflow where atoi's result is undefined.
    return std::strtol(text, nullptr, 10);
}
