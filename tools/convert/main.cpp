#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "log/log_writer.h"
#include "tools/common/output_file.h"
#include "tools/common/parse_number.h"
#include "tools/common/tool_error.h"
#include "tools/common/tool_main.h"
#include "tools/convert/flight_listing.h"
#include "tools/convert/plan_listing.h"
#include "tools/convert/resample.h"
#include "tools/convert/waypoint_file.h"
#include "tools/flight/elevation_lookup.h"
#include "tools/flight/flight_summary.h"
#include "tools/kml/earth_export.h"
#include "tools/readers/read_flight.h"
#include "tools/convert/flight_reviews.h"

using flightreplay::tools::parseNumber;
using flightreplay::tools::ToolError;
using namespace flightreplay::convert;
using flightreplay::flight::Flight;
using flightreplay::readers::ReadOptions;

namespace {

const char* const USAGE =
    "usage: flightreplay-convert [options] IN [OUT]\n"
    "       flightreplay-convert [--format F] --list IN\n"
    "       flightreplay-convert [options] IN... --kmz OUT.kmz\n"
    "       flightreplay-convert [--format F] [--force] --mission OUT.waypoints IN\n"
    "       flightreplay-convert [--format F] [--system N] --review [--review-json OUT] IN\n"
    "       flightreplay-convert [--format F] [--system N] --fields IN\n"
    "  OUT defaults to IN with .log; - writes to standard output;\n"
    "  OUT.kmz or OUT.kml: a Google Earth tour of the flight (--kmz: of several)\n"
    "  --format ulog|dataflash|tlog|gpx|igc|csv   instead of recognising the content\n"
    "  --system N           the vehicle of a telemetry log with MAVLink system id N (default: the first)\n"
    "  --from T, --to T     seconds from the first fix\n"
    "  --rate HZ            rows per second (default: one row per position fix)\n"
    "  --max-rows N         at most N rows, thinned evenly in time (default 10000)\n"
    "  --force              overwrite an existing OUT\n"
    "  --list               what IN holds; the plan's heights above terrain and the\n"
    "                       terrain comparison from the elevation files here\n"
    "  --mission OUT        IN's mission as QGC WPL 110 waypoints (- for standard output)\n"
    "  --review             what went wrong: findings with time span, severity, kind,\n"
    "                       value against threshold (every vehicle of a telemetry log)\n"
    "  --review-json OUT    the same as JSON (- for standard output)\n"
    "  --fields             every numeric field of IN's own messages, by name, with its unit\n"
    "  --field NAME         that field's samples: seconds from the first fix, value (repeatable)\n"
    "  CSV: --angles deg|rad, --time s|ms|us|iso, --column NAME=FIELD\n";

std::string defaultOutput(const std::string& in)
{
    const size_t slash = in.find_last_of("/\\");
    const size_t dot = in.find_last_of('.');
    std::string out = (dot != std::string::npos && (slash == std::string::npos || dot > slash)) ? in.substr(0, dot) : in;
    out += ".log";
    return out == in ? in + ".log" : out;
}

// The flight's mission written to out (- for standard output); one line
// and status 2 for a flight without one.
int writeMission(const std::string& in, const Flight& data, const std::string& out, bool force)
{
    const std::string text = waypointFileText(data);
    if (text.empty()) {
        const std::string why = unloadedMissionText(data.plan);
        throw ToolError(in + ": no mission in this flight" + (why.empty() ? "" : " (" + why + ")"));
    }
    if (out != "-" && !force && flightreplay::tools::fileExists(out))
        throw ToolError(out + ": exists; --force overwrites it");
    for (const std::string& note : data.notes)
        std::fprintf(stderr, "%s: %s\n", in.c_str(), note.c_str());
    flightreplay::tools::writeOutput(out, text);
    return 0;
}

int run(const std::vector<std::string>& args)
{
    ReadOptions read;
    ResampleOptions resample;
    bool list = false;
    bool force = false;
    bool resampled = false;
    std::string earthOut;
    std::string mission;
    bool review = false;
    bool fields = false;
    std::string reviewJsonOut;
    std::vector<std::string> fieldNames;
    std::vector<std::string> words;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool valued = arg == "--format" || arg == "--from" || arg == "--to" || arg == "--rate"
                            || arg == "--max-rows" || arg == "--angles" || arg == "--time" || arg == "--column"
                            || arg == "--kmz" || arg == "--system" || arg == "--mission" || arg == "--review-json" || arg == "--field";
        if (valued && i + 1 < args.size()) {
            const std::string& value = args[++i];
            resampled = resampled || arg == "--from" || arg == "--to" || arg == "--rate" || arg == "--max-rows";
            if (arg == "--kmz")
                earthOut = value;
            else if (arg == "--review-json")
                reviewJsonOut = value;
            else if (arg == "--field")
                fieldNames.push_back(value);
            else if (arg == "--mission")
                mission = value;
            else if (arg == "--format")
                read.format = flightreplay::readers::parseFormatWord(value);
            else if (arg == "--from")
                resample.from = parseNumber(arg, value);
            else if (arg == "--to")
                resample.to = parseNumber(arg, value);
            else if (arg == "--rate")
                resample.rate = parseNumber(arg, value);
            else if (arg == "--max-rows")
                resample.maxRows = static_cast<int>(std::fmax(-1.0, std::fmin(parseNumber(arg, value), 1e9)));
            else if (arg == "--system")
                read.system = static_cast<int>(std::fmax(0.0, std::fmin(parseNumber(arg, value), 255.0)));
            else if (arg == "--angles")
                read.csv.angles = flightreplay::readers::parseAngleUnit(value);
            else if (arg == "--time")
                read.csv.time = flightreplay::readers::parseTimeUnit(value);
            else
                read.csv.columns.push_back(flightreplay::readers::parseColumnOption(value));
        } else if (arg == "--list") {
            list = true;
        } else if (arg == "--review") {
            review = true;
        } else if (arg == "--fields") {
            fields = true;
        } else if (arg == "--force") {
            force = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw ToolError(arg + ": unknown option or missing value (see --help)");
        } else {
            words.push_back(arg);
        }
    }
    fields = fields || !fieldNames.empty();
    if (review || !reviewJsonOut.empty() || fields) {
        if (list || !earthOut.empty() || resampled || !mission.empty() || (fields && (review || !reviewJsonOut.empty())))
            throw ToolError(fields ? "--fields lists the fields alone" : "--review and --review-json report alone: not with --list, --kmz, --mission, --from, --to, --rate or --max-rows");
        if (words.size() != 1)
            throw ToolError(words.empty() ? "no input file given (see --help)" : words.back() + ": one argument too many");
        if (fields)
            return listFields(words[0], read, fieldNames);
        return reviewFile(words[0], read, review, reviewJsonOut, force);
    }
    if (!mission.empty() && (list || !earthOut.empty() || resampled))
        throw ToolError("--mission writes the mission alone: not with --list, --kmz, --from, --to, --rate or --max-rows");
    if (earthOut.empty() && !list && mission.empty() && words.size() == 2 && flightreplay::kml::isGoogleEarthPath(words[1])) {
        earthOut = words[1];
        words.pop_back();
    }
    if (!earthOut.empty() && !words.empty()) {
        if (list || resampled)
            throw ToolError(list ? "--list writes no Google Earth file"
                                 : "--from, --to, --rate and --max-rows shape the replay's log, not a Google Earth file");
        flightreplay::kml::exportGoogleEarth(words, read, earthOut, force);
        return 0;
    }
    if (words.empty() || words.size() > (list || !mission.empty() ? 1u : 2u))
        throw ToolError(words.empty() ? "no input file given (see --help)" : words.back() + ": one argument too many");
    if (resample.rate < 0.0)
        throw ToolError("--rate must not be negative");
    if (resample.maxRows < 1)
        throw ToolError("--max-rows must be at least 1");
    const std::string in = words[0];

