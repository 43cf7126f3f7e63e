#pragma once
// Calendar days for UTC stamps, leap seconds ignored.

#include <cstdint>

namespace flightreplay::flight {

// Days from 1970-01-01 to the given proleptic Gregorian date (negative before).
inline int64_t daysFromCivil(int64_t year, int month, int day)
{
    // Howard Hinnant's days_from_civil: eras of 400 years starting in March.
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

} // namespace flightreplay::flight
