#include "demo_site.h"

#include <cmath>

#include "frame/map_frame.h"
#include "log/geography.h"

namespace flightreplay::demo {

double siteMercatorScale()
{
    return 2.0 * MAP_PI * MAP_FRAME_EARTH_RADIUS * std::cos(SITE_LAT * RADIANS_PER_DEGREE);
}

LocalPoint mercatorToLocal(double mercatorX, double mercatorY)
{
    const double scale = siteMercatorScale();
    // Mercator y grows southward.
    return {(mercatorX - lonToMercatorX(SITE_LON)) * scale, (latToMercatorY(SITE_LAT) - mercatorY) * scale};
}

GeoPoint localToGeo(LocalPoint p)
{
    const double scale = siteMercatorScale();
    const double x = lonToMercatorX(SITE_LON) + p.east / scale;
    const double y = latToMercatorY(SITE_LAT) - p.north / scale;
    return {latitudeOfMercatorY(y), longitudeOfMercatorX(x)};
}

namespace {

const double RUNWAY_COS = std::cos(RUNWAY_ANGLE);
const double RUNWAY_SIN = std::sin(RUNWAY_ANGLE);

} // namespace

RunwayPoint localToRunway(LocalPoint p)
{
    const double c = RUNWAY_COS;
    const double s = RUNWAY_SIN;
    return {p.east * c + p.north * s, -p.east * s + p.north * c};
}

LocalPoint runwayToLocal(RunwayPoint p)
{
    const double c = RUNWAY_COS;
    const double s = RUNWAY_SIN;
    return {p.u * c - p.w * s, p.u * s + p.w * c};
}

} // namespace flightreplay::demo
