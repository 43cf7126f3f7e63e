#pragma once
// The flight on a time axis: seconds from the first row for every data row,
// and the aircraft's state at any time between rows. Cameras, instruments
// and plots all read the flight through sampleFlight.

#include <vector>

#include <osg/Quat>
#include <osg/Vec3d>

#include "log/flight_log.h"

namespace flightreplay::studio {

constexpr double FIXED_ROWS_PER_SECOND = 5.0;

enum class TimeSource {
    gpsTime,  // the log's gps_time, in seconds, rises from row to row
    fixedRate // FIXED_ROWS_PER_SECOND rows per second
};

// gpsTime when the log has a gps_time column whose values rise strictly from
// every row to the next (at least two rows), else fixedRate.
TimeSource chooseTimeSource(const LogRow* rows, int count, bool hasGpsTimeColumn);

// Which of the optional columns the log's header named.
struct LogColumns {
    bool gpsTime = false;
    bool gpsDate = false;
    bool groundSpeed = false;
    bool battery = false;
    bool rcIn = false;
    bool servoOut = false;
};

// The columns named in the header of the flight log table.
LogColumns columnsOfFlightLog();

struct FlightTimeline {
    const LogRow* rows = nullptr; // not owned; the flight log table
    int count = 0;
    TimeSource source = TimeSource::fixedRate;
    LogColumns columns;
    std::vector<double> times;         // seconds from the first row, one per row, rising
    std::vector<osg::Vec3d> positions; // scene position of every row
    std::vector<double> groundSpeeds;  // m/s, one per row
    std::vector<double> verticalSpeeds; // m/s, one per row, positive climbing

    // Seconds from the first row to the last (0 with fewer than two rows).
    double duration() const { return times.empty() ? 0.0 : times.back(); }
};

// The timeline of rows[0 .. count - 1]; the map frame must be set up. Ground
// speed comes from gps_curspeed (m/s) when the log has it, else from the
// distance between neighbouring rows.
FlightTimeline buildTimeline(const LogRow* rows, int count, const LogColumns& columns);

// The timeline of the flight log table.
FlightTimeline buildFlightLogTimeline();

struct FlightSample {
    double time = 0.0;  // seconds from the first row, clamped to the flight
    int row = 0;        // the row at or before time
    double fraction = 0.0; // 0 ... 1 of the way to the next row
    osg::Vec3d position; // scene frame (+x south, +y east, +z up)
    osg::Quat attitude;  // the replay's rotation of the model for these angles
    double latitude = 0.0;  // degrees
    double longitude = 0.0; // degrees
    double altitude = 0.0;  // metres above sea level
    double heading = 0.0;   // radians counter-clockwise from east, (-pi, pi]
    double pitch = 0.0;     // radians, positive nose up
    double roll = 0.0;      // radians, positive left wing down
    double groundSpeed = 0.0;   // m/s
    double verticalSpeed = 0.0; // m/s
    double gpsTime = 0.0;   // the log's gps_time at this time
    double voltage = 0.0;   // V
    double current = 0.0;   // A
    double mah = 0.0;       // mAh drawn
    double rcIn[5] = {};    // microseconds
    double servoOut[4] = {}; // microseconds
};

// The aircraft at time t (seconds from the first row): values interpolated
// linearly between the two rows around t, angles the shorter way round.
// An empty timeline gives a default sample.
FlightSample sampleFlight(const FlightTimeline& timeline, double t);

} // namespace flightreplay::studio
