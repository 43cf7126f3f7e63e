#include "frame/map_frame.h"

#include <cmath>
#include <cstdio>

#include "log/console_report.h"
#include "log/log_summary.h"

MapFrame mapFrame;

double lonToMercatorX(double lon)
{
    return std::fmod(lon + 180.0, 360.0) / 360.0;
}

double latToMercatorY(double lat)
{
    const double s = std::sin(lat * MAP_PI / 180.0);
    if (s >= 1.0)
        return 1e20;
    if (s <= -1.0)
        return -1e20;
    return 0.5 - std::log((1.0 + s) / (1.0 - s)) / (4.0 * MAP_PI);
}

int32_t mercatorToTileIndex(double normalised)
{
    const double index = normalised * 262144.0;
    // Beyond the Mercator range (the pole guard's 1e20, an infinite or NaN
    // extent) a plain conversion to int32 would be undefined.
    if (!(index >= 0.0))
        return 0;
    if (index >= static_cast<double>(FRAME_SIZE - 1))
        return FRAME_SIZE - 1;
    return static_cast<int32_t>(index);
}

void setupMapFrame(double latMin, double latMax, double lonMin, double lonMax)
{
    const double latc = degreesOfMinutes((latMin + latMax) * 0.5);
    const double lonc = degreesOfMinutes((lonMin + lonMax) * 0.5);
    const double tileWidth = std::cos(latc * MAP_PI / 180.0) * (MAP_FRAME_EARTH_RADIUS * (2.0 * MAP_PI)) / 262144.0;
    report("1/k=%f (latc=%f)\n", tileWidth, latc);
    mapFrame.k = 1.0 / tileWidth;
    mapFrame.CI = mercatorToTileIndex(latToMercatorY(latc));
    mapFrame.CJ = mercatorToTileIndex(lonToMercatorX(lonc));
    report("CI,CJ=%ld %ld\n", static_cast<long>(mapFrame.CI), static_cast<long>(mapFrame.CJ));
}

void summarizeLog()
{
    const LogExtents e = printLogSummary();
    setupMapFrame(e.latMin, e.latMax, e.lonMin, e.lonMax);
}

osg::Vec3f geoToScene(double lat, double lon, double alt)
{
    const double x = latToMercatorY(lat) * 262144.0 - mapFrame.CI;
    const double y = lonToMercatorX(lon) * 262144.0 - mapFrame.CJ;
    const double z = alt * mapFrame.k;
    return osg::Vec3f(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

osg::Vec3f gridToScene(int32_t row, int32_t col, double height)
{
    // 64-bit differences: any pair of 32-bit corners stays exact and defined.
    const int64_t x = static_cast<int64_t>(row) - mapFrame.CI;
    const int64_t y = static_cast<int64_t>(col) - mapFrame.CJ;
    return osg::Vec3f(static_cast<float>(x), static_cast<float>(y), static_cast<float>(height * mapFrame.k));
}
