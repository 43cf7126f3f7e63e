#include "log/log_reader.h"

#include "log/flight_log.h"
#include "log/log_scanner.h"

void readLog(FILE* log)
{
    resetFlightLog();
    // A scan that ended at the end of an earlier log leaves its buffer at
    // that end; restarting on the new file empties it.
    yyrestart(log);
    yylex();
}

bool readLogFile(const std::string& path)
{
    FILE* log = std::fopen(path.c_str(), "r");
    if (!log)
        return false;
    readLog(log);
    std::fclose(log);
    return true;
}

LogExtents computeLogExtents()
{
    FlightLog& log = flightLog;
    LogExtents e;
    log.timeMin = 1e20;
    log.timeMax = -1e20;
    for (int i = 0; i < rowCount(); ++i) {
        const LogRow& row = log.rows[i];
        if (e.latMin > row.gps_curlat)
            e.latMin = row.gps_curlat;
        if (row.gps_curlat > e.latMax)
            e.latMax = row.gps_curlat;
        if (e.lonMin > row.gps_curlon)
            e.lonMin = row.gps_curlon;
        if (row.gps_curlon > e.lonMax)
            e.lonMax = row.gps_curlon;
        if (log.timeMin > row.gps_time)
            log.timeMin = row.gps_time;
        if (row.gps_time > log.timeMax)
            log.timeMax = row.gps_time;
    }
    return e;
}
