#include "app/log_summary.h"

#include "frame/map_frame.h"
#include "log/flight_log.h"
#include "log/log_scanner.h"

void readLog(FILE* log)
{
    yyin = log;
    flightLog.lineIndex = 0;
    flightLog.columnIndex = 0;
    yylex();
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

void summarizeLog()
{
    const FlightLog& log = flightLog;
    for (int i = 0; i <= log.maxColumn; ++i)
        std::printf("cols[%d]=%d\n", i, log.cols[i]);

    const LogExtents e = computeLogExtents();
    std::printf("lat(mn,mx)=(%f %f)\n", e.latMin / 60, e.latMax / 60);
    std::printf("lon(mn,mx)=(%f %f)\n", e.lonMin / 60, e.lonMax / 60);
    std::printf("time(mn,mx)=(%f %f)\n", log.timeMin, log.timeMax);
    setupMapFrame(e.latMin, e.latMax, e.lonMin, e.lonMax);

    if (log.ignoredLines > 0)
        std::fprintf(stderr, "Ignored %lld data lines beyond the first %d\n",
                     static_cast<long long>(log.ignoredLines), MAX_LOG_ROWS);
}
