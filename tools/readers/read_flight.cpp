#include "tools/readers/read_flight.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "tools/common/tool_error.h"
#include "tools/readers/byte_reader.h"
#include "tools/readers/dataflash_reader.h"
#include "tools/readers/field_sources.h"
#include "tools/readers/gpx_reader.h"
#include "tools/readers/igc_reader.h"
#include "tools/readers/tlog_reader.h"
#include "tools/readers/track_attitude.h"
#include "tools/readers/ulog_reader.h"
#include "tools/flight/log_table_flight.h"
#include "tools/flight/flight_events.h"
#include "tools/flight/flight_tidy.h"
#include "tools/flight/loaded_mission.h"

namespace flightreplay::readers {

using namespace flight;

namespace {

// A tlog may open with many kilobytes of the station's own packets or of
// stamps without a packet before the vehicle's first.
constexpr size_t HEAD = 64 * 1024;

bool startsLine(const std::string& text, size_t at, char letter)
{
    return at < text.size() && text[at] == letter && (at == 0 || text[at - 1] == '\n');
}

// The leading part of head that is text: up to the first NUL or control
// character other than white space. Bytes from 0x80 are text (UTF-8,
// Latin-1).
size_t textSpan(const std::string& head)
{
    for (size_t i = 0; i < head.size(); ++i) {
        const auto c = static_cast<unsigned char>(head[i]);
        if (c < 0x20 && !std::strchr("\t\n\r\f\v", c))
            return i;
    }
    return head.size();
}

bool looksLikeIgc(const std::string& head)
{
    size_t first = 0;
    while (first < head.size() && (head[first] == '\r' || head[first] == '\n'))
        ++first;
    if (first >= head.size() || head[first] != 'A')
        return false;
    for (size_t i = first + 1; i + 1 < head.size(); ++i)
        if (startsLine(head, i, 'H') || startsLine(head, i, 'B'))
            return true;
    return false;
}

bool looksLikeGpx(const std::string& head)
{
    // The root is the first element that is not a declaration, comment or
    // doctype; it may carry a namespace prefix. Comments may hold tags.
    size_t at = 0;
    while ((at = head.find('<', at)) != std::string::npos) {
        if (head.compare(at, 4, "<!--") == 0) {
            at = head.find("-->", at + 4);
            if (at == std::string::npos)
                return false;
            continue;
        }
        if (at + 1 < head.size() && (head[at + 1] == '?' || head[at + 1] == '!')) {
            ++at;
            continue;
        }
        size_t end = at + 1;
        while (end < head.size() && !std::strchr(" \t\r\n>/", head[end]))
            ++end;
        std::string name = head.substr(at + 1, end - at - 1);
        const size_t colon = name.find(':');
        if (colon != std::string::npos)
            name = name.substr(colon + 1);
        return name == "gpx";
    }
    return false;
}

bool looksLikeCsvHeader(const std::string& head)
{
    const std::string line = head.substr(0, head.find('\n'));
    const bool separated = line.find_first_of(",;\t") != std::string::npos;
    bool letters = false;
    for (char c : line) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r')
            return false;
        letters = letters || std::isalpha(static_cast<unsigned char>(c));
    }
    return separated && letters;
}

// A text format speaks for the text part of the head when it recognises it.
template <bool (*looksLike)(const std::string&)>
size_t textEvidence(const std::string& head)
{
    const std::string text = head.substr(0, textSpan(head));
    return looksLike(text) ? text.size() : 0;
}

// Each format's sniffer says how many bytes of the head its structure
// accounts for; the most wins, a tie goes to the format listed first.
const struct {
    FlightFormat format;
    size_t (*evidence)(const std::string& head);
} SNIFFERS[] = {
    {FlightFormat::ulog, ulogEvidence},
    {FlightFormat::dataflash, dataflashEvidence},
    {FlightFormat::tlog, tlogEvidence},
    {FlightFormat::gpx, textEvidence<looksLikeGpx>},
    {FlightFormat::igc, textEvidence<looksLikeIgc>},
    {FlightFormat::log, textEvidence<looksLikeReplayLog>},
    {FlightFormat::csv, textEvidence<looksLikeCsvHeader>},
};

void finish(Flight& data)
{
    tidyStreams(data);
    bool missingAngle = data.attitude.empty();
    for (const Attitude& a : data.attitude)
        missingAngle = missingAngle || !std::isfinite(a.roll) || !std::isfinite(a.pitch) || !std::isfinite(a.yaw);
    if (missingAngle && !data.position.empty()) {
        deriveAttitude(data);
        tidyStreams(data);
    }
    inferFlightEvents(data);
    dropUnloadedMission(data);
}

// The replay's scanner reads from a stream; bytes in memory go through a
// temporary file.
Flight readReplayLogBytes(const std::string& bytes)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::tmpfile(), &std::fclose);
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        throw tools::ToolError("cannot make a temporary file for the log");
    std::rewind(file.get());
    return readReplayLog(file.get());
}

std::vector<Flight> readBinary(FlightFormat format, ByteReader& stream, const std::vector<FieldKey>& keep)
{
    if (format == FlightFormat::tlog)
        return readTlog(stream, keep);
    std::vector<Flight> one;
    one.push_back(format == FlightFormat::ulog ? readUlog(stream, keep) : readDataflash(stream, keep));
    return one;
}

