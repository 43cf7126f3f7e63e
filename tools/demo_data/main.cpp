// flightreplay-demo-data FOLDER: writes the demo data set into FOLDER (made
// when missing): demo.log, the elevation and image tiles its terrain patch
// reads, the sky and the aircraft model. The same files on every run.

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "demo_terrain.h"
#include "flight_plan.h"
#include "frame/map_frame.h"
#include "log/log_writer.h"
#include "scene/aircraft_model.h"
#include "scene/sky_dome.h"
#include "tools/assets/sky_image.h"
#include "tools/assets/vehicle_models.h"
#include "tools/common/output_file.h"
#include "tools/common/position_log.h"
#include "tools/common/tool_error.h"
#include "tools/common/tool_main.h"

using namespace flightreplay::demo;
using flightreplay::tools::ToolError;

namespace {

const char* const USAGE =
    "usage: flightreplay-demo-data FOLDER\n"
    "  writes the demo data set into FOLDER (made when missing): demo.log, its\n"
    "  elevation and image tiles, the sky and the aircraft model\n";

int run(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        throw ToolError(args.empty() ? "no FOLDER given (see --help)" : args[1] + ": one argument too many");
    const auto started = std::chrono::steady_clock::now();
    const std::string& folder = args[0];
    flightreplay::tools::makeFolder(folder + "/EasyStar/data");
    auto lap = [last = started](const char* what) mutable {
        const auto now = std::chrono::steady_clock::now();
        std::printf("  %-16s %.2f s\n", what, std::chrono::duration<double>(now - last).count());
        last = now;
    };
    const std::vector<LogRow> rows = planDemoFlight();
    const std::vector<int> fields = allLogFieldCodes();
    flightreplay::tools::writeFileAtomically(folder + "/demo.log",
                                             [&](FILE* file) { return writeLog(file, rows, fields); });
    lap("log");
    const LogExtents e = flightreplay::tools::readPositionLog(folder + "/demo.log");
    setupMapFrame(e.latMin, e.latMax, e.lonMin, e.lonMax);
    const int elevationFiles = writeElevationTiles(folder);
    lap("elevation tiles");
    const int imageTiles = writeImageTiles(folder);
    lap("image tiles");
    const std::string sky = folder + "/" + SKY_IMAGE_PATH;
    if (!flightreplay::assets::writeSkyImage(sky))
        throw ToolError(sky + ": cannot write");
    lap("sky");
    const std::string aircraft = folder + "/" + AIRCRAFT_MODEL_PATH;
    if (!flightreplay::assets::writeVehicleModel(flightreplay::flight::VehicleType::fixedWing, aircraft))
        throw ToolError(aircraft + ": cannot write");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("demo data in %s: %d log rows, %d elevation files, %d image tiles, sky, aircraft (%.1f s)\n",
                folder.c_str(), DEMO_ROW_COUNT, elevationFiles, imageTiles, seconds);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    return flightreplay::tools::runTool("flightreplay-demo-data", USAGE, argc, argv, run);
}
