#include "tools/studio/studio_options.h"

#include <cmath>
#include <cstdlib>

#include "tools/common/parse_number.h"
#include "tools/common/tool_error.h"

namespace flightreplay::studio {

namespace {

constexpr int MIN_SIDE = 16;
constexpr int MAX_SIDE = 8192;

// The options' own messages say what each number means, so the common
// parser's is dropped.
bool parseNumber(const std::string& text, double& value)
{
    try {
        value = tools::parseNumber("", text);
    } catch (const tools::ToolError&) {
        return false;
    }
    return true;
}

bool parseSide(const std::string& text, int& side)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    side = std::atoi(text.c_str());
    return side >= MIN_SIDE && side <= MAX_SIDE;
}

} // namespace

const char* studioUsage()
{
    return "usage: flightreplay-studio [options] FLIGHT [FLIGHT ...]\n"
           "  FLIGHT: a ULog, DataFlash, GPX, IGC or CSV file or the replay's own log; up to 16 at once\n"
           "  --camera chase|cockpit|orbit|free|top-down   camera at start (default chase)\n"
           "  --track white|altitude|speed|mode       track colouring (default white)\n"
           "  --size WxH                              window or picture size in pixels\n"
           "  --time T                                start at T seconds from the start\n"
           "  --snapshot OUT.png                      draw one picture at --time offscreen and exit\n"
           "  --record OUT.mp4                        render the replay into an H.264 video and exit\n"
           "  --from T --to T                         the stretch to record, seconds from the start\n"
           "  --speed X --fps N                       log seconds per video second (1), frames per second (30)\n"
           "  --export-kmz OUT.kmz                    write the flights as a Google Earth tour (.kml: no models) and exit\n"
           "  --force                                 replace an existing video or Google Earth file\n"
           "  --panels | --no-panels                  show or hide the panels\n"
           "  --trace                                 print the aircraft's position after each key\n"
           "  --format F                              ulog, dataflash, tlog, gpx, igc, log or csv instead of\n"
           "                                          recognising each file's content\n"
           "  --angles deg|rad --csv-time s|ms|us|iso --column NAME=FIELD   for CSV files\n"
           "  --model TYPE|FILE                       the vehicle model to draw\n"
           "  --align utc|start|takeoff               several flights on one clock (default utc when\n"
           "                                          every flight has a date, all within a day)\n"
           "  --offset NAME=SECONDS                   shift one flight later on the clock (NAME: its file,\n"
           "                                          or \"FILE sys N\" for a vehicle of a telemetry log)\n"
           "  --ghost                                 draw the flights not selected translucent\n"
           "  --help                                  this text\n";
}

bool parseSize(const std::string& text, int& width, int& height)
{
    const size_t x = text.find('x');
    return x != std::string::npos && parseSide(text.substr(0, x), width) && parseSide(text.substr(x + 1), height);
}

