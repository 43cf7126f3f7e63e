#include "tools/flight/log_table_flight.h"

#include <algorithm>
#include <cstring>

#include "log/flight_log.h"
#include "log/log_reader.h"
#include "log/units.h"
#include "tools/flight/civil_date.h"

namespace flightreplay::flight {

namespace {

constexpr double ROWS_PER_SECOND_WITHOUT_TIME = 5.0;
constexpr double SECONDS_PER_DAY = 86400.0;

int fieldCode(const std::string& keyword)
{
    for (int code = 1; code <= LOG_FIELD_COUNT; ++code)
        if (keyword == logFields[code].keyword)
            return code;
    return 0;
}

class HeaderColumns {
public:
    HeaderColumns()
    {
        const int columns = std::min(flightLog.maxColumn + 1, MAX_LOG_COLUMNS);
        for (int i = 0; i < columns; ++i)
            if (flightLog.cols[i] > 0 && flightLog.cols[i] <= LOG_FIELD_COUNT)
                named_[static_cast<size_t>(flightLog.cols[i])] = true;
    }
    bool names(const char* keyword) const { return named_[static_cast<size_t>(fieldCode(keyword))]; }

private:
    bool named_[LOG_FIELD_COUNT + 1] = {};
};

bool timesRise(const LogRow* rows, int count)
{
    if (count < 2)
        return false;
    for (int i = 1; i < count; ++i)
        if (!(rows[i].gps_time > rows[i - 1].gps_time))
            return false;
    return true;
}

// Seconds since 1970 at the start of a DDMMYY day of the years 2000 to 2099;
// NaN for no such date.
double utcOfDay(int32_t ddmmyy)
{
    const int day = ddmmyy / 10000;
    const int month = ddmmyy / 100 % 100;
    const int year = ddmmyy % 100;
    if (ddmmyy <= 0 || day < 1 || day > 31 || month < 1 || month > 12)
        return NAN;
    return static_cast<double>(daysFromCivil(2000 + year, month, day)) * SECONDS_PER_DAY;
}

void addSeries(Series& series, const std::vector<double>& times, const LogRow* rows, int count,
               double (*value)(const LogRow&))
{
    series.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        series.push_back({times[static_cast<size_t>(i)], value(rows[i])});
}

} // namespace

bool looksLikeReplayLog(const std::string& head)
{
    const std::string line = head.substr(0, head.find_first_of("\r\n"));
    bool latitude = false;
    bool longitude = false;
    size_t at = 0;
    while (at < line.size()) {
        const size_t end = std::min(line.find_first_of(", \t", at), line.size());
        std::string word = line.substr(at, end - at);
        at = end + 1;
        word.erase(std::remove(word.begin(), word.end(), '"'), word.end());
        if (word.empty())
            continue;
        if (fieldCode(word) == 0)
            return false;
        latitude = latitude || word == "gps_curlat";
        longitude = longitude || word == "gps_curlon";
    }
    return latitude && longitude;
}

Flight flightOfLogTable()
{
    Flight flight;
    flight.format = FlightFormat::log;
    flight.positionSource = "gps_curlat";
    const int count = std::max(rowCount(), 0);
    const LogRow* rows = flightLog.rows;
    const HeaderColumns header;

    const bool gpsTime = header.names("gps_time") && timesRise(rows, count);
    std::vector<double> times(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        times[static_cast<size_t>(i)] = gpsTime ? rows[i].gps_time : i / ROWS_PER_SECOND_WITHOUT_TIME;

    flight.position.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        flight.position.push_back({times[static_cast<size_t>(i)], degreesOfMinutes(rows[i].gps_curlat),
                                   degreesOfMinutes(rows[i].gps_curlon), rows[i].gps_curalt});

    if (header.names("gps_curheading") || header.names("pyro_curroll") || header.names("pyro_curpitch")) {
        flight.attitude.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            flight.attitude.push_back({times[static_cast<size_t>(i)], aerospaceRollOfLog(rows[i].pyro_curroll),
                                       rows[i].pyro_curpitch, compassOfLogHeading(rows[i].gps_curheading)});
    }

    struct Column {
        const char* keyword;
        Series* series;
        double (*value)(const LogRow&);
    };
    const Column columns[] = {
        {"gps_curspeed", &flight.groundSpeed, [](const LogRow& r) { return r.gps_curspeed; }},
        {"gps_numsatellites", &flight.satellites, [](const LogRow& r) { return double(r.gps_numsatellites); }},
        {"gps_fixmode", &flight.fixMode, [](const LogRow& r) { return double(r.gps_fixmode); }},
        {"voltage1", &flight.voltage, [](const LogRow& r) { return r.voltage1; }},
        {"current", &flight.current, [](const LogRow& r) { return r.current; }},
        {"mah", &flight.mah, [](const LogRow& r) { return r.mah; }},
        {"baro_curalt", &flight.baroAlt, [](const LogRow& r) { return r.baro_curalt; }},
        {"baro_curspeed", &flight.airspeed, [](const LogRow& r) { return r.baro_curspeed; }},
        {"in_ppm_curwidth[0]", &flight.rcIn[0], [](const LogRow& r) { return r.in_ppm_curwidth[0]; }},
        {"in_ppm_curwidth[1]", &flight.rcIn[1], [](const LogRow& r) { return r.in_ppm_curwidth[1]; }},
        {"in_ppm_curwidth[2]", &flight.rcIn[2], [](const LogRow& r) { return r.in_ppm_curwidth[2]; }},
        {"in_ppm_curwidth[3]", &flight.rcIn[3], [](const LogRow& r) { return r.in_ppm_curwidth[3]; }},
        {"in_ppm_curwidth[4]", &flight.rcIn[4], [](const LogRow& r) { return r.in_ppm_curwidth[4]; }},
        {"out_ppm_curwidth[0]", &flight.servoOut[0], [](const LogRow& r) { return r.out_ppm_curwidth[0]; }},
        {"out_ppm_curwidth[1]", &flight.servoOut[1], [](const LogRow& r) { return r.out_ppm_curwidth[1]; }},
        {"out_ppm_curwidth[2]", &flight.servoOut[2], [](const LogRow& r) { return r.out_ppm_curwidth[2]; }},
        {"out_ppm_curwidth[3]", &flight.servoOut[3], [](const LogRow& r) { return r.out_ppm_curwidth[3]; }},
    };
    for (const Column& column : columns)
        if (header.names(column.keyword))
            addSeries(*column.series, times, rows, count, column.value);

    if (header.names("ap_status")) {
        for (int i = 0; i < count; ++i) {
            if (i > 0 && rows[i].ap_status == rows[i - 1].ap_status)
                continue;
            flight.modes.push_back({times[static_cast<size_t>(i)], rows[i].ap_status, std::to_string(rows[i].ap_status)});
        }
    }

    // gps_time from 0 (a converted log) gives the day but not the time of day.
    if (header.names("gps_date") && gpsTime && count > 0 && rows[0].gps_time > 0.0
        && rows[count - 1].gps_time < 2.0 * SECONDS_PER_DAY)
        flight.utcAtClockZero = utcOfDay(rows[0].gps_date);
    return flight;
}

Flight readReplayLog(std::FILE* log)
{
    readLog(log);
    return flightOfLogTable();
}

} // namespace flightreplay::flight
