#pragma once
// What a reader finds in a flight file, before it becomes log rows: timed
// samples per stream, every time in seconds on the file's own clock (the
// boot clock of an autopilot, UTC of day or epoch for a tracker), each
// stream in time order.

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace flightreplay::convert {

// A position fix: WGS84 degrees, metres above mean sea level.
struct Fix {
    double t;
    double latDeg;
    double lonDeg;
    double altM;
};

// Aerospace angles in radians: roll positive right wing down, pitch positive
// nose up, yaw clockwise from north.
struct Attitude {
    double t;
    double roll;
    double pitch;
    double yaw;
};

struct Sample {
    double t;
    double value;
};
using Series = std::vector<Sample>;

struct FlightData {
    std::string format;         // "ULog", "DataFlash", "GPX", "IGC", "CSV"
    std::string firmware;       // firmware name and version where the file says; else empty
    std::string vehicle;        // "fixed-wing", "multicopter", ... where known; else empty
    std::string positionSource; // the stream the fixes came from, e.g. "vehicle_global_position"

    std::vector<Fix> position;
    std::vector<Attitude> attitude;
    bool attitudeDerived = false; // computed from the track, not recorded

    Series groundSpeed; // m/s
    Series satellites;
    Series fixMode;     // 0 none, 1 no fix, 2 2-D, 3 3-D, higher: better than 3-D
    Series voltage;     // V
    Series current;     // A
    Series mah;         // mAh drawn so far
    Series baroAlt;     // m
    Series airspeed;    // m/s
    std::array<Series, 5> rcIn;     // µs, channels 1 to 5
    std::array<Series, 4> servoOut; // µs, outputs 1 to 4

    // UTC (seconds since 1970) at t = 0 of the file's clock, where known.
    double utcAtClockZero = NAN;

    // One line each: damaged stretches skipped, where a truncated file
    // stopped; printed on standard error by the converter.
    std::vector<std::string> notes;
};

} // namespace flightreplay::convert
