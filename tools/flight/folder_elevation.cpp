#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "frame/elevation_tile.h"
#include "frame/ground_height.h"
#include "frame/map_frame.h"
#include "tools/flight/elevation_lookup.h"

namespace flightreplay::flight {

ElevationLookup folderElevation()
{
    // The loader prints a line for every file it cannot open: ask it only
    // for files known to be there.
    auto present = std::make_shared<std::map<std::string, bool>>();
    return [present](double latDeg, double lonDeg) -> std::optional<double> {
        const double row = latToMercatorY(latDeg) * FRAME_SIZE;
        const double col = lonToMercatorX(lonDeg) * FRAME_SIZE;
        if (!(row >= 0.0 && row < FRAME_SIZE - 1 && col >= 0.0 && col < FRAME_SIZE - 1))
            return std::nullopt;
        const auto r = static_cast<int32_t>(std::floor(row));
        const auto c = static_cast<int32_t>(std::floor(col));
        for (const auto& [dr, dc] : {std::pair{0, 0}, {0, 1}, {1, 0}, {1, 1}}) {
            const std::string name = elevationFileName(r + dr, c + dc);
            auto found = present->find(name);
            if (found == present->end())
                found = present->emplace(name, std::ifstream(name, std::ios::binary).good()).first;
            if (!found->second)
                return std::nullopt;
        }
        return groundHeightAt(latDeg, lonDeg);
    };
}

} // namespace flightreplay::flight
