// Writes the data files of a whole replay into a directory: the banded sky,
// a small aircraft model and one image tile per terrain tile of the log's
// map frame. Usage: make_scene_files DIR LOG
#include <cstdio>
#include <string>

#include "frame/map_frame.h"
#include "frame/terrain_tiles.h"
#include "log/log_reader.h"
#include "scene_files.h"
#include "support/test_support.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DIR LOG\n", argv[0]);
        return 1;
    }
    const std::string dir = argv[1];
    FILE* log = std::fopen(argv[2], "r");
    if (!log) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    captureStdout([&] {
        readLog(log);
        summarizeLog();
    });
    std::fclose(log);

    if (!writeBandedSky(dir + "/sky12q-1024x512.jpeg", 1024, 512, 64)) {
        std::fprintf(stderr, "no JPEG writer\n");
        return 1;
    }
    makeDirectories(dir + "/EasyStar/data");
    writeSketchAircraft(dir + "/EasyStar/data/body.ac");
    makeDirectories(dir + "/img");
    const unsigned char green[3] = {40, 160, 60};
    int tiles = 0;
    forEachTerrainTile(mapFrame.CI, mapFrame.CJ, [&](const TerrainTile& tile) {
        tiles += writeSolidJpeg(dir + "/" + terrainImageName(tile), 16, 16, green) ? 1 : 0;
    });
    std::printf("%d tiles\n", tiles);
    return 0;
}
