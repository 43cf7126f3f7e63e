#include <cstdio>
#include <filesystem>
#include <system_error>

#include "frame/elevation_tile.h"
#include "frame/grid_geography.h"
#include "frame/map_frame.h"
#include "frame/terrain_tiles.h"
#include "tools/prep/prep_area.h"
#include "tools/prep/prep_commands.h"

namespace flightreplay::prep {

int runCheck(const PrepOptions& options)
{
    int elevationMissing = 0;
    const auto files = elevationFilesToPrepare(options.planArea);
    for (const ElevationFileIndex& file : files) {
        const std::string name = elevationFileName(file.row * EGM_SPAN, file.col * EGM_SPAN);
        std::error_code error;
        const uintmax_t size = std::filesystem::file_size(options.dir + "/" + name, error);
        if (error) {
            std::printf("missing %s\n", name.c_str());
            ++elevationMissing;
        } else if (size != EGM_FILE_BYTES) {
            std::printf("incomplete %s (%ju bytes)\n", name.c_str(), size);
            ++elevationMissing;
        } else {
            std::printf("found %s\n", name.c_str());
        }
    }

    int imagesMissing = 0;
    forEachTerrainTile(mapFrame.CI, mapFrame.CJ, [&](const TerrainTile& tile) {
        const std::string name = terrainImageName(tile);
        std::error_code error;
        const bool found = std::filesystem::is_regular_file(options.dir + "/" + name, error);
        std::printf("%s %s\n", found ? "found" : "missing", name.c_str());
        if (!found)
            ++imagesMissing;
    });

    const int assetsMissing = checkAssets(options);

    std::printf("elevation files: %zu, missing %d\n", files.size(), elevationMissing);
    std::printf("image tiles: %d, missing %d\n", TERRAIN_TILE_COUNT, imagesMissing);
    std::printf("sky and aircraft: 2, missing %d\n", assetsMissing);
    return elevationMissing + imagesMissing + assetsMissing == 0 ? 0 : 1;
}

} // namespace flightreplay::prep
