#include "log/flight_log.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

FlightLog flightLog;

#define LOG_FIELD(name, kind) {#name, offsetof(LogRow, name), FieldKind::kind}
#define LOG_ARRAY_FIELD(name, i, kind) \
    {#name "[" #i "]", offsetof(LogRow, name) + (i) * sizeof(double), FieldKind::kind}

const LogField logFields[LOG_FIELD_COUNT + 1] = {
    {"", 0, FieldKind::none},
    LOG_FIELD(samplenumber, integer),
    LOG_FIELD(flightnumber, integer),
    LOG_FIELD(gps_date, integer),
    LOG_FIELD(gps_time, real),
    LOG_FIELD(gps_numsatellites, integer),
    LOG_FIELD(gps_fixmode, integer),
    LOG_FIELD(ap_status, integer),
    LOG_FIELD(gps_startlat, real),
    LOG_FIELD(gps_startlon, real),
    LOG_FIELD(gps_startalt, real),
    LOG_FIELD(gps_curlat, real),
    LOG_FIELD(gps_curlon, real),
    LOG_FIELD(gps_curalt, real),
    LOG_FIELD(gps_curspeed, real),
    LOG_FIELD(gps_curheading, real),
    LOG_FIELD(compass_curheading, real),
    LOG_FIELD(bearing_to_base, real),
    LOG_FIELD(turn_rate, real),
    LOG_FIELD(voltage1, real),
    LOG_FIELD(voltage2, real),
    LOG_FIELD(voltage3, real),
    LOG_FIELD(current, real),
    LOG_FIELD(mah, real),
    LOG_FIELD(temperature, real),
    LOG_FIELD(baro_curspeed, real),
    LOG_FIELD(baro_curalt, real),
    LOG_FIELD(pyro_curroll, real),
    LOG_FIELD(pyro_curpitch, real),
    LOG_FIELD(pyro_targetroll, real),
    LOG_FIELD(pyro_targetpitch, real),
    LOG_FIELD(targetthrottle, real),
    LOG_ARRAY_FIELD(in_ppm_curwidth, 0, real),
    LOG_ARRAY_FIELD(in_ppm_curwidth, 1, real),
    LOG_ARRAY_FIELD(in_ppm_curwidth, 2, real),
    LOG_ARRAY_FIELD(in_ppm_curwidth, 3, real),
    LOG_ARRAY_FIELD(in_ppm_curwidth, 4, real),
    LOG_ARRAY_FIELD(out_ppm_curwidth, 0, real),
    LOG_ARRAY_FIELD(out_ppm_curwidth, 1, real),
    LOG_ARRAY_FIELD(out_ppm_curwidth, 2, real),
    LOG_ARRAY_FIELD(out_ppm_curwidth, 3, real),
    LOG_FIELD(controlbyte, integer),
};

#undef LOG_FIELD
#undef LOG_ARRAY_FIELD

void assignColumn(int code)
{
    FlightLog& log = flightLog;
    if (log.columnIndex >= MAX_LOG_COLUMNS)
        return;
    log.cols[log.columnIndex] = code;
    if (log.maxColumn < log.columnIndex)
        log.maxColumn = log.columnIndex;
}

void storeValueInRow(const char* text)
{
    FlightLog& log = flightLog;
    const LogField& field = logFields[log.cols[log.columnIndex]];
    char* target = reinterpret_cast<char*>(&log.rows[log.lineIndex - 1]) + field.offset;
    if (field.kind == FieldKind::integer) {
        // atol with an out-of-range result is undefined; strtoll saturates, and
        // the field then keeps the nearest 32-bit value, as a 32-bit atol does.
        long long wide = std::strtoll(text, nullptr, 10);
        if (wide > INT32_MAX)
            wide = INT32_MAX;
        if (wide < INT32_MIN)
            wide = INT32_MIN;
        const auto value = static_cast<int32_t>(wide);
        std::memcpy(target, &value, sizeof value);
    } else if (field.kind == FieldKind::real) {
        const double value = std::strtod(text, nullptr);
        std::memcpy(target, &value, sizeof value);
    }
}

void resetFlightLog()
{
    std::memset(&flightLog, 0, sizeof flightLog);
}

int fieldCodeOf(const std::string& keyword)
{
    for (int code = 1; code <= LOG_FIELD_COUNT; ++code)
        if (keyword == logFields[code].keyword)
            return code;
    return 0;
}

bool logHasColumn(int fieldCode)
{
    if (fieldCode <= 0 || fieldCode > LOG_FIELD_COUNT)
        return false;
    for (int i = 0; i <= flightLog.maxColumn && i < MAX_LOG_COLUMNS; ++i)
        if (flightLog.cols[i] == fieldCode)
            return true;
    return false;
}
