// Writes a tree of generated flight logs for the logbook's tests and its
// benchmark: COUNT files in FOLDER/YEAR/MONTH/, flights of every format the
// readers know at places and dates that differ from file to file (ground
// station logs of one or two vehicles for one to ten minutes, GPX and IGC
// tracks, CSV tables, ULog flights, DataFlash flights of which some shake or
// drain their battery), copies of the real ULogs
// in REAL_LOG_DIR where given, and among them a note that is no log every
// 100 files and a ULog cut short every 250.
// Usage: make_log_tree FOLDER COUNT [REAL_LOG_DIR]

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "log/units.h"
#include "log_writers.h"
#include "review_logs.h"
#include "support/test_support.h"
#include "tlog_writer.h"

namespace {

constexpr uint64_t FIRST_DAY_US = 1704067200000000ull; // 2024-01-01 00:00:00 UTC
constexpr uint64_t DAY_US = 86400000000ull;

struct Place {
    double lat, lon;
};

// Spread over a few hundred kilometres, as a fleet's fields would be.
Place placeOf(int i)
{
    return {46.0 + 0.37 * (i % 17) + 0.011 * (i % 7), 7.0 + 0.53 * (i % 13) + 0.013 * (i % 5)};
}

double eastDegrees(double metres, double lat)
{
    return metres / (MEAN_EARTH_RADIUS * std::cos(lat * RADIANS_PER_DEGREE)) * DEGREES_PER_RADIAN;
}

double northDegrees(double metres)
{
    return metres / MEAN_EARTH_RADIUS * DEGREES_PER_RADIAN;
}

// A circuit of radius r metres flown in `seconds`, one point a second.
Place circuit(const Place& home, double r, double seconds, double t)
{
    const double a = 2.0 * MAP_PI * t / seconds;
    return {home.lat + northDegrees(r * std::sin(a)), home.lon + eastDegrees(r * (1.0 - std::cos(a)), home.lat)};
}

std::string gpx(const Place& home, uint64_t startUs, int seconds)
{
    std::string text = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"make_log_tree\"><trk><trkseg>\n";
    const std::time_t start = static_cast<std::time_t>(startUs / 1000000);
    for (int s = 0; s <= seconds; ++s) {
        const Place p = circuit(home, 150.0, seconds, s);
        const std::time_t now = start + s;
        std::tm utc{};
        gmtime_r(&now, &utc);
        char point[220];
        std::snprintf(point, sizeof point,
                      "<trkpt lat=\"%.7f\" lon=\"%.7f\"><ele>%.1f</ele><time>%04d-%02d-%02dT%02d:%02d:%02dZ</time></trkpt>\n",
                      p.lat, p.lon, 400.0 + std::min(s, 30), utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour,
                      utc.tm_min, utc.tm_sec);
        text += point;
    }
    return text + "</trkseg></trk></gpx>\n";
}

std::string igc(const Place& home, uint64_t startUs, int seconds)
{
    const std::time_t start = static_cast<std::time_t>(startUs / 1000000);
    std::tm day{};
    gmtime_r(&start, &day);
    char header[64];
    std::snprintf(header, sizeof header, "AXXX001 tree\r\nHFDTE%02d%02d%02d\r\n", day.tm_mday, day.tm_mon + 1,
                  day.tm_year % 100);
    std::string text = header;
    for (int s = 0; s <= seconds; ++s) {
        const Place p = circuit(home, 400.0, seconds, s);
        const int second = (day.tm_hour * 3600 + day.tm_min * 60 + day.tm_sec + s) % 86400;
        const int latMilli = static_cast<int>(std::lround((p.lat - std::floor(p.lat)) * 60000.0));
        const int lonMilli = static_cast<int>(std::lround((p.lon - std::floor(p.lon)) * 60000.0));
        const int altitude = 600 + std::min(s, 300);
        char record[64];
        std::snprintf(record, sizeof record, "B%02d%02d%02d%02d%05dN%03d%05dEA%05d%05d\r\n", second / 3600,
                      second / 60 % 60, second % 60, static_cast<int>(p.lat), latMilli, static_cast<int>(p.lon),
                      lonMilli, altitude, altitude + 10);
        text += record;
    }
    return text;
}

std::string csv(const Place& home, int seconds)
{
    std::string text = "time,lat,lon,alt,heading\n";
    for (int s = 0; s <= seconds; ++s) {
        const Place p = circuit(home, 80.0, seconds, s);
        char row[120];
        std::snprintf(row, sizeof row, "%d,%.7f,%.7f,%.1f,0\n", s, p.lat, p.lon, 300.0 + std::min(s, 20));
        text += row;
    }
    return text;
}

std::string tlog(const Place& home, uint64_t startUs, int seconds, bool twoVehicles)
{
    reader_test::TlogWriter w;
    reader_test::TelemetryFlight quad;
    quad.seconds = seconds;
    quad.startUs = startUs;
    quad.latitude = home.lat;
    quad.longitude = home.lon;
    reader_test::writeTelemetryFlight(w, quad);
    if (twoVehicles) {
        reader_test::TelemetryFlight plane = quad;
        plane.system = 2;
        plane.mavType = 1;
        plane.northOffsetM = 80.0;
        plane.station = false;
        reader_test::writeTelemetryFlight(w, plane);
    }
    return w.bytes();
}

// Every third DataFlash flight shakes, every fifth drains its battery.
reader_test::Trouble troubleOf(int i)
{
    reader_test::Trouble trouble;
    trouble.vibration = i % 3 == 0;
    trouble.battery = i % 5 == 0;
    return trouble;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_log_tree FOLDER COUNT [REAL_LOG_DIR]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int count = std::atoi(argv[2]);
    std::vector<std::string> real;
    if (argc > 3)
        for (const auto& entry : std::filesystem::directory_iterator(argv[3]))
            if (entry.path().extension() == ".ulg")
                real.push_back(entry.path().string());
    std::sort(real.begin(), real.end());
    for (int i = 0; i < count; ++i) {
        const uint64_t startUs = FIRST_DAY_US + static_cast<uint64_t>(i) * 3 * DAY_US / 2 + (i % 24) * 3600000000ull;
        const std::time_t start = static_cast<std::time_t>(startUs / 1000000);
        std::tm day{};
        gmtime_r(&start, &day);
        char dir[64];
        std::snprintf(dir, sizeof dir, "/%04d/%02d/", day.tm_year + 1900, day.tm_mon + 1);
        std::filesystem::create_directories(folder + dir);
        char stem[32];
        std::snprintf(stem, sizeof stem, "flight%04d", i);
        const std::string base = folder + dir + stem;
        const Place home = placeOf(i);
        const int seconds = 60 + (i * 37) % 540;
        if (i % 100 == 99) {
            writeFile(base + ".txt", "battery 3 swapped, props checked\n");
        } else if (i % 250 == 125) {
            const std::string whole = reader_test::ulogFlight();
            writeFile(base + ".ulg", whole.substr(0, whole.size() * 2 / 3));
        } else if (i % 10 == 0 && !real.empty()) {
            std::filesystem::copy_file(real[static_cast<size_t>(i / 10) % real.size()], base + ".ulg",
                                       std::filesystem::copy_options::overwrite_existing);
        } else {
            switch (i % 8) {
            case 0:
            case 1: writeFile(base + ".tlog", tlog(home, startUs, seconds, i % 16 == 1)); break;
            case 2: writeFile(base + ".tlog", tlog(home, startUs, seconds / 2, false)); break;
            case 3: writeFile(base + ".gpx", gpx(home, startUs, seconds)); break;
            case 4: writeFile(base + ".igc", igc(home, startUs, seconds)); break;
            case 5: writeFile(base + ".csv", csv(home, seconds)); break;
            case 6: writeFile(base + ".bin", reader_test::dataflashReviewFlight(troubleOf(i))); break;
            default: writeFile(base + ".ulg", reader_test::ulogFlight()); break;
            }
        }
    }
    return 0;
}
