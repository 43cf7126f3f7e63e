#pragma once
// Calendar days for UTC stamps and back, leap seconds ignored: the one
// place where seconds since 1970 become a date.

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

struct CivilDate {
    int64_t year;
    int month; // 1 ... 12
    int day;   // 1 ... 31
};

// The proleptic Gregorian date daysSince1970 days after 1970-01-01; the
// inverse of daysFromCivil.
inline CivilDate civilFromDays(int64_t daysSince1970)
{
    // Howard Hinnant's civil_from_days, in the same March-based eras.
    const int64_t z = daysSince1970 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

} // namespace flightreplay::flight
