#include "tools/studio/studio_options.h"

#include <algorithm>
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
           "  --track-field NAME                      colour the track by a field of the log, e.g. VIBE.VibeZ\n"
           "                                          (flightreplay-convert --fields lists a log's fields)\n"
           "  --plot NAME                             plot a field of the log; several on one axis (up to 8)\n"
           "  --size WxH                              window or picture size in pixels\n"
           "  --time T                                start at T seconds from the start\n"
           "  --snapshot OUT.png                      draw one picture at --time offscreen and exit\n"
           "  --record OUT.mp4                        render the replay into an H.264 video and exit\n"
           "  --from T --to T                         the stretch to record, seconds from the start\n"
           "  --speed X --fps N                       log seconds per video second (1), frames per second (30)\n"
           "  --export-kmz OUT.kmz                    write the flights as a Google Earth tour (.kml: no models) and exit\n"
           "  --force                                 replace an existing video or Google Earth file\n"
           "  --export-page OUT.html                  write the flights as one web page to explore offline\n"
           "  --panels | --no-panels                  show or hide the panels\n"
           "  --trace                                 print the aircraft's position after each key\n"
           "  --format F                              ulog, dataflash, tlog, gpx, igc, log or csv instead of\n"
           "                                          recognising each file's content\n"
           "  --angles deg|rad --csv-time s|ms|us|iso --column NAME=FIELD   for CSV files\n"
           "  --model TYPE|FILE                       the vehicle model to draw\n"
           "  --book FILE --where COND                the flights of a logbook (flightreplay-book) that the SQL\n"
           "                                          condition on its flights table chooses, e.g.\n"
           "                                          \"start_utc LIKE '2026-05%' AND vehicle = 'multicopter'\"\n"
           "  --align utc|start|takeoff               several flights on one clock (default utc when\n"
           "                                          every flight has a date, all within a day)\n"
           "  --offset NAME=SECONDS                   shift one flight later on the clock (NAME: its file,\n"
           "                                          or \"FILE sys N\" for a vehicle of a telemetry log)\n"
           "  --ghost                                 draw the flights not selected translucent\n"
           "  --no-drop-lines                         no line from each aircraft down to the ground\n"
           "  --help                                  this text\n";
}

bool parseSize(const std::string& text, int& width, int& height)
{
    const size_t x = text.find('x');
    return x != std::string::npos && parseSide(text.substr(0, x), width) && parseSide(text.substr(x + 1), height);
}

namespace {

// Each reads the value of option arg into options and gives the reason it
// cannot, or nothing.
using ValueParser = std::string (*)(const std::string& arg, const std::string& value, StudioOptions& options);

std::string readerOption(const std::string& arg, const std::string& value, StudioOptions& options)
{
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
        return bad.what();
    }
    return {};
}

std::string modelOption(const std::string&, const std::string& value, StudioOptions& options)
{
    if (value.empty())
        return "--model needs a vehicle type or a model file";
    options.model = value;
    return {};
}

std::string alignOption(const std::string&, const std::string& value, StudioOptions& options)
{
    if (value == "utc")
        options.align = Alignment::utc;
    else if (value == "start")
        options.align = Alignment::start;
    else if (value == "takeoff")
        options.align = Alignment::takeoff;
    else
        return "--align needs utc, start or takeoff, not '" + value + "'";
    options.alignGiven = true;
    return {};
}

std::string offsetOption(const std::string&, const std::string& value, StudioOptions& options)
{
    const size_t equals = value.rfind('=');
    double seconds = 0.0;
    if (equals == std::string::npos || equals == 0 || !parseNumber(value.substr(equals + 1), seconds))
        return "--offset needs NAME=SECONDS, not '" + value + "'";
    options.offsets.emplace_back(value.substr(0, equals), seconds);
    return {};
}

std::string timeOption(const std::string&, const std::string& value, StudioOptions& options)
{
    if (!parseNumber(value, options.time) || options.time < 0.0)
        return "--time needs seconds from the start, not '" + value + "'";
    options.timeGiven = true;
    return {};
}

std::string cameraOption(const std::string&, const std::string& value, StudioOptions& options)
{
    if (!cameraFromName(value, options.camera))
        return "--camera needs chase, cockpit, orbit, free or top-down, not '" + value + "'";
    return {};
}

std::string trackOption(const std::string&, const std::string& value, StudioOptions& options)
{
    if (value == "white")
        options.colouring = TrackColouring::white;
    else if (value == "altitude")
        options.colouring = TrackColouring::altitude;
    else if (value == "speed")
        options.colouring = TrackColouring::speed;
    else if (value == "mode")
        options.colouring = TrackColouring::mode;
    else
        return "--track needs white, altitude, speed or mode, not '" + value + "'";
    return {};
}

std::string fieldOption(const std::string& arg, const std::string& value, StudioOptions& options)
{
    if (value.empty())
        return arg + " needs the name of a field of the log, such as VIBE.VibeZ";
    if (arg == "--track-field") {
        options.trackField = value;
        options.colouring = TrackColouring::field;
        return {};
    }
    if (options.plotFields.size() >= MAX_PLOTTED_FIELDS)
        return "at most " + std::to_string(MAX_PLOTTED_FIELDS) + " --plot fields";
    if (std::find(options.plotFields.begin(), options.plotFields.end(), value) == options.plotFields.end())
        options.plotFields.push_back(value);
    return {};
}

