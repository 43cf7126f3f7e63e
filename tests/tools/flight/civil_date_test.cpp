// Dates from days since 1970 and back: known days, leap days, dates before
// 1970, and every day of several thousand years returning to itself.

#include <gtest/gtest.h>

#include "tools/flight/civil_date.h"

using flightreplay::flight::CivilDate;
using flightreplay::flight::civilFromDays;
using flightreplay::flight::daysFromCivil;

TEST(CivilDate, KnownDaysAndRoundTrip)
{
    struct Case {
        int64_t days;
        CivilDate date;
    };
    const Case cases[] = {
        {0, {1970, 1, 1}},      {-1, {1969, 12, 31}},    {11016, {2000, 2, 29}},
        {11017, {2000, 3, 1}},  {20818, {2026, 12, 31}}, {47540, {2100, 2, 28}},
        {47541, {2100, 3, 1}},  {-719468, {0, 3, 1}},
    };
    for (const Case& c : cases) {
        const CivilDate date = civilFromDays(c.days);
        EXPECT_EQ(date.year, c.date.year) << c.days;
        EXPECT_EQ(date.month, c.date.month) << c.days;
        EXPECT_EQ(date.day, c.date.day) << c.days;
    }
    for (int64_t days = -800000; days <= 800000; ++days) {
        const CivilDate date = civilFromDays(days);
        ASSERT_EQ(daysFromCivil(date.year, date.month, date.day), days);
        ASSERT_TRUE(date.month >= 1 && date.month <= 12 && date.day >= 1 && date.day <= 31) << days;
    }
}
