#include "frame/grid_geography.h"

#include <algorithm>
#include <cmath>

#include "frame/elevation_tile.h"
#include "frame/map_frame.h"
#include "frame/terrain_tiles.h"
#include "log/geography.h"

double cornerLatitude(int32_t row)
{
    return latitudeOfMercatorY(row / static_cast<double>(FRAME_SIZE));
}

double cornerLongitude(int32_t col)
{
    return longitudeOfMercatorX(col / static_cast<double>(FRAME_SIZE));
}

void sortElevationFiles(std::vector<ElevationFileIndex>& files)
{
    const auto before = [](const ElevationFileIndex& a, const ElevationFileIndex& b) {
        return a.row != b.row ? a.row < b.row : a.col < b.col;
    };
    const auto same = [](const ElevationFileIndex& a, const ElevationFileIndex& b) {
        return a.row == b.row && a.col == b.col;
    };
    std::sort(files.begin(), files.end(), before);
    files.erase(std::unique(files.begin(), files.end(), same), files.end());
}

std::vector<ElevationFileIndex> terrainElevationFiles(int32_t ci, int32_t cj)
{
    std::vector<ElevationFileIndex> files;
    const auto add = [&](int32_t row, int32_t col) {
        if (row < 0 || row >= FRAME_SIZE || col < 0 || col >= FRAME_SIZE)
            return;
        files.push_back({row / EGM_SPAN, col / EGM_SPAN});
    };
    forEachTerrainTile(ci, cj, [&](const TerrainTile& tile) {
        add(tile.northRow, tile.westCol);
        add(tile.northRow + tile.span, tile.westCol);
        add(tile.northRow + tile.span, tile.westCol + tile.span);
        add(tile.northRow, tile.westCol + tile.span);
    });
    sortElevationFiles(files);
    return files;
}
