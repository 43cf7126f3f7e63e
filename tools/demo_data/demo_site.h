#pragma once
// Where the demo flight happens: a model airfield in farmland, and the local
// frame in metres (east, north) from the middle of its runway that the
// landscape and the flight are drawn in. The frame is Web-Mercator scaled to
// metres at the field, so pictures drawn in it line up with the map tiles.

namespace flightreplay::demo {

constexpr double SITE_LAT = 48.1037; // degrees, middle of the runway
constexpr double SITE_LON = 11.4862;
constexpr double FIELD_ELEVATION = 521.0; // metres above the terrain datum
// Direction of take-off, counter-clockwise from east (radians): toward WSW.
constexpr double RUNWAY_ANGLE = 3.4033920413889427; // 195 degrees

struct LocalPoint {
    double east;
    double north;
};

struct GeoPoint {
    double lat; // degrees
    double lon; // degrees
};

// Metres per unit of normalised Mercator coordinate at the field.
double siteMercatorScale();

LocalPoint mercatorToLocal(double mercatorX, double mercatorY);
GeoPoint localToGeo(LocalPoint p);

// Along the runway (u, in the take-off direction) and to its left (w).
struct RunwayPoint {
    double u;
    double w;
};
RunwayPoint localToRunway(LocalPoint p);
LocalPoint runwayToLocal(RunwayPoint p);

} // namespace flightreplay::demo
