#include "tools/studio/studio_options.h"

#include <cmath>
#include <cstdlib>

namespace flightreplay::studio {

namespace {

constexpr int MIN_SIDE = 16;
constexpr int MAX_SIDE = 8192;

bool parseNumber(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end && *end == '\0' && std::isfinite(value);
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
    return "usage: flightreplay-studio [options] FLIGHT.LOG\n"
           "  --camera chase|cockpit|orbit|free|top   camera at start (default chase)\n"
           "  --track white|altitude|speed            track colouring (default white)\n"
           "  --size WxH                              window or picture size in pixels\n"
           "  --time T                                start at T seconds from the first row\n"
           "  --snapshot OUT.png                      draw one picture at --time offscreen and exit\n"
           "  --record OUT.mp4                        render the replay into an H.264 video and exit\n"
           "  --from T --to T                         the stretch to record, seconds from the first row\n"
           "  --speed X --fps N                       log seconds per video second (1), frames per second (30)\n"
           "  --force                                 replace an existing video\n"
           "  --panels | --no-panels                  show or hide the panels\n"
           "  --trace                                 print the aircraft's position after each key\n";
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
        if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--panels" || arg == "--no-panels") {
            options.panels = arg == "--panels";
            options.panelsGiven = true;
        } else if (arg == "--time") {
            if (!needValue())
                return false;
            if (!parseNumber(value, options.time) || options.time < 0.0) {
                error = "--time needs seconds from the first row, not '" + value + "'";
                return false;
            }
            options.timeGiven = true;
            ++i;
        } else if (arg == "--camera") {
            if (!needValue())
                return false;
            if (!cameraFromName(value, options.camera)) {
                error = "--camera needs chase, cockpit, orbit, free or top, not '" + value + "'";
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
            else {
                error = "--track needs white, altitude or speed, not '" + value + "'";
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
        } else if (arg == "--snapshot") {
            if (!needValue())
                return false;
            options.snapshotPath = value;
            ++i;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else if (options.logPath.empty()) {
            options.logPath = arg;
        } else {
            error = "one log only, not also '" + arg + "'";
            return false;
        }
    }
    if (options.logPath.empty()) {
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
