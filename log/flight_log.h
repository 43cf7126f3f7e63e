#pragma once
// The one in-memory table of the telemetry log: plain global data, zero at
// start, filled by the log scanner and read afterwards by the driver, the
// flight track and the animation path.

#include <cstdint>
#include <string>

constexpr int MAX_LOG_ROWS = 10000;
constexpr int MAX_LOG_COLUMNS = 1000;
constexpr int LOG_FIELD_COUNT = 41;

// One sample; every field is named after the header keyword that fills it.
// Latitude and longitude are in minutes of arc, altitude in metres, angles in
// radians, gps_time in the log's own unit.
struct LogRow {
    int32_t samplenumber;
    int32_t flightnumber;
    int32_t gps_date;
    double gps_time;
    int32_t gps_numsatellites;
    int32_t gps_fixmode;
    int32_t ap_status;
    double gps_startlat;
    double gps_startlon;
    double gps_startalt;
    double gps_curlat;
    double gps_curlon;
    double gps_curalt;
    double gps_curspeed;
    double gps_curheading;
    double compass_curheading;
    double bearing_to_base;
    double turn_rate;
    double voltage1;
    double voltage2;
    double voltage3;
    double current;
    double mah;
    double temperature;
    double baro_curspeed;
    double baro_curalt;
    double pyro_curroll;
    double pyro_curpitch;
    double pyro_targetroll;
    double pyro_targetpitch;
    double targetthrottle;
    double in_ppm_curwidth[5];
    double out_ppm_curwidth[4];
    int32_t controlbyte;
};

enum class FieldKind { none = 0, integer = 1, real = 2 };

// Where a field code sends a number: byte offset into LogRow and conversion.
struct LogField {
    const char* keyword;
    unsigned offset;
    FieldKind kind;
};

// Indexed by field code 0 to 41; entry 0 drops the value.
extern const LogField logFields[LOG_FIELD_COUNT + 1];

// The field code (1 to LOG_FIELD_COUNT) of a header keyword; 0 when unknown.
int fieldCodeOf(const std::string& keyword);

struct FlightLog {
    int32_t columnIndex;
    int32_t lineIndex;
    int32_t cols[MAX_LOG_COLUMNS];
    int32_t maxColumn;
    LogRow rows[MAX_LOG_ROWS];
    double timeMin;
    double timeMax;
    // Data lines closed by a line end after the table was full.
    int64_t ignoredLines;
};

extern FlightLog flightLog;

// The four filling operations run once per token of the log, so the hot
// ones are inline.

// Gives the current column the field code (1 to 41). Columns at or beyond
// MAX_LOG_COLUMNS have no room and are left alone.
void assignColumn(int code);

// Converts the number text by the current column's field kind into the
// current line's row (the line's row and column must exist).
void storeValueInRow(const char* text);

// Stores a number of the current line and column. Dropped on line 0, beyond
// MAX_LOG_ROWS data lines and beyond MAX_LOG_COLUMNS columns.
inline void storeValue(const char* text)
{
    if (flightLog.lineIndex >= 1 && flightLog.lineIndex <= MAX_LOG_ROWS
        && flightLog.columnIndex < MAX_LOG_COLUMNS && flightLog.cols[flightLog.columnIndex] != 0)
        storeValueInRow(text);
}

// The column counter stops at MAX_LOG_COLUMNS, however long the line.
inline void nextColumn()
{
    if (flightLog.columnIndex < MAX_LOG_COLUMNS)
        ++flightLog.columnIndex;
}

// The line counter stops one past the last row the table holds, so that
// rowCount() never sends a reader past the table; the lines closed after
// that are counted in ignoredLines.
inline void endLine()
{
    flightLog.columnIndex = 0;
    if (flightLog.lineIndex <= MAX_LOG_ROWS)
        ++flightLog.lineIndex;
    else
        ++flightLog.ignoredLines;
}

// Number of data rows that readers may visit: lineIndex - 1, never above
// MAX_LOG_ROWS (-1 or 0 when there is none).
inline int rowCount()
{
    return flightLog.lineIndex - 1;
}

// Whether the header of the log in the table gave some column the field
// code (1 to LOG_FIELD_COUNT).
bool logHasColumn(int fieldCode);

// Zeroes the whole table, as at program start.
void resetFlightLog();
