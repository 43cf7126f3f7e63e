// The track formats through the converter's own path (recognition, reader,
// derived attitude, rows): a right-hand climbing circle written as GPX, IGC
// and CSV must come out in the replay's angles.

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "log/units.h"
#include "tools/readers/read_flight.h"
#include "tools/convert/resample.h"

namespace fc = flightreplay::readers;
namespace ff = flightreplay::flight;

namespace {

constexpr double DEG = MAP_PI / 180;
constexpr double RADIUS = 150, SPEED = 25, CLIMB = 1, LAT0 = 47, LON0 = 8;

struct Point {
    int second;
    double lat, lon, alt;
};

// Clockwise seen from above, one fix a second, starting north of the centre.
Point pointAt(int second)
{
    const double bearing = SPEED / RADIUS * second, metresPerDegree = 6371000.0 * DEG;
    return {second, LAT0 + RADIUS * std::cos(bearing) / metresPerDegree,
            LON0 + RADIUS * std::sin(bearing) / (metresPerDegree * std::cos(LAT0 * DEG)), 600 + CLIMB * second};
}

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* pattern, ...)
{
    char line[256];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(line, sizeof line, pattern, args);
    va_end(args);
    return line;
}

std::string gpx()
{
    std::string text = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\" "
                       "xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>\n";
    for (int s = 0; s <= 120; ++s) {
        const Point p = pointAt(s);
        text += format("<trkpt lat=\"%.8f\" lon=\"%.8f\"><ele>%.1f</ele><time>2024-03-10T12:%02d:%02dZ</time></trkpt>\n",
                       p.lat, p.lon, p.alt, s / 60, s % 60);
    }
    return text + "</trkseg></trk></gpx>\n";
}

std::string igc()
{
    std::string text = "AXXXTEST\r\nHFDTE100324\r\n";
    for (int s = 0; s <= 120; ++s) {
        const Point p = pointAt(s);
        const long lat = std::lround(p.lat * 60000), lon = std::lround(p.lon * 60000);
        text += format("B12%02d%02d%02ld%05ldN%03ld%05ldEA%05d%05d\r\n", s / 60, s % 60, lat / 60000, lat % 60000,
                       lon / 60000, lon % 60000, static_cast<int>(p.alt), static_cast<int>(std::lround(p.alt)));
    }
    return text;
}

std::string csv()
{
    std::string text = "time,lat,lon,alt\n";
    for (int s = 0; s <= 120; ++s) {
        const Point p = pointAt(s);
        text += format("%d,%.8f,%.8f,%.1f\n", s, p.lat, p.lon, p.alt);
    }
    return text;
}

} // namespace

TEST(TrackFormats, RightHandCircleInTheReplaysAngles)
{
    const struct {
        std::string bytes;
        const char* format;
        double rollToleranceDeg; // IGC rounds positions to a thousandth of a minute
    } cases[] = {{gpx(), "GPX", 1}, {igc(), "IGC", 2.5}, {csv(), "CSV", 1}};
    const double bank = std::atan(SPEED * SPEED / (RADIUS * 9.80665));
    for (const auto& c : cases) {
        flightreplay::flight::Flight data = fc::readFlightBytes(c.bytes, {});
        EXPECT_STREQ(flightreplay::flight::formatTitle(data.format), c.format);
        EXPECT_TRUE(data.attitudeDerived) << c.format;
        const flightreplay::convert::LogRows rows = flightreplay::convert::rowsOfFlight(data, {});
        ASSERT_EQ(rows.rows.size(), 121u) << c.format;
        for (int s = 10; s <= 110; ++s) {
            const LogRow& row = rows.rows[static_cast<size_t>(s)];
            ASSERT_NEAR(row.gps_time, s, 1e-9) << c.format;
            // Right wing down is negative roll in the replay's log.
            ASSERT_NEAR(row.pyro_curroll, -bank, c.rollToleranceDeg * DEG) << c.format << " at " << s;
            ASSERT_NEAR(row.pyro_curpitch, std::atan(CLIMB / SPEED), 0.5 * DEG) << c.format << " at " << s;
            // Compass course of the tangent, then counter-clockwise from east.
            const double course = SPEED / RADIUS * s + MAP_PI / 2;
            ASSERT_LT(std::fabs(std::remainder(row.gps_curheading - (MAP_PI / 2 - course), 2 * MAP_PI)), 2 * DEG)
                << c.format << " at " << s;
            ASSERT_NEAR(row.gps_curalt, 600 + CLIMB * s, 0.51) << c.format;
        }
    }
}
