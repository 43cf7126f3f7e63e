#pragma once
// The patch of map tiles that the terrain covers around the centre tile:
// six zoom levels from 18 down to 13, a 7 x 7 square of tiles at each, the
// inner 3 x 3 left out at every level but the finest (249 tiles in all).

#include <cstdint>
#include <string>

constexpr int TERRAIN_FINEST_ZOOM = 18;
constexpr int TERRAIN_COARSEST_ZOOM = 13;
constexpr int TERRAIN_TILE_COUNT = 249;
constexpr double LEVEL_LIFT = 0.1; // metres per zoom level

struct TerrainTile {
    int zoom;        // 18 ... 13
    int32_t row;     // tile row at that zoom, counted southward
    int32_t col;     // tile column at that zoom, counted eastward
    int32_t span;    // side of the tile in zoom-18 tiles: 2^(18 - zoom)
    int32_t northRow; // zoom-18 row of the north-west corner: row * span
    int32_t westCol;  // zoom-18 column of the north-west corner: col * span
};

// Calls visit(tile) for every tile of the patch around the zoom-18 centre
// tile (ci, cj), in the terrain's order: finest level first, rows north to
// south, columns west to east.
template <typename Visit>
void forEachTerrainTile(int32_t ci, int32_t cj, Visit&& visit)
{
    int32_t span = 1;
    for (int zoom = TERRAIN_FINEST_ZOOM; zoom >= TERRAIN_COARSEST_ZOOM; --zoom) {
        for (int i = -3; i <= 3; ++i) {
            for (int j = -3; j <= 3; ++j) {
                if (span > 1 && i >= -1 && i <= 1 && j >= -1 && j <= 1)
                    continue;
                TerrainTile tile;
                tile.zoom = zoom;
                tile.row = ci + i;
                tile.col = cj + j;
                tile.span = span;
                tile.northRow = tile.row * span;
                tile.westCol = tile.col * span;
                visit(static_cast<const TerrainTile&>(tile));
            }
        }
        span *= 2;
        ci /= 2;
        cj /= 2;
    }
}

// The image file of a tile: "./img/%c-%ld-%ld.jpg" with the letter 'a' + zoom.
std::string terrainImageName(const TerrainTile& tile);
