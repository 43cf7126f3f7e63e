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

void summarizeLog()
{
    FlightLog& log = flightLog;
    for (int i = 0; i <= log.maxColumn; ++i)
        std::printf("cols[%d]=%d\n", i, log.cols[i]);

    double latMin = 100000.0;
    double latMax = -100000.0;
    double lonMin = 100000.0;
    double lonMax = -100000.0;
    log.timeMin = 1e20;
    log.timeMax = -1e20;
    for (int i = 0; i < rowCount(); ++i) {
        const LogRow& row = log.rows[i];
        if (latMin > row.gps_curlat)
            latMin = row.gps_curlat;
        if (row.gps_curlat > latMax)
            latMax = row.gps_curlat;
        if (lonMin > row.gps_curlon)
            lonMin = row.gps_curlon;
        if (row.gps_curlon > lonMax)
            lonMax = row.gps_curlon;
        if (log.timeMin > row.gps_time)
            log.timeMin = row.gps_time;
        if (row.gps_time > log.timeMax)
            log.timeMax = row.gps_time;
    }
    std::printf("lat(mn,mx)=(%f %f)\n", latMin / 60, latMax / 60);
    std::printf("lon(mn,mx)=(%f %f)\n", lonMin / 60, lonMax / 60);
    std::printf("time(mn,mx)=(%f %f)\n", log.timeMin, log.timeMax);
    setupMapFrame(latMin, latMax, lonMin, lonMax);

    if (log.ignoredLines > 0)
        std::fprintf(stderr, "Ignored %lld data lines beyond the first %d\n",
                     static_cast<long long>(log.ignoredLines), MAX_LOG_ROWS);
}
