#include "frame/elevation_tile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frame/map_frame.h"
#include "log/console_report.h"

namespace {

struct ElevationTileCache {
    unsigned char* slots[EGM_FILES_PER_SIDE * EGM_FILES_PER_SIDE];
};

ElevationTileCache elevationTileCache;

std::string fileName(int32_t fileRow, int32_t fileCol)
{
    char name[48];
    std::snprintf(name, sizeof name, "zsi-%ld-%ld.egm", static_cast<long>(fileRow), static_cast<long>(fileCol));
    return name;
}

unsigned char* loadGrid(int32_t fileRow, int32_t fileCol)
{
    const std::string name = fileName(fileRow, fileCol);
    FILE* file = std::fopen(name.c_str(), "rb");
    if (!file) {
        report("Not open egm '%s'\n", name.c_str());
        return nullptr;
    }
    auto* grid = static_cast<unsigned char*>(std::malloc(EGM_FILE_BYTES));
    if (!grid) {
        report("Not alloc egm '%s'\n", name.c_str());
        std::fclose(file);
        return nullptr;
    }
    std::memset(grid, 0, EGM_FILE_BYTES);
    // A short file leaves the missing samples at 0; excess bytes are ignored.
    // Read as bytes: a partial element of a two-byte fread would be
    // indeterminate, and the half sample at the end of an odd-sized file
    // should read as missing.
    const size_t bytesRead = std::fread(grid, 1, EGM_FILE_BYTES, file);
    if (bytesRead % 2)
        grid[bytesRead - 1] = 0;
    std::fclose(file);
    return grid;
}

} // namespace

std::string elevationFileName(int32_t row, int32_t col)
{
    return fileName(row / EGM_SPAN, col / EGM_SPAN);
}

int elevationAt(int32_t row, int32_t col)
{
    if (row < 0 || row >= FRAME_SIZE || col < 0 || col >= FRAME_SIZE)
        return 0;
    const int32_t fileRow = row / EGM_SPAN;
    const int32_t fileCol = col / EGM_SPAN;
    unsigned char*& slot = elevationTileCache.slots[fileRow * EGM_FILES_PER_SIDE + fileCol];
    if (!slot)
        slot = loadGrid(fileRow, fileCol);
    if (!slot)
        return 0;
    const size_t index = static_cast<size_t>(row - fileRow * EGM_SPAN) * EGM_SIDE
                         + static_cast<size_t>(col - fileCol * EGM_SPAN);
    // Little-endian on disk whatever the host's byte order.
    const auto raw = static_cast<uint16_t>(slot[2 * index] | (slot[2 * index + 1] << 8));
    return static_cast<int16_t>(raw);
}

void clearElevationCache()
{
    for (unsigned char*& slot : elevationTileCache.slots) {
        std::free(slot);
        slot = nullptr;
    }
}
