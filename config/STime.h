// STime.h: a calendar time value and the numbered display formats of time stamps.
// General interface that no request uses; tests/config/STime_test.cpp covers it.
#pragma once

#include <ctime>
#include <string>

class CSTime {
public:
    // The current time, read from the system clock once.
    CSTime();
    explicit CSTime(time_t value);
    virtual ~CSTime() = default;

    time_t GetTime() const { return value; }

    // Sets the value from local calendar fields (month 1-12) and returns it.
    // Years from 1900 are full years; smaller years above 37 count from 1900,
    // years of 37 or less from 2000. Out-of-range fields roll over as mktime does.
    time_t SetFromFields(int year, int month, int day, int hour, int minute, int second);

    // The value as local time, formatted with a strftime pattern (at most 999
    // characters; a text that would be longer gives an empty result).
    std::string Format(const char* pattern) const;
    // The same in universal time.
    std::string FormatUtc(const char* pattern) const;

    // The value in the display format with the given number.
    std::string FormatStamp(int number) const;
    static std::string FormatStamp(time_t value, int number);
    // The strftime pattern of a display format number: 1-10 as listed,
    // every other number the pattern of 4.
    static const char* StampPattern(int number);

private:
    time_t value;
};
