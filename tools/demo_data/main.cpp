// flightreplay-demo-data FOLDER: writes the demo data set into FOLDER (made
// when missing): demo.log, the elevation and image tiles its terrain patch
// reads, the sky and the aircraft model. The same files on every run.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "demo_terrain.h"
#include "flight_plan.h"
#include "frame/map_frame.h"
#include "log/log_writer.h"
#include "scene/aircraft_model.h"
#include "scene/sky_dome.h"
#include "sky_image.h"
#include "tools/assets/vehicle_models.h"
#include "tools/common/position_log.h"
#include "tools/common/tool_error.h"

using namespace flightreplay::demo;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argc > 0 ? argv[0] : "flightreplay-demo-data");
        return 2;
    }
    const auto started = std::chrono::steady_clock::now();
    const std::string folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder + "/EasyStar/data", error);
    if (error) {
        std::fprintf(stderr, "cannot make '%s': %s\n", folder.c_str(), error.message().c_str());
        return 1;
    }
    auto lap = [last = started](const char* what) mutable {
        const auto now = std::chrono::steady_clock::now();
        std::printf("  %-16s %.2f s\n", what, std::chrono::duration<double>(now - last).count());
        last = now;
    };
    auto fail = [](const std::string& what) {
        std::fprintf(stderr, "cannot write %s\n", what.c_str());
        return 1;
    };
    if (!writeLogFile(folder + "/demo.log", planDemoFlight(), allLogFieldCodes()))
        return fail("demo.log");
    lap("log");
    try {
        const LogExtents e = flightreplay::tools::readPositionLog(folder + "/demo.log");
        setupMapFrame(e.latMin, e.latMax, e.lonMin, e.lonMax);
    } catch (const flightreplay::tools::ToolError& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    const int elevationFiles = writeElevationTiles(folder);
    if (elevationFiles < 0)
        return fail("the elevation tiles");
    lap("elevation tiles");
    const int imageTiles = writeImageTiles(folder);
    if (imageTiles < 0)
        return fail("the image tiles");
    lap("image tiles");
    if (!writeSkyImage(folder + "/" + SKY_IMAGE_PATH))
        return fail("the sky");
    lap("sky");
    const auto trainer = flightreplay::flight::VehicleType::fixedWing;
    if (!flightreplay::assets::writeVehicleModel(trainer, folder + "/" + AIRCRAFT_MODEL_PATH))
        return fail("the aircraft model");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("demo data in %s: %d log rows, %d elevation files, %d image tiles, sky, aircraft (%.1f s)\n",
                folder.c_str(), DEMO_ROW_COUNT, elevationFiles, imageTiles, seconds);
    return 0;
}