std::vector<Flight> readText(FlightFormat format, const std::string& bytes, const ReadOptions& options)
{
    const CsvOptions& csv = options.csv;
    std::vector<Flight> one(1);
    switch (format) {
    case FlightFormat::gpx: one[0] = readGpx(bytes); return one;
    case FlightFormat::igc: one[0] = readIgc(bytes); return one;
    case FlightFormat::csv: one[0] = readCsv(bytes, csv); return one;
    case FlightFormat::log: one[0] = readReplayLogBytes(bytes); return one;
    default: break;
    }
    ByteReader stream(bytes.data(), bytes.size());
    return readBinary(format, stream, options.keepFields);
}

bool isBinary(FlightFormat format)
{
    return format == FlightFormat::ulog || format == FlightFormat::dataflash || format == FlightFormat::tlog;
}

const char* const UNKNOWN_FORMAT =
    "not a flight log of a known format (ULog, DataFlash, tlog, GPX, IGC, CSV, the replay's log); try --format";

// The fields of each flight read from input again when asked for.
std::vector<Flight> finished(std::vector<Flight> flights, const LogInput& input)
{
    for (Flight& flight : flights) {
        finish(flight);
        if (!flight.fields || flight.fields->fields().empty())
            continue;
        std::shared_ptr<const FieldSource> file = fieldSourceOf(flight.format, input, flight.systemId);
        const auto kept = std::dynamic_pointer_cast<const KeptFields>(flight.fieldSource);
        flight.fieldSource = kept ? kept->withRest(std::move(file)) : std::move(file);
    }
    return flights;
}

Flight chosen(std::vector<Flight> flights, const ReadOptions& options)
{
    if (options.system == 0)
        return std::move(flights.front());
    std::string vehicles;
    for (Flight& flight : flights) {
        if (flight.systemId == options.system)
            return std::move(flight);
        if (flight.systemId > 0)
            vehicles += (vehicles.empty() ? "" : ", ") + std::to_string(flight.systemId);
    }
    if (flights.front().format != FlightFormat::tlog)
        throw tools::ToolError("--system " + std::to_string(options.system) + ": only a telemetry log holds several systems");
    throw tools::ToolError("--system " + std::to_string(options.system) + ": no vehicle of that system id (vehicles: "
                           + (vehicles.empty() ? "none" : vehicles) + ")");
}

} // namespace

FlightFormat parseFormatWord(const std::string& word)
{
    for (FlightFormat format : {FlightFormat::ulog, FlightFormat::dataflash, FlightFormat::tlog, FlightFormat::gpx,
                                 FlightFormat::igc, FlightFormat::log, FlightFormat::csv})
        if (word == formatWord(format))
            return format;
    throw tools::ToolError("--format " + word + ": expected ulog, dataflash, tlog, gpx, igc, log or csv");
}

std::optional<FlightFormat> recogniseFormat(const std::string& head)
{
    std::optional<FlightFormat> best;
    size_t most = 0;
    for (const auto& sniffer : SNIFFERS) {
        const size_t evidence = sniffer.evidence(head);
        if (evidence > most) {
            most = evidence;
            best = sniffer.format;
        }
    }
    return best;
}

std::vector<Flight> readFlightsOfBytes(const std::string& bytes, const ReadOptions& options)
{
    std::optional<FlightFormat> format = options.format;
    if (!format)
        format = recogniseFormat(bytes.substr(0, HEAD));
    if (!format)
        throw tools::ToolError(UNKNOWN_FORMAT);
    LogInput input;
    if (isBinary(*format))
        input.bytes = std::make_shared<const std::string>(bytes);
    return finished(readText(*format, bytes, options), input);
}

Flight readFlightBytes(const std::string& bytes, const ReadOptions& options)
{
    return chosen(readFlightsOfBytes(bytes, options), options);
}

std::vector<Flight> readFlightsOfFile(const std::string& path, const ReadOptions& options)
{
    std::optional<FlightFormat> format = options.format;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file)
        throw tools::ToolError(std::string("cannot open: ") + std::strerror(errno));
    std::string head(HEAD, '\0');
    head.resize(std::fread(head.data(), 1, head.size(), file.get()));
    if (std::ferror(file.get()))
        throw tools::ToolError(std::string("cannot read: ") + std::strerror(errno));
    if (!format)
        format = recogniseFormat(head);
    if (!format)
        throw tools::ToolError(UNKNOWN_FORMAT);
    std::rewind(file.get());
    std::vector<Flight> flights;
    if (*format == FlightFormat::log) {
        flights.push_back(readReplayLog(file.get()));
    } else if (isBinary(*format)) {
        ByteReader stream(file.get());
        flights = readBinary(*format, stream, options.keepFields);
    } else {
        std::string bytes;
        char chunk[1 << 16];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
            bytes.append(chunk, got);
        flights = readText(*format, bytes, options);
    }
    if (std::ferror(file.get()))
        throw tools::ToolError(std::string("cannot read: ") + std::strerror(errno));
    return finished(std::move(flights), LogInput{path, nullptr});
}

Flight readFlightFile(const std::string& path, const ReadOptions& options)
{
    return chosen(readFlightsOfFile(path, options), options);
}

} // namespace flightreplay::readers
