// STime.cpp: calendar time value and time stamp display formats.
#include "config/STime.h"

namespace {

// Room for 999 characters and the terminating NUL.
constexpr size_t FormatBufferSize = 1000;

std::string FormatFields(const struct tm* fields, const char* pattern)
{
    if (fields == nullptr)
        return std::string();
    char buffer[FormatBufferSize];
    size_t length = std::strftime(buffer, sizeof buffer, pattern, fields);
    return std::string(buffer, length);
}

}  // namespace

CSTime::CSTime() : value(std::time(nullptr)) {}

CSTime::CSTime(time_t value) : value(value) {}

time_t CSTime::SetFromFields(int year, int month, int day, int hour, int minute, int second)
{
    struct tm fields {};
    if (year >= 1900)
        fields.tm_year = year - 1900;
    else if (year > 37)
        fields.tm_year = year;
    else
        fields.tm_year = year + 100;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;  // the C library decides whether daylight saving applies
    value = std::mktime(&fields);
    return value;
}

std::string CSTime::Format(const char* pattern) const
{
    struct tm fields;
    return FormatFields(localtime_r(&value, &fields), pattern);
}

std::string CSTime::FormatUtc(const char* pattern) const
{
    struct tm fields;
    return FormatFields(gmtime_r(&value, &fields), pattern);
}

std::string CSTime::FormatStamp(int number) const
{
    return Format(StampPattern(number));
}

std::string CSTime::FormatStamp(time_t value, int number)
{
    return CSTime(value).FormatStamp(number);
}

const char* CSTime::StampPattern(int number)
{
    switch (number) {
    case 1: return "%m/%d/%Y";
    case 2: return "%a, %m/%d/%y";
    case 3: return "%m/%d/%Y, %H:%M";
    case 5: return "%d/%m/%Y";
    case 6: return "%a, %d/%m/%y";
    case 7: return "%d/%m/%Y, %H:%M";
    case 8: return "%d/%m/%y, %I:%M %p";
    case 9: return "%Y/%m/%d";
    case 10: return "%y/%m/%d, %I:%M %p";
    default: return "%m/%d/%y, %I:%M %p";  // number 4 and every number outside 1-10
    }
}
