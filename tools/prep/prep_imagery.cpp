#include <cstdio>
#include <string>
#include <vector>

#include "frame/map_frame.h"
#include "frame/terrain_tiles.h"
#include "tools/common/output_file.h"
#include "tools/prep/prep_commands.h"
#include "tools/common/tool_error.h"
#include "tools/common/progress.h"
#include "tools/prep/tile_image.h"
#include "tools/prep/tile_source.h"

namespace flightreplay::prep {

namespace {

struct PendingTile {
    std::string name; // as the replay opens it, "./img/..."
    std::string jpeg;
};

constexpr int ZOOM_COUNT = TERRAIN_FINEST_ZOOM - TERRAIN_COARSEST_ZOOM + 1;

} // namespace

void runImagery(const PrepOptions& options, const std::string& source)
{
    std::unique_ptr<TileSource> tiles = openTileSource(source);

    // Every tile is fetched and converted before the first is written, so
    // that bad input leaves the folder as it was.
    std::vector<PendingTile> pending;
    std::vector<std::string> missing;
    int kept = 0;
    int needed[ZOOM_COUNT] = {};
    int found[ZOOM_COUNT] = {};
    {
        tools::Progress progress("tiles", TERRAIN_TILE_COUNT);
        forEachTerrainTile(mapFrame.CI, mapFrame.CJ, [&](const TerrainTile& tile) {
            progress.advance();
            const std::string name = terrainImageName(tile);
            if (!options.force && tools::fileExists(options.dir + "/" + name)) {
                ++kept;
                return;
            }
            const int level = tile.zoom - TERRAIN_COARSEST_ZOOM;
            ++needed[level];
            std::string bytes;
            if (!tiles->fetch(tile.zoom, tile.row, tile.col, bytes)) {
                missing.push_back(name + " (" + tiles->describe(tile.zoom, tile.row, tile.col) + ")");
                return;
            }
            ++found[level];
            pending.push_back({name, tileAsJpeg(bytes, tiles->describe(tile.zoom, tile.row, tile.col))});
        });
    }

    std::string emptyZooms;
    for (int level = ZOOM_COUNT - 1; level >= 0; --level) {
        if (needed[level] > 0 && found[level] == 0)
            emptyZooms += (emptyZooms.empty() ? "" : ", ") + std::to_string(level + TERRAIN_COARSEST_ZOOM);
    }
    if (!emptyZooms.empty())
        throw tools::ToolError(source + ": no tiles of this area at zoom " + emptyZooms);

    tools::makeFolder(options.dir + "/img");
    for (const PendingTile& tile : pending)
        tools::writeFileAtomically(options.dir + "/" + tile.name, tile.jpeg);

    std::printf("imagery: %zu image tiles written, %d kept, %zu missing from the source\n", pending.size(), kept,
                missing.size());
    for (const std::string& name : missing)
        std::printf("missing %s\n", name.c_str());
}

} // namespace flightreplay::prep
