#include "tools/prep/prep_area.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "frame/elevation_tile.h"
#include "frame/map_frame.h"
#include "log/flight_log.h"
#include "log/geography.h"
#include "tools/assets/vehicle_type.h"
#include "frame/terrain_tiles.h"
#include "tools/common/parse_number.h"
#include "tools/common/position_log.h"
#include "tools/common/tool_error.h"
#include "tools/flight/flight_extent.h"
#include "tools/readers/read_flight.h"

namespace flightreplay::prep {

namespace {

void setupCheckedFrame(const std::string& what, double latMin, double latMax, double lonMin, double lonMax)
{
    const double latc = degreesOfMinutes((latMin + latMax) * 0.5);
    const double lonc = degreesOfMinutes((lonMin + lonMax) * 0.5);
    if (!(std::fabs(latc) < MERCATOR_LATITUDE_LIMIT) || !(lonc >= -180.0 && lonc < 180.0)) {
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

namespace {

// The replay's own log starts with a header of its keywords only.
bool isReplayLog(const std::string& path)
{
    std::ifstream file(path);
    std::string header;
    std::getline(file, header);
    size_t words = 0;
    size_t at = 0;
    while (at < header.size()) {
        const size_t end = std::min(header.find_first_of(",; \t\r", at), header.size());
        if (end > at) {
            if (fieldCodeOf(header.substr(at, end - at)) == 0)
                return false;
            ++words;
        }
        at = end + 1;
    }
    return words > 0 || !file.is_open();
}

} // namespace

LogExtents flightExtents(const std::string& path, flight::VehicleType* vehicle, LogExtents* plan)
{
    if (vehicle)
        *vehicle = flight::VehicleType::fixedWing;
    if (isReplayLog(path))
        return tools::readPositionLog(path);
    LogExtents e;
    try {
        // Every vehicle of a ground station's log flies in the area.
        const std::vector<flight::Flight> flights = readers::readFlightsOfFile(path, readers::ReadOptions{});
        if (flights.front().position.empty())
            throw tools::ToolError("no position fixes");
        if (vehicle)
            *vehicle = assets::vehicleTypeOf(flights.front());
        for (const flight::Flight& flight : flights) {
            if (!flight.position.empty())
                flight::addExtent(e, flight::flightExtent(flight));
            if (plan)
                flight::addExtent(*plan, flight::planExtent(flight));
        }
    } catch (const tools::ToolError& error) {
        throw tools::ToolError(path + ": " + error.what());
    }
    return e;
}

flight::VehicleType setupFrameFromFlights(const std::vector<std::string>& paths, LogExtents* planArea)
{
    LogExtents all;
    flight::VehicleType first = flight::VehicleType::fixedWing;
    for (const std::string& path : paths) {
        LogExtents plan;
        flight::addExtent(all, flightExtents(path, &path == &paths.front() ? &first : nullptr, &plan));
        if (planArea)
            flight::addExtent(*planArea, plan);
    }
    setupCheckedFrame(paths.size() == 1 ? paths[0] : paths[0] + " ...", all.latMin, all.latMax, all.lonMin, all.lonMax);
    return first;
}

std::vector<ElevationFileIndex> elevationFilesToPrepare(const LogExtents& area)
{
    std::vector<ElevationFileIndex> files = terrainElevationFiles(mapFrame.CI, mapFrame.CJ);
    if (area.latMin <= area.latMax && area.lonMin <= area.lonMax) {
        // The zoom-18 corners around the area, one more each way for the
        // samples a reading between corners takes.
        const auto corner = mercatorToTileIndex;
        const int32_t north = corner(latToMercatorY(area.latMax / 60.0));
        const int32_t south = std::min(corner(latToMercatorY(area.latMin / 60.0)) + 1, FRAME_SIZE - 1);
        const int32_t west = corner(lonToMercatorX(area.lonMin / 60.0));
        const int32_t east = std::min(corner(lonToMercatorX(area.lonMax / 60.0)) + 1, FRAME_SIZE - 1);
        for (int32_t row = north / EGM_SPAN; row <= south / EGM_SPAN; ++row)
            for (int32_t col = west / EGM_SPAN; col <= east / EGM_SPAN; ++col)
                files.push_back({row, col});
    }
    sortElevationFiles(files);
    return files;
}

void setupFrameFromBox(const GeoBox& box)
{
    if (!(std::fabs(box.south) < MERCATOR_LATITUDE_LIMIT && std::fabs(box.north) < MERCATOR_LATITUDE_LIMIT
          && box.west >= -180.0 && box.east <= 180.0))
        throw tools::ToolError("--bbox: the area lies outside the Web-Mercator range (latitudes within 85.0511, longitudes -180 to 180)");
    setupCheckedFrame("--bbox", minutesOfDegrees(box.south), minutesOfDegrees(box.north), minutesOfDegrees(box.west),
                      minutesOfDegrees(box.east));
}

GeoBox parseGeoBox(const std::string& text)
{
    std::vector<std::string> parts(1);
    for (const char c : text) {
        if (c == ',')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    if (parts.size() != 4)
        throw tools::ToolError("--bbox " + text + ": expected S,W,N,E in degrees");
    double values[4];
    for (size_t i = 0; i < 4; ++i)
        values[i] = tools::parseNumber("--bbox", parts[i]);
    const GeoBox box{values[0], values[1], values[2], values[3]};
    if (box.south > box.north || box.west > box.east)
        throw tools::ToolError("--bbox " + text + ": south must not exceed north, nor west east");
    return box;
}

} // namespace flightreplay::prep
