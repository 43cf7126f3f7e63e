#pragma once
// The flight: what every companion program reads and draws, and the place
// to start reading the companion programs.
//
//   file --(tools/convert readers, readFlightFile)--> Flight
//   replay's own log --(log_table_flight.h)--------> Flight
//   Flight --(tools/convert resample)--> the replay's log rows
//   Flight --(flight_sampler.h)--> any moment: scene position, attitude,
//                                  every series (the studio draws this)
//
// A reader turns a file (ULog, DataFlash, GPX, IGC, CSV or the replay's own
// log) into timed samples per stream, every time in seconds on the file's
// own clock (the boot clock of an autopilot, UTC of day or epoch for a
// tracker), each stream in time order once tidied. Units and angle
// conventions are those of log/units.h: degrees, metres, aerospace angles.
// The converter writes a flight as the replay's log; the studio draws it;
// prep finds its area.

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace flightreplay::flight {

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

// The kind of vehicle, as far as the model drawn for it goes.
enum class VehicleType { unknown, fixedWing, multicopter, helicopter, glider, vtol, ground };

// From t on the vehicle flies in this mode, until the next change.
struct ModeChange {
    double t;
    int code;         // the autopilot's own number (navigation state, mode number, ap_status)
    std::string name; // "Position", "AUTO", ... ; the number as text where the name is unknown
};

// A line the autopilot logged: ULog logged messages, DataFlash MSG, EV, ERR.
struct FlightMessage {
    double t;
    int severity;     // syslog levels: 0 emergency ... 3 error, 4 warning, 6 info, 7 debug
    std::string text;
};

enum class FlightEventKind { armed, disarmed, takeoff, landing };

struct FlightEvent {
    double t;
    FlightEventKind kind;
    bool logged; // the log says so; false when inferred from the data
};

struct Flight {
    std::string format;         // "ULog", "DataFlash", "GPX", "IGC", "CSV", "log"
    std::string firmware;       // firmware name and version where the file says; else empty
    std::string vehicle;        // "fixed-wing", "multicopter", "rover", ... where known; else empty
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

    std::vector<ModeChange> modes;       // in time order
    std::vector<FlightMessage> messages; // in time order
    std::vector<FlightEvent> events;     // in time order

    // UTC (seconds since 1970) at t = 0 of the file's clock, where known.
    double utcAtClockZero = NAN;

    // One line each: damaged stretches skipped, where a truncated file
    // stopped; printed on standard error by the programs.
    std::vector<std::string> notes;
};

} // namespace flightreplay::flight
