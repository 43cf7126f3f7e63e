// Writes generated flights into a folder for the studio's program tests:
// dataflash.bin (the converter tests' DataFlash flight), glider.igc and
// track.gpx (a minute flying east), quad.csv (a multicopter that climbs
// 10 m in 5 s from second 5 and then flies east at 3 m/s facing north, for a
// minute), soaring.igc (a glider 10 s on the ground at 500 m, climbing to
// 2500 m by second 60, then flying east at that height until second 180),
// and fleet01.gpx ... fleet16.gpx: sixteen
// aircraft flying east together in a column 10 m apart north to south, the
// first in the middle, for one minute from 2026-06-14 10:00:00 UTC;
// undated.csv, three fixes without times; telemetry.tlog, a ground
// station's log of two vehicles 60 m apart (a quad, system 1, whose radio
// is silent from 20 s to 25 s, and a rover, system 2) for a minute from
// 2026-06-14 10:00:00 UTC; and plan/plan.bin, a DataFlash mission flown
// (see plan_flight.h) beside plan/zsi-*.egm, the sloped ground its terrain
// reports lie 3.5 m above.
// Usage: make_flight_files FOLDER

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "log/units.h"
#include "log_writers.h"
#include "plan_flight.h"
#include "review_logs.h"
#include "tlog_writer.h"
#include "support/test_support.h"

namespace {

constexpr double LATITUDE = 47.3;
constexpr double LONGITUDE = 8.5;
constexpr double SPEED = 15.0; // m/s east

double northOf(double metres)
{
    return LATITUDE + metres / MEAN_EARTH_RADIUS * DEGREES_PER_RADIAN;
}

double eastOf(double metres)
{
    return LONGITUDE + metres / (MEAN_EARTH_RADIUS * std::cos(LATITUDE * RADIANS_PER_DEGREE)) * DEGREES_PER_RADIAN;
}

double eastAfter(double seconds)
{
    return eastOf(SPEED * seconds);
}

std::string gpx(double northMetres, double altitude)
{
    std::string text = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"test\"><trk><trkseg>\n";
    for (int i = 0; i <= 60; ++i) {
        char point[200];
        std::snprintf(point, sizeof point,
                      "<trkpt lat=\"%.9f\" lon=\"%.9f\"><ele>%.1f</ele><time>2026-06-14T10:%02d:%02dZ</time></trkpt>\n",
                      northOf(northMetres), eastAfter(i), altitude + (i < 10 ? i : 10), i / 60, i % 60);
        text += point;
    }
    return text + "</trkseg></trk></gpx>\n";
}

// One B record a second; east in metres, altitudes in metres.
std::string igc(int seconds, double (*east)(int), int (*altitude)(int))
{
    std::string text = "AXXX001 test\r\nHFDTE140626\r\n";
    for (int i = 0; i <= seconds; ++i) {
        const double lat = northOf(0.0);
        const double lon = eastOf(east(i));
        const int latMilli = static_cast<int>(std::lround((lat - std::floor(lat)) * 60000.0));
        const int lonMilli = static_cast<int>(std::lround((lon - std::floor(lon)) * 60000.0));
        char record[64];
        std::snprintf(record, sizeof record, "B10%02d%02d%02d%05dN%03d%05dEA%05d%05d\r\n", i / 60, i % 60,
                      static_cast<int>(lat), latMilli, static_cast<int>(lon), lonMilli, altitude(i), altitude(i) + 10);
        text += record;
    }
    return text;
}

std::string quadCsv()
{
    std::string text = "time,lat,lon,alt,heading\n";
    for (int i = 0; i <= 120; ++i) {
        const double t = 0.5 * i;
        char row[120];
        std::snprintf(row, sizeof row, "%.1f,%.9f,%.9f,%.2f,0\n", t, LATITUDE, eastOf(3.0 * std::max(t - 10.0, 0.0)),
                      400.0 + std::clamp(2.0 * (t - 5.0), 0.0, 10.0));
        text += row;
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_flight_files FOLDER\n");
        return 2;
    }
    const std::string dir = argv[1];
    writeFile(dir + "/dataflash.bin", reader_test::dataflashFlight(false));
    reader_test::Trouble trouble;
    trouble.vibration = trouble.estimator = trouble.gpsJump = trouble.motorLimit = true;
    writeFile(dir + "/trouble.bin", reader_test::dataflashReviewFlight(trouble));
    writeFile(dir + "/healthy.bin", reader_test::dataflashReviewFlight({}));
    writeFile(dir + "/glider.igc", igc(60, [](int s) { return SPEED * s; }, [](int s) { return 900 + s; }));
    writeFile(dir + "/soaring.igc", igc(180, [](int s) { return 25.0 * std::max(s - 10, 0); },
                                        [](int s) { return 500 + 40 * std::clamp(s - 10, 0, 50); }));
    writeFile(dir + "/quad.csv", quadCsv());
    writeFile(dir + "/track.gpx", gpx(0.0, 400.0));
    writeFile(dir + "/undated.csv", "lat,lon,alt\n47.3,8.5,400\n47.3001,8.5,400\n47.3002,8.5,400\n");
    reader_test::TlogWriter tlog;
    reader_test::TelemetryFlight quad;
    quad.gapFrom = 20.0;
    quad.gapSeconds = 5.0;
    reader_test::writeTelemetryFlight(tlog, quad);
    reader_test::TelemetryFlight rover;
    rover.system = 2;
    rover.mavType = 10;
    rover.northOffsetM = 60.0;
    rover.station = false;
    reader_test::writeTelemetryFlight(tlog, rover);
    writeFile(dir + "/telemetry.tlog", tlog.bytes());
    for (int i = 0; i < 16; ++i) {
        // 0, +10, -10, +20, -20 ... metres north.
        const double north = 10.0 * ((i + 1) / 2) * (i % 2 ? 1.0 : -1.0);
        char name[32];
        std::snprintf(name, sizeof name, "/fleet%02d.gpx", i + 1);
        writeFile(dir + name, gpx(north, 400.0));
    }
    const reader_test::SlopedGround ground(47.6, 9.14, 418.0);
    const reader_test::PlanFlight plan = reader_test::standardPlanFlight(
        47.6, 9.14, 420.0, [ground](double lat, double lon) { return ground.heightAt(lat, lon); });
    std::filesystem::create_directories(dir + "/plan");
    writeFile(dir + "/plan/plan.bin", reader_test::writePlanFlight(plan).bytes);
    writeFile(dir + "/plan/" + ground.fileName(), ground.fileBytes());
    return 0;
}
