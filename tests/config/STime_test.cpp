// Calendar time values and the numbered time stamp display formats.
#include "config/STime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

// Runs each test in a fixed time zone three hours east of UTC without daylight
// saving, so local and universal time differ, and restores the zone afterwards.
class STimeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* zone = std::getenv("TZ");
        hadZone = zone != nullptr;
        if (hadZone)
            savedZone = zone;
        setenv("TZ", "XST-3", 1);
        tzset();
    }
    void TearDown() override
    {
        if (hadZone)
            setenv("TZ", savedZone.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool hadZone = false;
    std::string savedZone;
};

TEST_F(STimeTest, DisplayFormatsByNumber)
{
    CSTime time(0);
    time.SetFromFields(2001, 3, 5, 14, 7, 0);  // a Monday
    struct Case { int number; const char* text; };
    const Case cases[] = {
        {1, "03/05/2001"},
        {2, "Mon, 03/05/01"},
        {3, "03/05/2001, 14:07"},
        {4, "03/05/01, 02:07 PM"},
        {5, "05/03/2001"},
        {6, "Mon, 05/03/01"},
        {7, "05/03/2001, 14:07"},
        {8, "05/03/01, 02:07 PM"},
        {9, "2001/03/05"},
        {10, "01/03/05, 02:07 PM"},
        {0, "03/05/01, 02:07 PM"},
        {11, "03/05/01, 02:07 PM"},
        {-1, "03/05/01, 02:07 PM"},
        {41, "03/05/01, 02:07 PM"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.text, time.FormatStamp(c.number)) << c.number;
        EXPECT_EQ(c.text, CSTime::FormatStamp(time.GetTime(), c.number)) << c.number;
    }
}

TEST_F(STimeTest, SetFromFieldsYearRules)
{
    struct Case { int year; const char* fullYear; };
    const Case cases[] = {
        {2001, "2001"}, {101, "2001"}, {0, "2000"}, {37, "2037"},
        {38, "1938"}, {99, "1999"}, {1900, "1900"}, {2040, "2040"},
    };
    for (const Case& c : cases) {
        CSTime time(0);
        time_t value = time.SetFromFields(c.year, 6, 15, 12, 0, 0);
        EXPECT_EQ(value, time.GetTime());
        EXPECT_EQ(std::string(c.fullYear) + "-06-15 12:00:00", time.Format("%Y-%m-%d %H:%M:%S"))
            << c.year;
    }
    CSTime modern(0), shortYear(0);
    EXPECT_EQ(modern.SetFromFields(2001, 3, 5, 14, 7, 0), shortYear.SetFromFields(101, 3, 5, 14, 7, 0));
}

TEST_F(STimeTest, DatesAfter2038AreExact)
{
    CSTime time(0);
    // 1 January 2040 00:00 UTC is 2208988800 seconds after the epoch; local time is UTC + 3.
    EXPECT_EQ(static_cast<time_t>(2208988800LL), time.SetFromFields(2040, 1, 1, 3, 0, 0));
    EXPECT_EQ("2040-01-01 00:00", time.FormatUtc("%Y-%m-%d %H:%M"));
}

TEST_F(STimeTest, FieldsRollOverLikeMktime)
{
    CSTime time(0);
    time.SetFromFields(2001, 1, 32, 24, 0, 0);  // 32 January, hour 24
    EXPECT_EQ("2001-02-02 00:00", time.Format("%Y-%m-%d %H:%M"));
    time.SetFromFields(2001, 13, 1, 0, 0, 0);
    EXPECT_EQ("2002-01-01", time.Format("%Y-%m-%d"));
}

TEST_F(STimeTest, LocalAndUniversalTime)
{
    CSTime epoch(0);
    EXPECT_EQ("1970-01-01 03:00", epoch.Format("%Y-%m-%d %H:%M"));
    EXPECT_EQ("1970-01-01 00:00", epoch.FormatUtc("%Y-%m-%d %H:%M"));

    // 999 characters fit; a longer text gives an empty result.
    EXPECT_EQ(std::string(999, 'x'), epoch.Format(std::string(999, 'x').c_str()));
    EXPECT_EQ("", epoch.Format(std::string(1000, 'x').c_str()));
}

TEST_F(STimeTest, DefaultIsTheCurrentTime)
{
    time_t before = std::time(nullptr);
    CSTime now;
    EXPECT_LE(before, now.GetTime());
    EXPECT_LE(now.GetTime(), std::time(nullptr));
}

}  // namespace