    Flight data;
    try {
        data = flightreplay::readers::readFlightFile(in, read);
    } catch (const ToolError& error) {
        throw ToolError(in + ": " + error.what());
    }
    // A refused file is told in one line, its reason: notes about damage
    // would only bury it.
    if (!mission.empty())
        return writeMission(in, data, mission, force);
    if (!list && data.position.empty())
        throw ToolError(in + ": " + flightreplay::flight::missingPosition(data));
    if (list) {
        std::fputs(listFlight(data, flightreplay::flight::folderElevation()).c_str(), stdout);
        return 0;
    }
    for (const std::string& note : data.notes)
        std::fprintf(stderr, "%s: %s\n", in.c_str(), note.c_str());

    const std::string out = words.size() > 1 ? words[1] : defaultOutput(in);
    if (out != "-" && !force && flightreplay::tools::fileExists(out))
        throw ToolError(out + ": exists; --force overwrites it");
    const LogRows rows = rowsOfFlight(data, resample);
    for (const std::string& note : rows.notes)
        std::fprintf(stderr, "%s: %s\n", in.c_str(), note.c_str());
    flightreplay::tools::writeOutput(out, [&rows](FILE* file) { return writeLog(file, rows.rows, rows.fieldCodes); });
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    return flightreplay::tools::runTool("flightreplay-convert", USAGE, argc, argv, run);
}
