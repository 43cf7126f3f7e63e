#include <cstdio>
#include <string>
#include <vector>

#include "frame/map_frame.h"
#include "frame/terrain_tiles.h"
#include "tools/common/output_file.h"
#include "tools/common/progress.h"
#include "tools/prep/prep_commands.h"
#include "tools/prep/relief_tile.h"
#include "tools/prep/tile_resolver.h"
#include "tools/prep/tile_source.h"

namespace flightreplay::prep {

namespace {

struct PendingTile {
    std::string name; // as the replay opens it, "./img/..."
    std::string jpeg;
};

} // namespace

bool keepsImageTile(const PrepOptions& options, const std::string& name)
{
    const std::string path = options.dir + "/" + name;
    return !options.force && tools::fileExists(path) && !isReliefTile(path);
}

std::vector<TerrainTile> imageTilesToWrite(const PrepOptions& options, int& kept)
{
    std::vector<TerrainTile> tiles;
    kept = 0;
    forEachTerrainTile(mapFrame.CI, mapFrame.CJ, [&](const TerrainTile& tile) {
        if (keepsImageTile(options, terrainImageName(tile)))
            ++kept;
        else
            tiles.push_back(tile);
    });
    return tiles;
}

void runImagery(const PrepOptions& options, const std::string& source)
{
    std::unique_ptr<TileSource> tileSource = openTileSource(source);

    int kept = 0;
    const std::vector<TerrainTile> tiles = imageTilesToWrite(options, kept);

    // Every tile is fetched and converted before the first is written, so
    // that bad input leaves the folder as it was.
    std::vector<PendingTile> pending;
    int overzoomed = 0;
    std::vector<TileShortfall> missing;
    {
        tools::Progress progress("tiles", static_cast<int64_t>(tiles.size()));
        const TileLookup lookup = [&](const std::vector<TileKey>& keys,
                                      const std::function<void(size_t, TileAnswer&)>& answer) {
            for (size_t i = 0; i < keys.size(); ++i) {
                TileAnswer result;
                if (tileSource->fetch(keys[i].zoom, keys[i].row, keys[i].col, result.bytes))
                    result.kind = TileAnswer::Kind::found;
                answer(i, result);
            }
        };
        missing = resolveTiles(
            tiles, lookup,
            [&](const TerrainTile& tile, const std::string& jpeg, int sourceZoom) {
                progress.advance();
                pending.push_back({terrainImageName(tile), jpeg});
                if (sourceZoom != tile.zoom)
                    ++overzoomed;
            },
            [&](const TileKey& key) { return tileSource->describe(key.zoom, key.row, key.col); });
    }

    tools::makeFolder(options.dir + "/img");
    for (const PendingTile& tile : pending)
        tools::writeFileAtomically(options.dir + "/" + tile.name, tile.jpeg);

    std::printf("imagery: %zu image tiles written, %d kept, %zu missing from the source\n", pending.size(), kept,
                missing.size());
    if (overzoomed > 0)
        std::printf("imagery: %d of them cut and scaled from a shallower zoom\n", overzoomed);
    for (const TileShortfall& shortfall : missing) {
        const TerrainTile& t = shortfall.tile;
        std::printf("missing %s (%s)\n", terrainImageName(t).c_str(), tileSource->describe(t.zoom, t.row, t.col).c_str());
    }
}

} // namespace flightreplay::prep
