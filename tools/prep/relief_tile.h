#pragma once
// Imagery drawn from the elevation itself where no picture of the ground is
// at hand: GDAL's hillshade (light from the north-west) blended with a colour
// ramp by height, sea level blue.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "frame/terrain_tiles.h"

namespace flightreplay::prep {

// The heights of the elevation files in a data folder, read when first
// needed; a file that is missing or incomplete reads as 0 m everywhere.
class ElevationGrid {
public:
    explicit ElevationGrid(std::string dir);

    // Height in metres at a point of the zoom-18 corner grid (fractional
    // row counted southward, column eastward), bilinear between samples.
    double heightAt(double row, double col);

private:
    double sample(int32_t row, int32_t col);

    std::string dir_;
    std::map<std::pair<int32_t, int32_t>, std::vector<int16_t>> files_;
};

// Whether the image file at path is a relief picture this tool drew, which
// imagery from a real source replaces without --force.
bool isReliefTile(const std::string& path);

// The relief picture of the tile at its own zoom as the replay's JPEG.
// Throws tools::ToolError when GDAL cannot draw it.
std::string reliefTileJpeg(const TerrainTile& tile, ElevationGrid& heights);

} // namespace flightreplay::prep
