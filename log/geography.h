#pragma once
// Geography for nearby points on the mean Earth sphere, and Web Mercator
// both ways, for every program that places a flight on a map. Degrees in,
// metres out. The replay's own map frame (frame/map_frame.h) keeps its
// sphere and its forward Mercator; these are for everything else.

#include <algorithm>
#include <cmath>

#include "log/units.h"

// The equator's length on the WGS84 ellipsoid (radius 6378137 m), which is
// what Web Mercator tiles are laid on: a zoom-z tile is
// EARTH_EQUATOR_METRES / 2^z wide there, and EPSG:3857 runs from minus half
// of it to plus half.
constexpr double EARTH_EQUATOR_METRES = 2.0 * MAP_PI * 6378137.0;

// Metres east and north of a point from an origin.
struct LocalOffset {
    double east;
    double north;
};

// The offset of (latDeg, lonDeg) from (originLatDeg, originLonDeg) on the
// plane through the mean latitude of the two: within a millimetre per
// kilometre over the few kilometres of a flight, across the antimeridian too.
inline LocalOffset localOffsetMetres(double originLatDeg, double originLonDeg, double latDeg, double lonDeg)
{
    const double metresPerDegree = MEAN_EARTH_RADIUS * RADIANS_PER_DEGREE;
    const double meanLat = 0.5 * (originLatDeg + latDeg) * RADIANS_PER_DEGREE;
    const double lonDegrees = std::remainder(lonDeg - originLonDeg, 360.0);
    return {lonDegrees * metresPerDegree * std::cos(meanLat), (latDeg - originLatDeg) * metresPerDegree};
}

// The point `offset` metres from an origin: the inverse of
// localOffsetMetres (the same plane through the mean latitude). The
// longitude is not wrapped into [-180, 180].
inline void offsetToDegrees(double originLatDeg, double originLonDeg, const LocalOffset& offset, double& latDeg,
                            double& lonDeg)
{
    const double metresPerDegree = MEAN_EARTH_RADIUS * RADIANS_PER_DEGREE;
    latDeg = originLatDeg + offset.north / metresPerDegree;
    const double meanLat = 0.5 * (originLatDeg + latDeg) * RADIANS_PER_DEGREE;
    lonDeg = originLonDeg + offset.east / (metresPerDegree * std::cos(meanLat));
}

// Great-circle distance in metres between two points on the mean sphere
// (haversine, exact at any distance).
inline double groundDistanceMetres(double lat1Deg, double lon1Deg, double lat2Deg, double lon2Deg)
{
    const double lat1 = lat1Deg * RADIANS_PER_DEGREE;
    const double lat2 = lat2Deg * RADIANS_PER_DEGREE;
    const double sinLat = std::sin(0.5 * (lat2 - lat1));
    const double sinLon = std::sin(0.5 * (lon2Deg - lon1Deg) * RADIANS_PER_DEGREE);
    const double h = sinLat * sinLat + std::cos(lat1) * std::cos(lat2) * sinLon * sinLon;
    return 2.0 * MEAN_EARTH_RADIUS * std::asin(std::min(1.0, std::sqrt(h)));
}

// A latitude and longitude on the globe, in degrees (NaN and infinities are
// not).
inline bool onGlobe(double latDeg, double lonDeg) { return std::fabs(latDeg) <= 90.0 && std::fabs(lonDeg) <= 180.0; }
// On the globe and not 0, 0: what autopilots send for a place they do not
// know (no fix yet, an item without one).
inline bool hasPlace(double latDeg, double lonDeg) { return (latDeg != 0.0 || lonDeg != 0.0) && onGlobe(latDeg, lonDeg); }

// Normalised Web Mercator: x from 0 at 180° W to 1 at 180° E, y from 0 at
// the north edge (85.0511° N) to 1 at the south edge.
constexpr double MERCATOR_LATITUDE_LIMIT = 85.0511287798066; // degrees, atan(sinh(π))
inline double mercatorXOfLongitude(double lonDeg) { return (lonDeg + 180.0) / 360.0; }
inline double mercatorYOfLatitude(double latDeg)
{
    const double lat = latDeg * RADIANS_PER_DEGREE;
    return 0.5 - std::log(std::tan(0.25 * MAP_PI + 0.5 * lat)) / (2.0 * MAP_PI);
}
inline double longitudeOfMercatorX(double x) { return x * 360.0 - 180.0; }
// Written as the replay's grid corners (frame/grid_geography) always had it,
// so that they stay the same to the last bit.
inline double latitudeOfMercatorY(double y) { return std::atan(std::sinh((0.5 - y) * 2.0 * MAP_PI)) * 180.0 / MAP_PI; }
