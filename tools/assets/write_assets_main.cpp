// flightreplay-write-assets FOLDER: the build step that writes the vehicle
// models and the sky picture installed with the programs.
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <osg/Notify>

#include "scene/sky_dome.h"
#include "tools/assets/sky_image.h"
#include "tools/assets/vehicle_models.h"
#include "tools/common/tool_error.h"
#include "tools/common/tool_main.h"

using namespace flightreplay;
using tools::ToolError;

namespace {

const char* const USAGE =
    "usage: flightreplay-write-assets FOLDER\n"
    "  writes the built-in vehicle models (FOLDER/vehicles/*.ac) and the sky picture into FOLDER\n";

int run(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        throw ToolError(args.empty() ? "no FOLDER given (see --help)" : args[1] + ": one argument too many");
    osg::setNotifyLevel(osg::FATAL);
    const std::filesystem::path folder(args[0]);
    std::error_code error;
    std::filesystem::create_directories(folder / "vehicles", error);
    const flight::VehicleType types[] = {
        flight::VehicleType::unknown, flight::VehicleType::fixedWing, flight::VehicleType::multicopter,
        flight::VehicleType::helicopter, flight::VehicleType::glider, flight::VehicleType::vtol,
        flight::VehicleType::ground,
    };
    for (flight::VehicleType type : types) {
        const std::string path = (folder / assets::vehicleModelFile(type)).string();
        if (!assets::writeVehicleModel(type, path))
            throw ToolError(path + ": cannot write");
    }
    const std::string sky = (folder / SKY_IMAGE_PATH).string();
    if (!assets::writeSkyImage(sky))
        throw ToolError(sky + ": cannot write");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    return tools::runTool("flightreplay-write-assets", USAGE, argc, argv, run);
}
