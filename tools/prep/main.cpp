#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <osg/Notify>

#include "tools/assets/vehicle_type.h"
#include "tools/common/tool_error.h"
#include "tools/prep/prep_area.h"
#include "tools/prep/prep_commands.h"

using flightreplay::tools::ToolError;
using namespace flightreplay::prep;

namespace {

const char* const USAGE =
    "usage: flightreplay-prep [--dir DIR] [--force] [--bbox S,W,N,E] check LOG\n"
    "       flightreplay-prep [options] terrain LOG DEM...\n"
    "       flightreplay-prep [options] imagery LOG SOURCE\n"
    "       flightreplay-prep [--dir DIR] [--force] [--vehicle TYPE] assets\n"
    "  with --bbox the LOG is left out; SOURCE is an MBTiles file, a folder of\n"
    "  {z}/{x}/{y} tiles or a template such as tiles/{z}/{x}/{y}.png; TYPE is\n"
    "  fixed-wing, multicopter, helicopter, glider, vtol, ground or generic\n";

int run(int argc, char** argv)
{
    PrepOptions options;
    std::string box;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--dir" || arg == "--bbox") && i + 1 < argc) {
            (arg == "--dir" ? options.dir : box) = argv[++i];
        } else if (arg == "--vehicle" && i + 1 < argc) {
            if (!flightreplay::assets::parseVehicleType(argv[++i], options.vehicle))
                throw ToolError(std::string(argv[i]) + ": unknown vehicle type (see --help)");
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(USAGE, stdout);
            return 0;
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw ToolError(arg + ": unknown option or missing value");
        } else {
            words.push_back(arg);
        }
    }
    if (words.empty())
        throw ToolError("no command: expected check, terrain, imagery or assets (see --help)");

    const std::string command = words[0];
    if (command == "assets") {
        if (words.size() > 1)
            throw ToolError(words[1] + ": assets takes no further argument");
        runAssets(options);
        return 0;
    }
    size_t next = 1;
    if (!box.empty()) {
        setupFrameFromBox(parseGeoBox(box));
    } else {
        if (words.size() < 2)
            throw ToolError(command + ": no LOG given (or --bbox S,W,N,E)");
        setupFrameFromLog(words[next++]);
    }
    const std::vector<std::string> inputs(words.begin() + static_cast<std::ptrdiff_t>(next), words.end());

    if (command == "check") {
        if (!inputs.empty())
            throw ToolError(inputs[0] + ": check takes no further argument");
        return runCheck(options);
    }
    if (command == "terrain") {
        if (inputs.empty())
            throw ToolError("terrain: no DEM given");
        runTerrain(options, inputs);
        return 0;
    }
    if (command == "imagery") {
        if (inputs.size() != 1)
            throw ToolError("imagery: expected exactly one tile SOURCE");
        runImagery(options, inputs[0]);
        return 0;
    }
    throw ToolError(command + ": unknown command (expected check, terrain, imagery or assets)");
}

} // namespace

int main(int argc, char** argv)
{
    // The image plug-ins' own notices would break the one-line error; a tile
    // they cannot decode is reported by the tool.
    osg::setNotifyLevel(osg::FATAL);
    try {
        return run(argc, argv);
    } catch (const ToolError& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "flightreplay-prep: %s\n", error.what());
        return 2;
    }
}
