// Time to build the terrain with all 249 image tiles (256 x 256 JPEG) and
// both elevation files present, next to the time to decode the same 249
// JPEG files alone. Medians of several runs; the elevation cache and OSG's
// object cache are emptied before each run.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <osg/Image>
#include <osgDB/ReadFile>
#include <osgDB/Registry>
#include <osgDB/WriteFile>

#include "frame/elevation_tile.h"
#include "frame/map_frame.h"
#include "frame/terrain.h"
#include "frame/terrain_tiles.h"

namespace {

constexpr int RUNS = 9;

uint32_t hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

// Something like aerial imagery: smooth fields and patches, a few straight
// roads, and fine grain, so that the JPEG coder has real detail to encode.
osg::ref_ptr<osg::Image> photoTile(uint32_t seed)
{
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(256, 256, 1, GL_RGB, GL_UNSIGNED_BYTE);
    const double phase[4] = {hash(seed) % 628 / 100.0, hash(seed + 1) % 628 / 100.0, hash(seed + 2) % 628 / 100.0,
                             hash(seed + 3) % 628 / 100.0};
    const int road = static_cast<int>(hash(seed + 4) % 256);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const double field = std::sin(x * 0.031 + phase[0]) * std::cos(y * 0.027 + phase[1])
                                 + 0.5 * std::sin((x + y) * 0.11 + phase[2])
                                 + 0.3 * std::sin(x * 0.23 - y * 0.19 + phase[3]);
            const int patch = static_cast<int>(hash(seed * 977 + static_cast<uint32_t>((x / 24) * 31 + y / 24)) % 40);
            const int grain = static_cast<int>(hash(seed ^ static_cast<uint32_t>(y * 256 + x)) % 36) - 18;
            int r = 90 + static_cast<int>(field * 35) + patch + grain;
            int g = 110 + static_cast<int>(field * 45) + patch / 2 + grain;
            int b = 70 + static_cast<int>(field * 20) + grain;
            if (std::abs(x - road) < 3 || std::abs((x + y) / 2 - road) < 2)
                r = g = b = 200 + grain;
            unsigned char* pixel = image->data(static_cast<unsigned>(x), static_cast<unsigned>(y));
            pixel[0] = static_cast<unsigned char>(std::clamp(r, 0, 255));
            pixel[1] = static_cast<unsigned char>(std::clamp(g, 0, 255));
            pixel[2] = static_cast<unsigned char>(std::clamp(b, 0, 255));
        }
    }
    return image;
}

void writeElevationFile(const std::string& name, int base)
{
    std::vector<unsigned char> bytes(EGM_FILE_BYTES);
    for (size_t i = 0; i < static_cast<size_t>(EGM_SAMPLE_COUNT); ++i) {
        const int height = base + static_cast<int>(hash(static_cast<uint32_t>(i)) % 50);
        bytes[2 * i] = static_cast<unsigned char>(height & 0xFF);
        bytes[2 * i + 1] = static_cast<unsigned char>(height >> 8);
    }
    FILE* file = std::fopen(name.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// Runs body with standard output sent to /dev/null and returns its seconds.
double timeQuietly(const std::function<void()>& body)
{
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    const auto start = std::chrono::steady_clock::now();
    body();
    std::fflush(stdout);
    const auto end = std::chrono::steady_clock::now();
    dup2(saved, STDOUT_FILENO);
    close(saved);
    close(null);
    return std::chrono::duration<double>(end - start).count();
}

void forgetEverything()
{
    clearElevationCache();
    osgDB::Registry::instance()->clearObjectCache();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main()
{
    char pattern[] = "/tmp/flightreplay-terrain-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path dir = pattern;
    std::filesystem::current_path(dir);
    std::filesystem::create_directories("img");

    mapFrame.CI = 82915;
    mapFrame.CJ = 158378;
    mapFrame.k = 1 / 87.628082;
    std::vector<std::string> names;
    const osg::ref_ptr<osgDB::Options> jpegOptions = new osgDB::Options("JPEG_QUALITY 85");
    uintmax_t tileBytes = 0;
    forEachTerrainTile(mapFrame.CI, mapFrame.CJ, [&](const TerrainTile& tile) {
        names.push_back(terrainImageName(tile));
        osgDB::writeImageFile(*photoTile(static_cast<uint32_t>(names.size())), names.back(), jpegOptions.get());
        tileBytes += std::filesystem::file_size(names.back());
    });
    writeElevationFile("zsi-80-154.egm", 120);
    writeElevationFile("zsi-81-154.egm", 140);
    std::printf("%zu tiles, %.1f kB per tile on average\n", names.size(), static_cast<double>(tileBytes) / 1024.0 / static_cast<double>(names.size()));

    std::vector<double> decodeTimes, buildTimes;
    for (int run = 0; run <= RUNS; ++run) {
        std::vector<osg::ref_ptr<osg::Image>> images;
        forgetEverything();
        const double decode = timeQuietly([&] {
            for (const std::string& name : names)
                images.push_back(osgDB::readImageFile(name, osgDB::Registry::instance()->getOptions()));
        });
        for (const auto& image : images) {
            if (!image || image->s() != 256) {
                std::fprintf(stderr, "a tile did not decode\n");
                return 1;
            }
        }
        images.clear();

        osg::ref_ptr<osg::Group> terrain;
        forgetEverything();
        const double build = timeQuietly([&] { terrain = buildTerrain(); });
        if (terrain->getNumChildren() != 249) {
            std::fprintf(stderr, "the terrain has %u tiles\n", terrain->getNumChildren());
            return 1;
        }
        terrain = nullptr;
        if (run == 0)
            continue; // warm-up: plug-in loading and the first reads from disk
        decodeTimes.push_back(decode);
        buildTimes.push_back(build);
    }
    forgetEverything();

    const double decode = median(decodeTimes);
    const double build = median(buildTimes);
    std::printf("decode 249 JPEG tiles:  %8.2f ms (median of %d)\n", decode * 1e3, RUNS);
    std::printf("buildTerrain:           %8.2f ms (median of %d)\n", build * 1e3, RUNS);
    std::printf("build / decode:         %8.3f (goal: at most 1.15)\n", build / decode);

    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);
    return 0;
}