std::string sizeOption(const std::string&, const std::string& value, StudioOptions& options)
{
    if (!parseSize(value, options.width, options.height))
        return "--size needs WIDTHxHEIGHT, 16 to 8192 pixels each, not '" + value + "'";
    options.sizeGiven = true;
    return {};
}

std::string outputOption(const std::string& arg, const std::string& value, StudioOptions& options)
{
    std::string& path = arg == "--record"         ? options.recordPath
                        : arg == "--snapshot"     ? options.snapshotPath
                        : arg == "--export-kmz"   ? options.kmzPath
                                                  : options.pagePath;
    path = value;
    return {};
}

std::string bookOption(const std::string& arg, const std::string& value, StudioOptions& options)
{
    if (value.empty())
        return arg + " needs a value";
    (arg == "--book" ? options.bookPath : options.bookWhere) = value;
    return {};
}

std::string stretchOption(const std::string& arg, const std::string& value, StudioOptions& options)
{
    double number = 0.0;
    if (!parseNumber(value, number) || number < 0.0 || (arg == "--speed" && number <= 0.0))
        return arg + " needs a " + (arg == "--speed" ? "positive factor" : "time in seconds") + ", not '" + value + "'";
    (arg == "--from" ? options.from : arg == "--to" ? options.to : options.speed) = number;
    return {};
}

std::string fpsOption(const std::string&, const std::string& value, StudioOptions& options)
{
    double number = 0.0;
    if (!parseNumber(value, number) || number < 1.0 || number > 240.0 || number != std::floor(number))
        return "--fps needs whole frames per second, 1 to 240, not '" + value + "'";
    options.fps = static_cast<int>(number);
    return {};
}

struct ValueOption {
    const char* name;
    ValueParser parse;
};

const ValueOption VALUE_OPTIONS[] = {
    {"--format", readerOption},   {"--angles", readerOption}, {"--csv-time", readerOption},
    {"--column", readerOption},   {"--model", modelOption},   {"--align", alignOption},
    {"--offset", offsetOption},   {"--time", timeOption},     {"--camera", cameraOption},
    {"--track", trackOption},     {"--size", sizeOption},     {"--record", outputOption},
    {"--snapshot", outputOption}, {"--from", stretchOption},  {"--to", stretchOption},
    {"--speed", stretchOption},   {"--fps", fpsOption},       {"--export-kmz", outputOption},
    {"--export-page", outputOption}, {"--book", bookOption},    {"--where", bookOption},
    {"--track-field", fieldOption}, {"--plot", fieldOption},
};

const ValueOption* valueOptionNamed(const std::string& arg)
{
    for (const ValueOption& option : VALUE_OPTIONS)
        if (arg == option.name)
            return &option;
    return nullptr;
}

// Options without a value; false for any other word.
bool takeSwitch(const std::string& arg, StudioOptions& options)
{
    if (arg == "--trace")
        options.trace = true;
    else if (arg == "--ghost")
        options.ghost = true;
    else if (arg == "--force")
        options.force = true;
    else if (arg == "--no-drop-lines")
        options.dropLines = false;
    else if (arg == "--panels" || arg == "--no-panels") {
        options.panels = arg == "--panels";
        options.panelsGiven = true;
    } else
        return false;
    return true;
}

// What the options ask for as a whole: flights to open, one way to end.
std::string checkCombination(const StudioOptions& options)
{
    if (!options.bookWhere.empty() && options.bookPath.empty())
        return "--where chooses flights of a --book";
    if (!options.bookPath.empty() && !options.logPaths.empty())
        return "--book opens the book's flights: no flight files beside it";
    if (options.logPaths.empty() && options.bookPath.empty())
        return "no flight log given";
    if (!options.recordPath.empty() && !options.snapshotPath.empty())
        return "--record and --snapshot cannot be combined";
    if (!options.pagePath.empty() && (!options.recordPath.empty() || !options.snapshotPath.empty()))
        return "--export-page cannot be combined with --record or --snapshot";
    return {};
}

} // namespace

bool parseStudioOptions(int argc, const char* const* argv, StudioOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return true;
        }
        if (takeSwitch(arg, options))
            continue;
        if (const ValueOption* option = valueOptionNamed(arg)) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            error = option->parse(arg, argv[++i], options);
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
        } else if (options.logPaths.size() < MAX_FLIGHTS) {
            options.logPaths.push_back(arg);
        } else {
            error = "at most " + std::to_string(MAX_FLIGHTS) + " flights, not also '" + arg + "'";
        }
        if (!error.empty())
            return false;
    }
    error = checkCombination(options);
    return error.empty();
}

std::string fetchHintOf(const StudioOptions& options)
{
    std::string hint;
    for (const std::string& path : options.logPaths)
        hint += (hint.empty() ? "" : " ") + path;
    return hint;
}

} // namespace flightreplay::studio
