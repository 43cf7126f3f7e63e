#include "tools/prep/elevation_tiles.h"

#include <cmath>
#include <memory>

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include "tools/common/tool_error.h"
#include "tools/prep/source_error.h"
#include "tools/prep/tile_image.h"

namespace flightreplay::prep {

namespace {

constexpr int TILE_PIXELS = 256;
constexpr double MERCATOR_HALF_WORLD = 20037508.342789244; // metres

} // namespace

HeightEncoding parseHeightEncoding(const std::string& word)
{
    if (word == "terrarium")
        return HeightEncoding::terrarium;
    if (word == "terrain-rgb")
        return HeightEncoding::terrainRgb;
    throw tools::ToolError("--dem-encoding " + word + ": expected terrarium or terrain-rgb");
}

std::vector<float> decodeHeightTile(const std::string& bytes, HeightEncoding encoding, const std::string& what)
{
    const osg::ref_ptr<osg::Image> image = decodeTile(bytes, what);
    if (image->s() != TILE_PIXELS || image->t() != TILE_PIXELS)
        throw SourceError(what, "an elevation tile must be 256 x 256 pixels");
    std::vector<float> heights(static_cast<size_t>(TILE_PIXELS) * TILE_PIXELS);
    for (int y = 0; y < TILE_PIXELS; ++y) {
        const unsigned char* p = image->data(0, static_cast<unsigned>(TILE_PIXELS - 1 - y));
        for (int x = 0; x < TILE_PIXELS; ++x, p += 3) {
            const double metres = encoding == HeightEncoding::terrarium
                                      ? p[0] * 256.0 + p[1] + p[2] / 256.0 - 32768.0
                                      : -10000.0 + (p[0] * 65536.0 + p[1] * 256.0 + p[2]) * 0.1;
            heights[static_cast<size_t>(y) * TILE_PIXELS + static_cast<size_t>(x)] = static_cast<float>(metres);
        }
    }
    return heights;
}

void writeHeightMosaic(const std::string& path, int zoom, int32_t row0, int32_t col0, int side,
                       const std::vector<std::vector<float>>& tiles)
{
    GDALAllRegister();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    const int pixels = side * TILE_PIXELS;
    GDALDatasetUniquePtr mosaic(driver ? driver->Create(path.c_str(), pixels, pixels, 1, GDT_Float32, nullptr)
                                       : nullptr);
    if (!mosaic)
        throw tools::ToolError(path + ": GDAL cannot make the elevation raster");
    const double pixel = 2.0 * MERCATOR_HALF_WORLD / (std::ldexp(1.0, zoom) * TILE_PIXELS);
    double transform[6] = {-MERCATOR_HALF_WORLD + col0 * TILE_PIXELS * pixel, pixel, 0.0,
                           MERCATOR_HALF_WORLD - row0 * TILE_PIXELS * pixel, 0.0, -pixel};
    mosaic->SetGeoTransform(transform);
    OGRSpatialReference mercator;
    mercator.importFromEPSG(3857);
    mosaic->SetSpatialRef(&mercator);
    const std::vector<float> sea(static_cast<size_t>(TILE_PIXELS) * TILE_PIXELS, 0.0f);
    for (int i = 0; i < side; ++i) {
        for (int j = 0; j < side; ++j) {
            const std::vector<float>& tile = tiles[static_cast<size_t>(i * side + j)];
            const std::vector<float>& heights = tile.empty() ? sea : tile;
            if (mosaic->GetRasterBand(1)->RasterIO(GF_Write, j * TILE_PIXELS, i * TILE_PIXELS, TILE_PIXELS,
                                                   TILE_PIXELS, const_cast<float*>(heights.data()), TILE_PIXELS,
                                                   TILE_PIXELS, GDT_Float32, 0, 0, nullptr)
                != CE_None)
                throw tools::ToolError(path + ": GDAL cannot write the elevation raster");
        }
    }
}

} // namespace flightreplay::prep
