// Native tests of the unique-name stamp: day and time numbers in base 32 and the kept length.
#include "UniqueName.h"

#include <gtest/gtest.h>

using namespace lvu;

namespace {

TEST(UniqueNameStamp, DayOfYearHonoursLeapYears)
{
    EXPECT_EQ(DayOfYear(2023, 1, 1), 1);
    EXPECT_EQ(DayOfYear(2023, 3, 1), 60);
    EXPECT_EQ(DayOfYear(2024, 3, 1), 61);
    EXPECT_EQ(DayOfYear(2024, 12, 31), 366);
    EXPECT_EQ(DayOfYear(1900, 3, 1), 60);  // no leap day in 1900
    EXPECT_EQ(DayOfYear(2000, 3, 1), 61);
}

TEST(UniqueNameStamp, DayThenTimeInBase32)
{
    // 1 January of a year ending in 0 at midnight: day 1, time 0.
    EXPECT_EQ(UniqueNameStamp({2020, 1, 1, 0, 0, 0, 0}), "00100000");
    // Year ending in 7: 365 * 7 + 7 / 4 = 2556 more days; 1 February (day 32) gives 2588, "2GS".
    // 23:59:59.999 is 8639999 hundredths, "87LFV" (milliseconds are cut to hundredths).
    EXPECT_EQ(UniqueNameStamp({2027, 2, 1, 23, 59, 59, 999}), "2GS87LFV");
    // Leap year ending in 4: 1461 + 366 = 1827, "1P3"; 12:34:56.789 is 4529678 hundredths, "4A7GE".
    EXPECT_EQ(UniqueNameStamp({2024, 12, 31, 12, 34, 56, 789}), "1P34A7GE");
    EXPECT_EQ(UniqueNameStamp({2019, 12, 31, 0, 0, 0, 10}).size(), 8u);
}

TEST(UniqueNameStamp, KeepingTheLengthTrimsPrefixAndStamp)
{
    EXPECT_EQ(UniqueNameFromStamp("", "ABCDEFGH", ".bat", true), "ABCDEFGH.bat");
    EXPECT_EQ(UniqueNameFromStamp("ab", "ABCDEFGH", ".tmp", true), "abCDEFGH.tmp");
    EXPECT_EQ(UniqueNameFromStamp("setup", "ABCDEFGH", "", true), "setuEFGH");
    EXPECT_EQ(UniqueNameFromStamp("setup", "ABCDEFGH", ".ini", false), "setupABCDEFGH.ini");
}

}  // namespace
