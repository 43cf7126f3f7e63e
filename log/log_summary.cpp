#include "log/log_summary.h"

#include <cstdio>

#include "log/console_report.h"
#include "log/flight_log.h"
#include "log/units.h"

LogExtents printLogSummary()
{
    const FlightLog& log = flightLog;
    for (int i = 0; i <= log.maxColumn; ++i)
        report("cols[%d]=%d\n", i, log.cols[i]);

    const LogExtents e = computeLogExtents();
    report("lat(mn,mx)=(%f %f)\n", degreesOfMinutes(e.latMin), degreesOfMinutes(e.latMax));
    report("lon(mn,mx)=(%f %f)\n", degreesOfMinutes(e.lonMin), degreesOfMinutes(e.lonMax));
    report("time(mn,mx)=(%f %f)\n", log.timeMin, log.timeMax);
    if (log.ignoredLines > 0)
        std::fprintf(stderr, "Ignored %lld data lines beyond the first %d\n",
                     static_cast<long long>(log.ignoredLines), MAX_LOG_ROWS);
    return e;
}
