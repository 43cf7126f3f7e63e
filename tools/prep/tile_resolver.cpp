#include "tools/prep/tile_resolver.h"

#include <map>
#include <tuple>

#include "tools/prep/tile_image.h"

namespace flightreplay::prep {

namespace {

struct KeyOrder {
    bool operator()(const TileKey& a, const TileKey& b) const
    {
        return std::tie(a.zoom, a.row, a.col) < std::tie(b.zoom, b.row, b.col);
    }
};

} // namespace

std::vector<TileShortfall> resolveTiles(const std::vector<TerrainTile>& tiles, const TileLookup& lookup,
                                        const TileReady& ready,
                                        const std::function<std::string(const TileKey&)>& describe)
{
    std::vector<TileShortfall> shortfalls;
    std::map<TileKey, std::vector<TerrainTile>, KeyOrder> wanted;
    for (const TerrainTile& tile : tiles)
        wanted[TileKey{tile.zoom, tile.row, tile.col}].push_back(tile);

    while (!wanted.empty()) {
        std::vector<TileKey> keys;
        std::vector<std::vector<TerrainTile>> dependants;
        for (auto& [key, list] : wanted) {
            keys.push_back(key);
            dependants.push_back(std::move(list));
        }
        wanted.clear();
        lookup(keys, [&](size_t index, TileAnswer& answer) {
            const TileKey& key = keys[index];
            std::vector<TerrainTile>& list = dependants[index];
            if (answer.kind == TileAnswer::Kind::failed) {
                for (const TerrainTile& tile : list)
                    shortfalls.push_back({tile, answer.failure});
                return;
            }
            if (answer.kind == TileAnswer::Kind::absent) {
                const TileKey parent{key.zoom - 1, key.row >> 1, key.col >> 1};
                for (const TerrainTile& tile : list) {
                    if (key.zoom > 0 && tile.zoom - parent.zoom <= MAX_OVERZOOM)
                        wanted[parent].push_back(tile);
                    else
                        shortfalls.push_back({tile, {FetchFailure::Kind::notInSource, 0, ""}});
                }
                return;
            }
            osg::ref_ptr<osg::Image> ancestor;
            for (const TerrainTile& tile : list) {
                if (tile.zoom == key.zoom) {
                    ready(tile, answer.verified && isJpeg(answer.bytes) ? answer.bytes : tileAsJpeg(answer.bytes, describe(key)),
                          key.zoom);
                    continue;
                }
                if (!ancestor)
                    ancestor = decodeTile(answer.bytes, describe(key));
                const int levels = tile.zoom - key.zoom;
                const osg::ref_ptr<osg::Image> piece = cutFromAncestor(
                    *ancestor, levels, tile.row - (key.row << levels), tile.col - (key.col << levels));
                ready(tile, encodeJpeg(*piece, describe(key)), key.zoom);
            }
        });
    }
    return shortfalls;
}

} // namespace flightreplay::prep
