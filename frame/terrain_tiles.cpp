#include "frame/terrain_tiles.h"

#include <cstdio>

std::string terrainImageName(const TerrainTile& tile)
{
    char name[64];
    std::snprintf(name, sizeof name, "./img/%c-%ld-%ld.jpg", static_cast<char>('a' + tile.zoom),
                  static_cast<long>(tile.row), static_cast<long>(tile.col));
    return name;
}
