#pragma once
// The log's units and conventions, defined once for the replay and every
// companion program: π, degrees and minutes of arc, the log's heading and
// roll conventions against the compass and aerospace ones, angle wrapping
// and interpolation, and the Earth radii by what each is for.
//
// The log: latitude and longitude in minutes of arc; heading in radians
// counter-clockwise from east; roll in radians positive with the left wing
// down; pitch in radians positive nose up. Compass heading: clockwise from
// north. Aerospace roll: positive with the right wing down.

#include <cmath>

constexpr double MAP_PI = 3.141592653589793;
constexpr double DEGREES_PER_RADIAN = 180.0 / MAP_PI;
constexpr double RADIANS_PER_DEGREE = MAP_PI / 180.0;
constexpr double MINUTES_PER_DEGREE = 60.0;

// The sphere of the map frame's scale, not a geodetic radius: the replay's
// tile width and scene scale follow from it.
constexpr double MAP_FRAME_EARTH_RADIUS = 6374000.0;
// The IUGG mean radius, for distances and local offsets between nearby
// points (metres along the ground).
constexpr double MEAN_EARTH_RADIUS = 6371008.8;

// An angle in radians within (-π, π].
inline double wrapPlusMinusPi(double angle)
{
    angle = std::remainder(angle, 2.0 * MAP_PI);
    return angle <= -MAP_PI ? angle + 2.0 * MAP_PI : angle;
}

// An angle in radians within [0, 2π).
inline double wrapZeroTwoPi(double angle)
{
    angle = std::fmod(angle, 2.0 * MAP_PI);
    if (angle < 0.0)
        angle += 2.0 * MAP_PI;
    return angle >= 2.0 * MAP_PI ? 0.0 : angle;
}

// a + f (b - a) along the shorter way round, in radians within (-π, π].
inline double interpolateAngle(double a, double b, double f)
{
    return wrapPlusMinusPi(a + f * wrapPlusMinusPi(b - a));
}

// The log's heading (counter-clockwise from east) of a compass heading
// (clockwise from north), both in radians; the result within (-π, π].
inline double logHeadingOfCompass(double compass)
{
    return wrapPlusMinusPi(MAP_PI / 2.0 - compass);
}

// Compass heading in radians within [0, 2π) of the log's heading.
inline double compassOfLogHeading(double heading)
{
    return wrapZeroTwoPi(MAP_PI / 2.0 - heading);
}

// The log's roll (left wing down positive) of an aerospace roll (right wing
// down positive), and back: the same sign change either way.
inline double logRollOfAerospace(double roll) { return -roll; }
inline double aerospaceRollOfLog(double roll) { return -roll; }

// Minutes of arc of degrees, and back.
inline double minutesOfDegrees(double degrees) { return degrees * MINUTES_PER_DEGREE; }
inline double degreesOfMinutes(double minutes) { return minutes / MINUTES_PER_DEGREE; }
