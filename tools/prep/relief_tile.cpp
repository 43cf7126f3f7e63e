#include "tools/prep/relief_tile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <cstdio>
#include <fstream>
#include <memory>

#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <gdal_utils.h>
#include <osg/Image>

#include "frame/elevation_tile.h"
#include "tools/common/tool_error.h"
#include "tools/prep/tile_image.h"

namespace flightreplay::prep {

namespace {

constexpr int TILE_PIXELS = 256;
constexpr double EQUATOR_METRES = 40075016.686;
constexpr double PI = 3.14159265358979323846;

// Heights to colours, interpolated between entries; 0 m exactly is the sea
// that a missing elevation cell stands for.
const char* const COLOUR_RAMP = "-11000 20 50 110\n"
                                "0 70 125 185\n"
                                "0.01 120 160 95\n"
                                "300 150 175 105\n"
                                "1000 190 175 125\n"
                                "2500 160 140 120\n"
                                "4000 240 240 240\n"
                                "9000 255 255 255\n";
const char* const RAMP_FILE = "/vsimem/flightreplay-relief-ramp.txt";

// A JPEG comment segment right after the start marker tells our relief
// tiles from imagery.
const char RELIEF_MARK[] = "\xff\xfe\x00\x15"
                           "flightreplay relief";

// The shade keeps a floor so that slopes facing away stay coloured.
constexpr double AMBIENT = 0.35;

struct CloseDataset {
    void operator()(GDALDatasetH dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<void, CloseDataset>;

struct ArgList {
    char** list = nullptr;
    ~ArgList() { CSLDestroy(list); }
};

Dataset runDem(GDALDatasetH heights, const char* processing, const std::vector<const char*>& args)
{
    ArgList argv;
    for (const char* arg : args)
        argv.list = CSLAddString(argv.list, arg);
    GDALDEMProcessingOptions* options = GDALDEMProcessingOptionsNew(argv.list, nullptr);
    if (!options)
        throw tools::ToolError(std::string("GDAL refuses the ") + processing + " options");
    int usageError = 0;
    Dataset out(GDALDEMProcessing("", heights, processing, processing[0] == 'c' ? RAMP_FILE : nullptr, options,
                                  &usageError));
    GDALDEMProcessingOptionsFree(options);
    if (!out)
        throw tools::ToolError(std::string("GDAL cannot draw the ") + processing + ": " + CPLGetLastErrorMsg());
    return out;
}

void writeRampOnce()
{
    static bool written = false;
    if (written)
        return;
    VSILFILE* file = VSIFOpenL(RAMP_FILE, "wb");
    if (file) {
        VSIFWriteL(COLOUR_RAMP, 1, std::strlen(COLOUR_RAMP), file);
        VSIFCloseL(file);
    }
    written = true;
}

} // namespace

ElevationGrid::ElevationGrid(std::string dir) : dir_(std::move(dir)) {}

double ElevationGrid::sample(int32_t row, int32_t col)
{
    const std::pair<int32_t, int32_t> key{row / EGM_SPAN, col / EGM_SPAN};
    auto found = files_.find(key);
    if (found == files_.end()) {
        std::vector<int16_t> samples;
        std::ifstream file(dir_ + "/" + elevationFileName(key.first * EGM_SPAN, key.second * EGM_SPAN),
                           std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (bytes.size() == EGM_FILE_BYTES) {
            samples.resize(static_cast<size_t>(EGM_SAMPLE_COUNT));
            for (size_t i = 0; i < samples.size(); ++i)
                samples[i] = static_cast<int16_t>(static_cast<uint16_t>(static_cast<unsigned char>(bytes[2 * i])
                                                                        | (static_cast<unsigned char>(bytes[2 * i + 1]) << 8)));
        }
        found = files_.emplace(key, std::move(samples)).first;
    }
    if (found->second.empty())
        return 0.0;
    const size_t r = static_cast<size_t>(row - key.first * EGM_SPAN);
    const size_t c = static_cast<size_t>(col - key.second * EGM_SPAN);
    return found->second[r * EGM_SIDE + c];
}

double ElevationGrid::heightAt(double row, double col)
{
    if (row < 0 || col < 0)
        return 0.0;
    const auto r0 = static_cast<int32_t>(row);
    const auto c0 = static_cast<int32_t>(col);
    const double a = col - c0;
    const double b = row - r0;
    return sample(r0, c0) * (1 - a) * (1 - b) + sample(r0, c0 + 1) * a * (1 - b) + sample(r0 + 1, c0) * (1 - a) * b
           + sample(r0 + 1, c0 + 1) * a * b;
}

std::string reliefTileJpeg(const TerrainTile& tile, ElevationGrid& heights)
{
    GDALAllRegister();
    // GDAL's notices would break the tool's report; failures throw instead.
    CPLSetErrorHandler(CPLQuietErrorHandler);
    writeRampOnce();
    const double span = tile.span;
    std::vector<float> grid(static_cast<size_t>(TILE_PIXELS) * TILE_PIXELS);
    for (int y = 0; y < TILE_PIXELS; ++y) {
        for (int x = 0; x < TILE_PIXELS; ++x) {
            const double row = tile.northRow + (y + 0.5) * span / TILE_PIXELS;
            const double col = tile.westCol + (x + 0.5) * span / TILE_PIXELS;
            grid[static_cast<size_t>(y) * TILE_PIXELS + static_cast<size_t>(x)] =
                static_cast<float>(heights.heightAt(row, col));
        }
    }

    GDALDriverH memory = GDALGetDriverByName("MEM");
    Dataset source(GDALCreate(memory, "", TILE_PIXELS, TILE_PIXELS, 1, GDT_Float32, nullptr));
    if (!source)
        throw tools::ToolError("GDAL cannot make a raster in memory");
    const double tilesPerSide = std::ldexp(1.0, tile.zoom);
    const double centreY = (tile.row + 0.5) / tilesPerSide;
    const double latitude = std::atan(std::sinh(PI * (1.0 - 2.0 * centreY)));
    const double pixelMetres = EQUATOR_METRES * std::cos(latitude) / tilesPerSide / TILE_PIXELS;
    double transform[6] = {0.0, pixelMetres, 0.0, 0.0, 0.0, -pixelMetres};
    GDALSetGeoTransform(source.get(), transform);
    if (GDALRasterIO(GDALGetRasterBand(source.get(), 1), GF_Write, 0, 0, TILE_PIXELS, TILE_PIXELS, grid.data(),
                     TILE_PIXELS, TILE_PIXELS, GDT_Float32, 0, 0)
        != CE_None)
        throw tools::ToolError("GDAL cannot fill a raster in memory");

    const Dataset shade =
        runDem(source.get(), "hillshade", {"-of", "MEM", "-compute_edges", "-az", "315", "-alt", "45"});
    const Dataset colour = runDem(source.get(), "color-relief", {"-of", "MEM"});

    std::vector<unsigned char> light(grid.size());
    std::vector<unsigned char> rgb(grid.size() * 3);
    bool read = GDALRasterIO(GDALGetRasterBand(shade.get(), 1), GF_Read, 0, 0, TILE_PIXELS, TILE_PIXELS, light.data(),
                             TILE_PIXELS, TILE_PIXELS, GDT_Byte, 0, 0)
                == CE_None;
    for (int band = 0; band < 3 && read; ++band)
        read = GDALRasterIO(GDALGetRasterBand(colour.get(), band + 1), GF_Read, 0, 0, TILE_PIXELS, TILE_PIXELS,
                            rgb.data() + band, TILE_PIXELS, TILE_PIXELS, GDT_Byte, 3, 3 * TILE_PIXELS)
               == CE_None;
    if (!read)
        throw tools::ToolError("GDAL cannot read the relief it drew");

    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(TILE_PIXELS, TILE_PIXELS, 1, GL_RGB, GL_UNSIGNED_BYTE);
    for (int y = 0; y < TILE_PIXELS; ++y) {
        unsigned char* out = image->data(0, static_cast<unsigned>(TILE_PIXELS - 1 - y));
        for (int x = 0; x < TILE_PIXELS; ++x) {
            const size_t at = static_cast<size_t>(y) * TILE_PIXELS + static_cast<size_t>(x);
            const double shadeFactor = AMBIENT + (1.0 - AMBIENT) * light[at] / 255.0;
            for (int k = 0; k < 3; ++k)
                *out++ = static_cast<unsigned char>(std::lround(std::min(255.0, rgb[at * 3 + static_cast<size_t>(k)] * shadeFactor)));
        }
    }
    std::string jpeg = encodeJpeg(*image, terrainImageName(tile));
    jpeg.insert(2, RELIEF_MARK, sizeof RELIEF_MARK - 1);
    return jpeg;
}

bool isReliefTile(const std::string& path)
{
    constexpr size_t HEAD = 2 + sizeof RELIEF_MARK - 1;
    char head[HEAD] = {};
    std::ifstream file(path, std::ios::binary);
    file.read(head, HEAD);
    return file.gcount() == static_cast<std::streamsize>(HEAD) && std::memcmp(head + 2, RELIEF_MARK, HEAD - 2) == 0;
}

} // namespace flightreplay::prep
