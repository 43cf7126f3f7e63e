#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "scene/aircraft_model.h"
#include "scene/sky_dome.h"
#include "tools/assets/sky_image.h"
#include "tools/assets/vehicle_models.h"
#include "tools/common/output_file.h"
#include "tools/common/tool_error.h"
#include "tools/prep/prep_commands.h"

namespace flightreplay::prep {

namespace {

struct Asset {
    const char* name;
    std::function<bool(const std::string& path)> write;
};

// The demo data set's sky serves any flight; the model is the vehicle's.
std::vector<Asset> assetsFor(const PrepOptions& options)
{
    const flight::VehicleType vehicle = options.vehicle;
    return {
        {SKY_IMAGE_PATH, assets::writeSkyImage},
        {AIRCRAFT_MODEL_PATH, [vehicle](const std::string& path) { return assets::writeVehicleModel(vehicle, path); }},
    };
}

} // namespace

void runAssets(const PrepOptions& options)
{
    for (const Asset& asset : assetsFor(options)) {
        const std::string path = options.dir + "/" + asset.name;
        if (tools::fileExists(path) && !options.force) {
            std::printf("kept %s\n", asset.name);
            continue;
        }
        tools::makeFolder(std::filesystem::path(path).parent_path().string());
        if (!asset.write(path))
            throw tools::ToolError(path + ": cannot write");
        std::printf("wrote %s\n", asset.name);
    }
}

int checkAssets(const PrepOptions& options)
{
    int missing = 0;
    for (const Asset& asset : assetsFor(options)) {
        std::error_code error;
        const bool found = std::filesystem::is_regular_file(options.dir + "/" + asset.name, error);
        std::printf("%s %s\n", found ? "found" : "missing", asset.name);
        if (!found)
            ++missing;
    }
    return missing;
}

} // namespace flightreplay::prep
