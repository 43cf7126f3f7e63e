// Time to compute one whole elevation file (1025 x 1025 samples) from
// 1-arc-second DEMs: two 3601 x 3601 int16 GeoTIFF tiles in the layout of
// SRTM (pixel centres on whole seconds, neighbours sharing their edge line),
// N62E036 and N62E037, which together cover the file zsi-70-154.egm
// (62.27 to 62.92 N, 36.56 to 37.97 E). Also one tile alone, which covers
// 71 % of the file. Medians of several runs; samples per second.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include "frame/elevation_tile.h"
#include "frame/grid_geography.h"
#include "tools/prep/dem_set.h"
#include "tools/prep/elevation_file.h"

using namespace flightreplay::prep;

namespace {

constexpr int RUNS = 5;
constexpr int SIDE = 3601;

// Hills and valleys of a few hundred metres over a few kilometres.
int16_t terrainAt(double lon, double lat)
{
    const double h = 400.0 + 250.0 * std::sin(lon * 97.0) * std::cos(lat * 131.0)
                     + 80.0 * std::sin((lon + lat) * 613.0) + 15.0 * std::cos(lon * 2113.0 - lat * 1777.0);
    return static_cast<int16_t>(std::lround(h));
}

void writeSrtmLikeTile(const std::string& path, int south, int west)
{
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    GDALDataset* dataset = driver->Create(path.c_str(), SIDE, SIDE, 1, GDT_Int16, nullptr);
    const double step = 1.0 / 3600.0;
    double geo[6] = {west - step / 2, step, 0, south + 1 + step / 2, 0, -step};
    dataset->SetGeoTransform(geo);
    OGRSpatialReference crs;
    crs.importFromEPSG(4326);
    dataset->SetSpatialRef(&crs);
    GDALRasterBand* band = dataset->GetRasterBand(1);
    band->SetNoDataValue(-32768);
    std::vector<int16_t> row(SIDE);
    for (int j = 0; j < SIDE; ++j) {
        for (int i = 0; i < SIDE; ++i)
            row[static_cast<size_t>(i)] = terrainAt(west + i * step, south + 1 - j * step);
        if (band->RasterIO(GF_Write, 0, j, SIDE, 1, row.data(), SIDE, 1, GDT_Int16, 0, 0, nullptr) != CE_None)
            std::printf("cannot write %s\n", path.c_str());
    }
    GDALClose(dataset);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void measure(const char* label, const std::vector<std::string>& dems)
{
    const ElevationFileIndex file{70, 154};
    std::vector<double> seconds;
    SampleCounts counts;
    for (int run = 0; run < RUNS; ++run) {
        const auto start = std::chrono::steady_clock::now();
        DemSet demSet(dems);
        counts = SampleCounts{};
        const std::string bytes = computeElevationFile(demSet, file, counts, nullptr);
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (bytes.size() != EGM_FILE_BYTES)
            std::printf("wrong size\n");
    }
    const double m = median(seconds);
    std::printf("%-26s median %.3f s (first run %.3f s), %.2f M samples/s; %lld from DEMs, %lld uncovered\n",
                label, m, seconds.front(), EGM_SAMPLE_COUNT / m / 1e6, static_cast<long long>(counts.fromDem),
                static_cast<long long>(counts.uncovered));
}

} // namespace

int main()
{
    GDALAllRegister();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "flightreplay-prep-bench";
    std::filesystem::create_directories(dir);
    const std::string west = (dir / "N62E036.tif").string();
    const std::string east = (dir / "N62E037.tif").string();
    writeSrtmLikeTile(west, 62, 36);
    writeSrtmLikeTile(east, 62, 37);

    std::printf("one elevation file, %d samples, from 1-arc-second DEMs (%d x %d int16 GeoTIFF each)\n",
                EGM_SAMPLE_COUNT, SIDE, SIDE);
    measure("two tiles, whole file:", {west, east});
    measure("one tile, 71 % of it:", {east});
    std::filesystem::remove_all(dir);
    return 0;
}