bool parseStudioOptions(int argc, const char* const* argv, StudioOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        const std::string value = hasValue ? argv[i + 1] : "";
        auto needValue = [&]() {
            if (!hasValue)
                error = arg + " needs a value";
            return hasValue;
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return true;
        } else if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--ghost") {
            options.ghost = true;
        } else if (arg == "--format" || arg == "--angles" || arg == "--csv-time" || arg == "--column") {
            if (!needValue())
                return false;
            try {
                if (arg == "--format")
                    options.read.format = readers::parseFormatWord(value);
                else if (arg == "--angles")
                    options.read.csv.angles = readers::parseAngleUnit(value);
                else if (arg == "--csv-time")
                    options.read.csv.time = readers::parseTimeUnit(value);
                else
                    options.read.csv.columns.push_back(readers::parseColumnOption(value));
            } catch (const tools::ToolError& bad) {
                error = bad.what();
                return false;
            }
            ++i;
        } else if (arg == "--model") {
            if (!needValue())
                return false;
            if (value.empty()) {
                error = "--model needs a vehicle type or a model file";
                return false;
            }
            options.model = value;
            ++i;
        } else if (arg == "--align") {
            if (!needValue())
                return false;
            if (value == "utc")
                options.align = Alignment::utc;
            else if (value == "start")
                options.align = Alignment::start;
            else if (value == "takeoff")
                options.align = Alignment::takeoff;
            else {
                error = "--align needs utc, start or takeoff, not '" + value + "'";
                return false;
            }
            options.alignGiven = true;
            ++i;
        } else if (arg == "--offset") {
            if (!needValue())
                return false;
            const size_t equals = value.rfind('=');
            double seconds = 0.0;
            if (equals == std::string::npos || equals == 0 || !parseNumber(value.substr(equals + 1), seconds)) {
                error = "--offset needs NAME=SECONDS, not '" + value + "'";
                return false;
            }
            options.offsets.emplace_back(value.substr(0, equals), seconds);
            ++i;
        } else if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--panels" || arg == "--no-panels") {
            options.panels = arg == "--panels";
            options.panelsGiven = true;
        } else if (arg == "--time") {
            if (!needValue())
                return false;
            if (!parseNumber(value, options.time) || options.time < 0.0) {
                error = "--time needs seconds from the start, not '" + value + "'";
                return false;
            }
            options.timeGiven = true;
            ++i;
        } else if (arg == "--camera") {
            if (!needValue())
                return false;
            if (!cameraFromName(value, options.camera)) {
                error = "--camera needs chase, cockpit, orbit, free or top-down, not '" + value + "'";
                return false;
            }
            ++i;
        } else if (arg == "--track") {
            if (!needValue())
                return false;
            if (value == "white")
                options.colouring = TrackColouring::white;
            else if (value == "altitude")
                options.colouring = TrackColouring::altitude;
            else if (value == "speed")
                options.colouring = TrackColouring::speed;
            else if (value == "mode")
                options.colouring = TrackColouring::mode;
            else {
                error = "--track needs white, altitude, speed or mode, not '" + value + "'";
                return false;
            }
            ++i;
        } else if (arg == "--size") {
            if (!needValue())
                return false;
            if (!parseSize(value, options.width, options.height)) {
                error = "--size needs WIDTHxHEIGHT, 16 to 8192 pixels each, not '" + value + "'";
                return false;
            }
            options.sizeGiven = true;
            ++i;
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "--record") {
            if (!needValue())
                return false;
            options.recordPath = value;
            ++i;
        } else if (arg == "--from" || arg == "--to" || arg == "--speed") {
            if (!needValue())
                return false;
            double number = 0.0;
            if (!parseNumber(value, number) || number < 0.0 || (arg == "--speed" && number <= 0.0)) {
                error = arg + " needs a " + (arg == "--speed" ? "positive factor" : "time in seconds") + ", not '" +
                        value + "'";
                return false;
            }
            (arg == "--from" ? options.from : arg == "--to" ? options.to : options.speed) = number;
            ++i;
        } else if (arg == "--fps") {
            if (!needValue())
                return false;
            double number = 0.0;
            if (!parseNumber(value, number) || number < 1.0 || number > 240.0 || number != std::floor(number)) {
                error = "--fps needs whole frames per second, 1 to 240, not '" + value + "'";
                return false;
            }
            options.fps = static_cast<int>(number);
            ++i;
        } else if (arg == "--export-kmz") {
            if (!needValue())
                return false;
            options.kmzPath = value;
            ++i;
        } else if (arg == "--snapshot") {
            if (!needValue())
                return false;
            options.snapshotPath = value;
            ++i;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else if (options.logPaths.size() < MAX_FLIGHTS) {
            options.logPaths.push_back(arg);
        } else {
            error = "at most " + std::to_string(MAX_FLIGHTS) + " flights, not also '" + arg + "'";
            return false;
        }
    }
    if (options.logPaths.empty()) {
        error = "no flight log given";
        return false;
    }
    if (!options.recordPath.empty() && !options.snapshotPath.empty()) {
        error = "--record and --snapshot cannot be combined";
        return false;
    }
    return true;
}

} // namespace flightreplay::studio
