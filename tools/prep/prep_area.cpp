#include "tools/prep/prep_area.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frame/map_frame.h"
#include "frame/terrain_tiles.h"
#include "tools/common/position_log.h"
#include "tools/common/tool_error.h"

namespace flightreplay::prep {

namespace {

// Beyond this latitude the Mercator y leaves the grid.
constexpr double MERCATOR_LAT_LIMIT = 85.0511287798;

void setupCheckedFrame(const std::string& what, double latMin, double latMax, double lonMin, double lonMax)
{
    const double latc = (latMin + latMax) * 0.5 / 60.0;
    const double lonc = (lonMin + lonMax) * 0.5 / 60.0;
    if (!(std::fabs(latc) < MERCATOR_LAT_LIMIT) || !(lonc >= -180.0 && lonc < 180.0)) {
        char centre[96];
        std::snprintf(centre, sizeof centre, "centre %.6f, %.6f", latc, lonc);
        throw tools::ToolError(what + ": " + centre + " lies outside the Web-Mercator range");
    }
    setupMapFrame(latMin, latMax, lonMin, lonMax);
    bool inside = true;
    forEachTerrainTile(mapFrame.CI, mapFrame.CJ, [&](const TerrainTile& tile) {
        const int32_t side = 1 << tile.zoom;
        if (tile.row < 0 || tile.row >= side || tile.col < 0 || tile.col >= side)
            inside = false;
    });
    if (!inside)
        throw tools::ToolError(what + ": the terrain patch reaches beyond the edge of the Web-Mercator grid");
}

} // namespace

void setupFrameFromLog(const std::string& logPath)
{
    const LogExtents e = tools::readPositionLog(logPath);
    setupCheckedFrame(logPath, e.latMin, e.latMax, e.lonMin, e.lonMax);
}

void setupFrameFromBox(const GeoBox& box)
{
    if (!(std::fabs(box.south) < MERCATOR_LAT_LIMIT && std::fabs(box.north) < MERCATOR_LAT_LIMIT
          && box.west >= -180.0 && box.east <= 180.0))
        throw tools::ToolError("--bbox: the area lies outside the Web-Mercator range (latitudes within 85.0511, longitudes -180 to 180)");
    setupCheckedFrame("--bbox", box.south * 60.0, box.north * 60.0, box.west * 60.0, box.east * 60.0);
}

GeoBox parseGeoBox(const std::string& text)
{
    double values[4];
    const char* p = text.c_str();
    for (int i = 0; i < 4; ++i) {
        char* end = nullptr;
        values[i] = std::strtod(p, &end);
        const char expected = i < 3 ? ',' : '\0';
        if (end == p || *end != expected || !std::isfinite(values[i]))
            throw tools::ToolError("--bbox " + text + ": expected S,W,N,E in degrees");
        p = end + 1;
    }
    const GeoBox box{values[0], values[1], values[2], values[3]};
    if (box.south > box.north || box.west > box.east)
        throw tools::ToolError("--bbox " + text + ": south must not exceed north, nor west east");
    return box;
}

} // namespace flightreplay::prep
