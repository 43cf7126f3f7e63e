#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "aircraft_file.h"
#include "scene/aircraft_model.h"
#include "scene/sky_dome.h"
#include "sky_image.h"
#include "tools/common/output_file.h"
#include "tools/common/tool_error.h"
#include "tools/prep/prep_commands.h"

namespace flightreplay::prep {

namespace {

struct Asset {
    const char* name;
    bool (*write)(const std::string& path);
};

// The demo data set's sky and aircraft serve any flight.
const Asset ASSETS[] = {
    {SKY_IMAGE_PATH, demo::writeSkyImage},
    {AIRCRAFT_MODEL_PATH, demo::writeAircraftModel},
};

// The writers pick the file format from the extension, so the temporary
// name keeps it.
void writeAsset(const std::string& path, const Asset& asset)
{
    const std::filesystem::path target(path);
    tools::makeFolder(target.parent_path().string());
    const std::filesystem::path temporary =
        target.parent_path() / (target.stem().string() + ".part" + target.extension().string());
    if (!asset.write(temporary.string())) {
        std::filesystem::remove(temporary);
        throw tools::ToolError(path + ": cannot write");
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::filesystem::remove(temporary);
        throw tools::ToolError(path + ": cannot rename the finished file into place: " + error.message());
    }
}

} // namespace

void runAssets(const PrepOptions& options)
{
    for (const Asset& asset : ASSETS) {
        const std::string path = options.dir + "/" + asset.name;
        if (tools::fileExists(path) && !options.force) {
            std::printf("kept %s\n", asset.name);
            continue;
        }
        writeAsset(path, asset);
        std::printf("wrote %s\n", asset.name);
    }
}

int checkAssets(const PrepOptions& options)
{
    int missing = 0;
    for (const Asset& asset : ASSETS) {
        std::error_code error;
        const bool found = std::filesystem::is_regular_file(options.dir + "/" + asset.name, error);
        std::printf("%s %s\n", found ? "found" : "missing", asset.name);
        if (!found)
            ++missing;
    }
    return missing;
}

} // namespace flightreplay::prep
