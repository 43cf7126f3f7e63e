#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include <osg/Notify>

#include "tools/assets/vehicle_type.h"
#include "tools/common/parse_number.h"
#include "tools/common/tool_error.h"
#include "tools/common/tool_main.h"
#include "tools/prep/http_fetcher.h"
#include "tools/prep/prep_area.h"
#include "tools/prep/prep_commands.h"

using flightreplay::tools::ToolError;
using namespace flightreplay::prep;

namespace {

const char* const USAGE =
    "usage: flightreplay-prep [--dir DIR] [--force] [fetch options] fetch FLIGHT...\n"
    "       flightreplay-prep [--dir DIR] [--force] [--bbox S,W,N,E] check FLIGHT...\n"
    "       flightreplay-prep [options] [--no-relief] terrain FLIGHT DEM...\n"
    "       flightreplay-prep [options] imagery FLIGHT SOURCE\n"
    "       flightreplay-prep [--dir DIR] [--force] [--vehicle TYPE] assets\n"
    "  with --bbox the FLIGHT is left out; FLIGHT is the replay's log or any log\n"
    "  flightreplay-convert reads; SOURCE is an MBTiles file, a folder of\n"
    "  {z}/{x}/{y} tiles or a template such as tiles/{z}/{x}/{y}.png; TYPE is\n"
    "  fixed-wing, multicopter, helicopter, glider, vtol, ground or generic\n"
    "fetch options:\n"
    "  --imagery URL-TEMPLATE   XYZ tiles, {z} {x} {y} {-y} {q} (default: relief)\n"
    "  --attribution TEXT       the imagery's attribution, for ATTRIBUTION.txt\n"
    "  --dem-source BASE        Copernicus-style cells at BASE/NAME/NAME.tif\n"
    "  --dem URL-TEMPLATE       XYZ elevation PNG tiles instead, encoded as\n"
    "  --dem-encoding ENC       terrarium (default) or terrain-rgb\n"
    "  --cache DIR              download cache (default ~/.cache/flightreplay)\n"
    "  --offline                use only the cache\n"
    "  --timeout SECONDS        per request (default 30)\n";

void stopOnInterrupt(int)
{
    HttpFetcher::stopFlag() = true;
}

double parseSeconds(const std::string& text)
{
    const double value = flightreplay::tools::parseNumber("--timeout", text);
    if (!(value > 0.0))
        throw ToolError("--timeout " + text + ": expected a positive number of seconds");
    return value;
}

int run(const std::vector<std::string>& args)
{
    PrepOptions options;
    bool vehicleGiven = false;
    FetchOptions fetch;
    std::string box;
    std::vector<std::string> words;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if ((arg == "--dir" || arg == "--bbox") && hasValue) {
            (arg == "--dir" ? options.dir : box) = args[++i];
        } else if (arg == "--vehicle" && hasValue) {
            vehicleGiven = true;
            if (!flightreplay::assets::parseVehicleType(args[++i], options.vehicle))
                throw ToolError(args[i] + ": unknown vehicle type (see --help)");
        } else if (arg == "--imagery" && hasValue) {
            fetch.imagery = args[++i];
        } else if (arg == "--attribution" && hasValue) {
            fetch.attribution = args[++i];
        } else if (arg == "--dem-source" && hasValue) {
            fetch.demSource = args[++i];
            while (!fetch.demSource.empty() && fetch.demSource.back() == '/')
                fetch.demSource.pop_back();
        } else if (arg == "--dem" && hasValue) {
            fetch.demTemplate = args[++i];
        } else if (arg == "--dem-encoding" && hasValue) {
            fetch.demEncoding = args[++i];
        } else if (arg == "--cache" && hasValue) {
            fetch.cache = args[++i];
        } else if (arg == "--timeout" && hasValue) {
            fetch.timeoutSeconds = parseSeconds(args[++i]);
        } else if (arg == "--offline") {
            fetch.offline = true;
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "--no-relief") {
            options.noRelief = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw ToolError(arg + ": unknown option or missing value");
        } else {
            words.push_back(arg);
        }
    }
    if (words.empty())
        throw ToolError("no command: expected fetch, check, terrain, imagery or assets (see --help)");

    const std::string command = words[0];
    if (command == "assets") {
        if (words.size() > 1)
            throw ToolError(words[1] + ": assets takes no further argument");
        runAssets(options);
        return 0;
    }
    const bool manyFlights = command == "fetch" || command == "check";
    size_t next = 1;
    if (!box.empty()) {
        setupFrameFromBox(parseGeoBox(box));
    } else {
        if (words.size() < 2)
            throw ToolError(command + ": no FLIGHT given (or --bbox S,W,N,E)");
        next = manyFlights ? words.size() : 2;
        const flightreplay::flight::VehicleType flown = setupFrameFromFlights(
            std::vector<std::string>(words.begin() + 1, words.begin() + static_cast<std::ptrdiff_t>(next)),
            &options.planArea);
        // fetch writes the model of the vehicle that flew, unless told.
        if (!vehicleGiven)
            options.vehicle = flown;
    }
    const std::vector<std::string> inputs(words.begin() + static_cast<std::ptrdiff_t>(next), words.end());

    if (command == "fetch") {
        if (!inputs.empty())
            throw ToolError(inputs[0] + ": fetch takes no further argument with --bbox");
        std::signal(SIGINT, stopOnInterrupt);
        return runFetch(options, fetch);
    }
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
    throw ToolError(command + ": unknown command (expected fetch, check, terrain, imagery or assets)");
}

} // namespace

int main(int argc, char** argv)
{
    // The image plug-ins' own notices would break the one-line error; a tile
    // they cannot decode is reported by the tool.
    osg::setNotifyLevel(osg::FATAL);
    return flightreplay::tools::runTool("flightreplay-prep", USAGE, argc, argv, run);
}
