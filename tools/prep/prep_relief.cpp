#include "frame/map_frame.h"
#include "frame/terrain_tiles.h"
#include "tools/common/output_file.h"
#include "tools/common/progress.h"
#include "tools/prep/prep_commands.h"
#include "tools/prep/relief_tile.h"

namespace flightreplay::prep {

int writeReliefTiles(const PrepOptions& options)
{
    ElevationGrid heights(options.dir);
    tools::makeFolder(options.dir + "/img");
    int drawn = 0;
    tools::Progress progress("relief", TERRAIN_TILE_COUNT);
    forEachTerrainTile(mapFrame.CI, mapFrame.CJ, [&](const TerrainTile& tile) {
        progress.advance();
        const std::string name = terrainImageName(tile);
        const std::string path = options.dir + "/" + name;
        // Imagery from a real source is never replaced by a drawing.
        if (tools::fileExists(path) && !isReliefTile(path))
            return;
        tools::writeFileAtomically(path, reliefTileJpeg(tile, heights));
        ++drawn;
    });
    return drawn;
}

} // namespace flightreplay::prep
