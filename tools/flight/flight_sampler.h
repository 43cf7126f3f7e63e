#pragma once
// A flight on a time axis: seconds from its first position fix, and every
// stream of the flight at any time between its samples. The studio's
// cameras, instruments, plots and track all read a flight through this.

#include <utility>
#include <vector>

#include <osg/Quat>
#include <osg/Vec3d>

#include "tools/flight/flight.h"

namespace flightreplay::flight {

struct FlightSample {
    double time = 0.0;     // seconds from the first fix, clamped to the flight
    int fix = 0;           // the fix at or before time
    osg::Vec3d position;   // scene frame (+x south, +y east, +z up)
    osg::Quat attitude;    // the replay's rotation of the model for these angles
    double latitude = 0.0; // degrees
    double longitude = 0.0;
    double altitude = 0.0;      // metres above sea level
    double roll = 0.0;          // aerospace radians: positive right wing down
    double pitch = 0.0;         // radians, positive nose up
    double yaw = 0.0;           // radians clockwise from north, [0, 2π)
    double groundSpeed = 0.0;   // m/s
    double verticalSpeed = 0.0; // m/s, positive climbing
    double voltage = 0.0;       // V
    double current = 0.0;       // A
    double mah = 0.0;           // mAh drawn
    double satellites = 0.0;    // held, not interpolated
    double rcIn[5] = {};        // microseconds
    double servoOut[4] = {};    // microseconds
    double windSpeed = NAN;     // m/s, where the flight has the wind
    double windDirection = NAN; // degrees clockwise from north the wind blows from
    bool linkLost = false;      // within a link loss: every value held from before it
    double utc = NAN;           // seconds since 1970 where the flight knows it
    int mode = -1;              // index into Flight::modes of the mode in force; -1 before the first
};

class FlightSampler {
public:
    // The flight (tidied, streams in time order) must outlive the sampler and
    // the map frame must be set up: scene positions are computed here once.
    explicit FlightSampler(const Flight& flight);

    const Flight& flight() const { return *flight_; }
    // Seconds from the first fix to the last (0 with fewer than two fixes).
    double duration() const { return times_.empty() ? 0.0 : times_.back(); }
    // The flight's own clock at the first fix: flight time = this + sample time.
    double clockAtStart() const { return start_; }
    // Per fix: seconds from the first fix, scene position, ground speed (the
    // recorded one where there is, else from the positions, m/s).
    const std::vector<double>& fixTimes() const { return times_; }
    const std::vector<osg::Vec3d>& scenePositions() const { return positions_; }
    const std::vector<double>& groundSpeeds() const { return groundSpeeds_; }

    // The flight at t seconds from the first fix: positions and series
    // interpolated linearly, angles the shorter way round, counts and modes
    // held. Within a link loss (a linkLost event) nothing is known: every
    // value is held at the last heard before it, as a ground station's
    // screen freezes, and not drawn towards the values after it. A flight
    // without fixes gives a default sample.
    FlightSample sample(double t) const;

    // Index i of each fix whose line to fix i + 1 crosses a link loss: the
    // track is not drawn there.
    const std::vector<size_t>& trackBreaks() const { return breaks_; }

private:
    const Flight* flight_;
    double start_ = 0.0;
    std::vector<double> times_;
    std::vector<osg::Vec3d> positions_;
    std::vector<double> groundSpeeds_;
    std::vector<double> verticalSpeeds_;
    std::vector<std::pair<double, double>> losses_; // link losses on the flight's clock: from, to
    std::vector<size_t> breaks_;
};

// Value of a series at flight-clock time t: linear between its samples,
// held at its ends; 0 for an empty series.
double seriesAt(const Series& series, double t);
// The value of the last sample at or before t (the first before it); 0 when empty.
double heldAt(const Series& series, double t);

} // namespace flightreplay::flight
