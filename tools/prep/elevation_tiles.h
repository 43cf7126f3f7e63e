#pragma once
// Elevation served as XYZ PNG tiles whose colours encode heights: Terrarium
// and Terrain-RGB, made into a raster the DEM sampler reads.

#include <cstdint>
#include <string>
#include <vector>

namespace flightreplay::prep {

enum class HeightEncoding { terrarium, terrainRgb };

// "terrarium" or "terrain-rgb"; throws tools::ToolError naming the choices.
HeightEncoding parseHeightEncoding(const std::string& word);

// The tile's heights in metres, rows from the north; throws
// tools::ToolError naming what when the bytes are no image.
std::vector<float> decodeHeightTile(const std::string& bytes, HeightEncoding encoding, const std::string& what);

// Writes side x side tiles of 256 x 256 heights (row-major, empty for 0 m)
// as one Float32 GeoTIFF in Web Mercator (EPSG:3857) at path (a /vsimem/
// name will do), tile (zoom, row0, col0) at its north-west corner. Throws
// tools::ToolError.
void writeHeightMosaic(const std::string& path, int zoom, int32_t row0, int32_t col0, int side,
                       const std::vector<std::vector<float>>& tiles);

} // namespace flightreplay::prep
