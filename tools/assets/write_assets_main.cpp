// flightreplay-write-assets FOLDER: the build step that writes the vehicle
// models and the sky picture installed with the programs.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include <osg/Notify>

#include "scene/sky_dome.h"
#include "sky_image.h"
#include "tools/assets/vehicle_models.h"

using namespace flightreplay;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: flightreplay-write-assets FOLDER\n", stderr);
        return 2;
    }
    osg::setNotifyLevel(osg::FATAL);
    const std::filesystem::path folder(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(folder / "vehicles", error);
    const flight::VehicleType types[] = {
        flight::VehicleType::unknown, flight::VehicleType::fixedWing, flight::VehicleType::multicopter,
        flight::VehicleType::helicopter, flight::VehicleType::glider, flight::VehicleType::vtol,
        flight::VehicleType::ground,
    };
    for (flight::VehicleType type : types) {
        const std::string path = (folder / assets::vehicleModelFile(type)).string();
        if (!assets::writeVehicleModel(type, path)) {
            std::fprintf(stderr, "flightreplay-write-assets: %s: cannot write\n", path.c_str());
            return 2;
        }
    }
    const std::string sky = (folder / SKY_IMAGE_PATH).string();
    if (!demo::writeSkyImage(sky)) {
        std::fprintf(stderr, "flightreplay-write-assets: %s: cannot write\n", sky.c_str());
        return 2;
    }
    return 0;
}
