#include "tools/studio/flight_timeline.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "frame/map_frame.h"
#include "path/animation_path.h"

namespace flightreplay::studio {

namespace {


int fieldCode(const char* keyword)
{
    for (int code = 1; code <= LOG_FIELD_COUNT; ++code)
        if (std::strcmp(logFields[code].keyword, keyword) == 0)
            return code;
    return 0;
}

bool headerNames(const char* keyword)
{
    const int code = fieldCode(keyword);
    const int columns = std::min(flightLog.maxColumn + 1, MAX_LOG_COLUMNS);
    for (int i = 0; i < columns; ++i)
        if (flightLog.cols[i] == code)
            return true;
    return false;
}

osg::Vec3d scenePosition(const LogRow& row)
{
    return osg::Vec3d(geoToScene(row.gps_curlat / 60.0, row.gps_curlon / 60.0, row.gps_curalt));
}

double lerp(double a, double b, double f)
{
    return a + (b - a) * f;
}

} // namespace

TimeSource chooseTimeSource(const LogRow* rows, int count, bool hasGpsTimeColumn)
{
    if (!hasGpsTimeColumn || count < 2)
        return TimeSource::fixedRate;
    for (int i = 1; i < count; ++i)
        if (!(rows[i].gps_time > rows[i - 1].gps_time))
            return TimeSource::fixedRate;
    return TimeSource::gpsTime;
}

LogColumns columnsOfFlightLog()
{
    LogColumns columns;
    columns.gpsTime = headerNames("gps_time");
    columns.gpsDate = headerNames("gps_date");
    columns.groundSpeed = headerNames("gps_curspeed");
    columns.battery = headerNames("voltage1") || headerNames("current") || headerNames("mah");
    columns.rcIn = headerNames("in_ppm_curwidth[0]");
    columns.servoOut = headerNames("out_ppm_curwidth[0]");
    return columns;
}

FlightTimeline buildTimeline(const LogRow* rows, int count, const LogColumns& columns)
{
    FlightTimeline timeline;
    timeline.rows = rows;
    timeline.count = std::max(count, 0);
    timeline.columns = columns;
    timeline.source = chooseTimeSource(rows, timeline.count, columns.gpsTime);
    const int n = timeline.count;
    timeline.times.resize(static_cast<size_t>(n));
    timeline.positions.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const auto at = static_cast<size_t>(i);
        timeline.times[at] = timeline.source == TimeSource::gpsTime ? rows[i].gps_time - rows[0].gps_time
                                                                    : i / FIXED_ROWS_PER_SECOND;
        timeline.positions[at] = scenePosition(rows[i]);
    }

    timeline.groundSpeeds.assign(static_cast<size_t>(n), 0.0);
    timeline.verticalSpeeds.assign(static_cast<size_t>(n), 0.0);
    const double metresPerUnit = mapFrame.k > 0.0 ? 1.0 / mapFrame.k : 0.0;
    for (int i = 0; i < n; ++i) {
        // Central differences where both neighbours exist, one-sided at the ends.
        const int a = std::max(i - 1, 0);
        const int b = std::min(i + 1, n - 1);
        const double dt = timeline.times[static_cast<size_t>(b)] - timeline.times[static_cast<size_t>(a)];
        const auto at = static_cast<size_t>(i);
        if (dt <= 0.0)
            continue;
        osg::Vec3d step = timeline.positions[static_cast<size_t>(b)] - timeline.positions[static_cast<size_t>(a)];
        step.z() = 0.0;
        timeline.groundSpeeds[at] = columns.groundSpeed ? rows[i].gps_curspeed : step.length() * metresPerUnit / dt;
        timeline.verticalSpeeds[at] = (rows[b].gps_curalt - rows[a].gps_curalt) / dt;
    }
    return timeline;
}

FlightTimeline buildFlightLogTimeline()
{
    return buildTimeline(flightLog.rows, rowCount(), columnsOfFlightLog());
}

FlightSample sampleFlight(const FlightTimeline& timeline, double t)
{
    FlightSample sample;
    if (timeline.count <= 0)
        return sample;
    const int last = timeline.count - 1;
    t = std::clamp(t, 0.0, timeline.duration());
    const auto after = std::upper_bound(timeline.times.begin(), timeline.times.end(), t);
    const int row = std::clamp(static_cast<int>(after - timeline.times.begin()) - 1, 0, last);
    const int next = std::min(row + 1, last);
    const double t0 = timeline.times[static_cast<size_t>(row)];
    const double t1 = timeline.times[static_cast<size_t>(next)];
    const double f = t1 > t0 ? (t - t0) / (t1 - t0) : 0.0;
    const LogRow& a = timeline.rows[row];
    const LogRow& b = timeline.rows[next];

    sample.time = t;
    sample.row = row;
    sample.fraction = f;
    const osg::Vec3d& p0 = timeline.positions[static_cast<size_t>(row)];
    sample.position = p0 + (timeline.positions[static_cast<size_t>(next)] - p0) * f;
    sample.latitude = lerp(a.gps_curlat, b.gps_curlat, f) / 60.0;
    sample.longitude = lerp(a.gps_curlon, b.gps_curlon, f) / 60.0;
    sample.altitude = lerp(a.gps_curalt, b.gps_curalt, f);
    sample.heading = interpolateAngle(a.gps_curheading, b.gps_curheading, f);
    sample.pitch = interpolateAngle(a.pyro_curpitch, b.pyro_curpitch, f);
    sample.roll = interpolateAngle(a.pyro_curroll, b.pyro_curroll, f);
    sample.attitude = attitudeOf(sample.heading, sample.pitch, sample.roll);
    sample.groundSpeed = lerp(timeline.groundSpeeds[static_cast<size_t>(row)], timeline.groundSpeeds[static_cast<size_t>(next)], f);
    sample.verticalSpeed = lerp(timeline.verticalSpeeds[static_cast<size_t>(row)], timeline.verticalSpeeds[static_cast<size_t>(next)], f);
    sample.gpsTime = lerp(a.gps_time, b.gps_time, f);
    sample.voltage = lerp(a.voltage1, b.voltage1, f);
    sample.current = lerp(a.current, b.current, f);
    sample.mah = lerp(a.mah, b.mah, f);
    for (int i = 0; i < 5; ++i)
        sample.rcIn[i] = lerp(a.in_ppm_curwidth[i], b.in_ppm_curwidth[i], f);
    for (int i = 0; i < 4; ++i)
        sample.servoOut[i] = lerp(a.out_ppm_curwidth[i], b.out_ppm_curwidth[i], f);
    return sample;
}

} // namespace flightreplay::studio
