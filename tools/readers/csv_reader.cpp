#include "tools/readers/csv_reader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "log/units.h"
#include "tools/common/tool_error.h"
#include "tools/readers/text_field.h"
#include "tools/readers/time_unit_guess.h"
#include "tools/readers/utc_time.h"

namespace flightreplay::readers {

using namespace flight;

namespace {

constexpr double YEAR2000 = 946684800.0;
constexpr double MAX_ABS_TIME = 1e11; // s; beyond that a time is garbage, not a clock

enum Stream : size_t {
    kLat, kLon, kAlt, kTime, kHeading, kRoll, kPitch, kSpeed, kVoltage, kCurrent, kMah, kSatellites,
    kBaroAlt, kAirspeed, kRc1, kServo1 = kRc1 + 5, kStreamCount = kServo1 + 4
};

struct Alias {
    Stream stream;
    const char* name;
};

const Alias kAliases[] = {
    {kLat, "latitude"}, {kLon, "lng"}, {kLon, "long"}, {kLon, "longitude"}, {kAlt, "altitude"},
    {kAlt, "ele"}, {kAlt, "elevation"}, {kTime, "timestamp"}, {kHeading, "yaw"}, {kSpeed, "groundspeed"},
    {kSpeed, "ground_speed"}, {kVoltage, "volt"}, {kVoltage, "vbat"}, {kSatellites, "sats"},
};

std::string lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// "Altitude (m)" and "alt[m]" name the altitude.
std::string headerName(std::string_view field)
{
    std::string_view name = trimmed(field);
    const size_t unit = name.find_first_of("([");
    if (unit != std::string_view::npos && unit > 0)
        name = trimmed(name.substr(0, unit));
    return lower(name);
}

int streamByName(const std::string& name)
{
    const auto& names = csvStreamNames();
    const auto it = std::find(names.begin(), names.end(), lower(name));
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

// Splits the bytes into records of fields, RFC 4180 quoting: a quoted field
// may hold separators, quotes doubled and line ends.
class RecordReader {
public:
    explicit RecordReader(std::string_view text) : text_(text)
    {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF")
            text_.remove_prefix(3);
    }

    void setSeparator(char separator) { separator_ = separator; }

    // The next record, false at the end; blank lines are skipped.
    bool next(std::vector<std::string>& fields)
    {
        while (pos_ < text_.size()) {
            fields.clear();
            fields.emplace_back();
            bool blank = true;
            bool quoted = false;
            while (pos_ < text_.size()) {
                const char c = text_[pos_++];
                if (quoted) {
                    if (c != '"')
                        fields.back() += c;
                    else if (pos_ < text_.size() && text_[pos_] == '"')
                        fields.back() += text_[pos_++];
                    else
                        quoted = false;
                } else if (c == '"') {
                    quoted = true;
                    blank = false;
                } else if (c == separator_) {
                    fields.emplace_back();
                    blank = false;
                } else if (c == '\n' || c == '\r') {
                    if (c == '\r' && pos_ < text_.size() && text_[pos_] == '\n')
                        ++pos_;
                    break;
                } else {
                    fields.back() += c;
                    blank = blank && std::isspace(static_cast<unsigned char>(c));
                }
            }
            if (!blank)
                return true;
        }
        return false;
    }

    // The separator the first line uses most, outside quotes.
    char guessSeparator() const
    {
        size_t counts[3] = {0, 0, 0};
        const char candidates[3] = {',', ';', '\t'};
        bool quoted = false;
        for (size_t i = pos_; i < text_.size(); ++i) {
            const char c = text_[i];
            if (c == '"')
                quoted = !quoted;
            else if (!quoted && (c == '\n' || c == '\r') && counts[0] + counts[1] + counts[2] > 0)
                break;
            for (size_t k = 0; k < 3; ++k)
                counts[k] += !quoted && c == candidates[k] ? 1 : 0;
        }
        const size_t best = static_cast<size_t>(std::max_element(counts, counts + 3) - counts);
        return candidates[best];
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
    char separator_ = ',';
};

bool parseNumber(std::string_view field, char separator, double& value)
{
    std::string text(trimmed(field));
    if (text.empty())
        return false;
    if (separator != ',' && std::count(text.begin(), text.end(), ',') == 1 && text.find('.') == std::string::npos)
        std::replace(text.begin(), text.end(), ',', '.');
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

// Which header field each stream reads, -1 for none.
std::vector<int> mapColumns(const std::vector<std::string>& header, const CsvOptions& options)
{
    std::vector<int> field(kStreamCount, -1);
    std::vector<bool> taken(header.size(), false);
    for (const auto& [name, fieldName] : options.columns) {
        const int stream = streamByName(name);
        if (stream < 0)
            throw tools::ToolError("--column " + name + "=" + fieldName + ": unknown stream name " + name);
        const std::string wanted = lower(trimmed(fieldName));
        int found = -1;
        for (size_t i = 0; i < header.size() && found < 0; ++i)
            if (lower(trimmed(header[i])) == wanted)
                found = static_cast<int>(i);
        for (size_t i = 0; i < header.size() && found < 0; ++i)
            if (headerName(header[i]) == wanted)
                found = static_cast<int>(i);
        if (found < 0)
            throw tools::ToolError("--column " + name + "=" + fieldName + ": no field " + fieldName + " in the header");
        field[static_cast<size_t>(stream)] = found;
        taken[static_cast<size_t>(found)] = true;
    }
    for (size_t i = 0; i < header.size(); ++i) {
        if (taken[i])
            continue;
        const std::string name = headerName(header[i]);
        int stream = streamByName(name);
        for (const Alias& alias : kAliases)
            if (stream < 0 && name == alias.name)
                stream = static_cast<int>(alias.stream);
        if (stream >= 0 && field[static_cast<size_t>(stream)] < 0) {
            field[static_cast<size_t>(stream)] = static_cast<int>(i);
            taken[i] = true;
        }
    }
    return field;
}

// The rows read, flat: per row its time, then one cell per stream the
// header has (NaN where a cell is empty or broken), so that a long table
// costs a few doubles a row.
class Table {
public:
    explicit Table(const std::vector<int>& field)
    {
        for (size_t s = 0; s < kStreamCount; ++s)
            if (s != kTime && field[s] >= 0)
                slot_[s] = 1 + streams_++;
    }
    size_t rows() const { return cells_.size() / (1 + streams_); }
    void add(double t)
    {
        cells_.push_back(t);
        cells_.resize(cells_.size() + streams_, NAN);
    }
    double* last() { return &cells_[cells_.size() - 1 - streams_]; }
    size_t slot(size_t stream) const { return slot_[stream]; }
    double t(size_t row) const { return cells_[row * (1 + streams_)]; }
    double& t(size_t row) { return cells_[row * (1 + streams_)]; }
    double at(size_t row, size_t stream) const
    {
        return slot_[stream] ? cells_[row * (1 + streams_) + slot_[stream]] : NAN;
    }

private:
    size_t slot_[kStreamCount] = {};
    size_t streams_ = 0;
    std::vector<double> cells_;
};

// A time cell in unit; with no unit, a number as written (checked once its
// unit is known) or an ISO stamp, which sets iso.
bool readTime(const std::string& cell, std::optional<TimeUnit> unit, char separator, double& t, bool& iso)
{
    if (unit == TimeUnit::Iso)
        return parseIsoTime(cell, t);
    if (!parseNumber(cell, separator, t)) {
        iso = (!unit || unit == TimeUnit::Seconds) && parseIsoTime(cell, t);
        return iso;
    }
    if (!unit)
        return std::isfinite(t);
    t *= unit == TimeUnit::Milliseconds ? 1e-3 : unit == TimeUnit::Microseconds ? 1e-6 : 1.0;
    return std::fabs(t) <= MAX_ABS_TIME;
}

// With no unit given: scales the numbers of the time column by the unit
// their values tell, says which in a note, and marks rows whose time then
// lies beyond any clock; returns how many. Stamps are seconds already, and
// a column mixing them with numbers keeps its numbers in seconds.
size_t settleTimeUnit(Table& table, const std::vector<bool>& isoRow, std::vector<bool>& keep, std::vector<std::string>& notes)
{
    std::vector<double> numbers;
    for (size_t i = 0; i < table.rows(); ++i)
        if (!isoRow[i])
            numbers.push_back(table.t(i));
    double scale = 1.0;
    if (numbers.size() == table.rows()) {
        const TimeUnitGuess guess = guessTimeUnit(numbers);
        scale = guess.unit == TimeUnit::Milliseconds ? 1e-3 : guess.unit == TimeUnit::Microseconds ? 1e-6 : 1.0;
        notes.push_back("time column read as " + guess.said + " (told from its values; --time names the unit)");
    }
    size_t beyond = 0;
    for (size_t i = 0; i < table.rows(); ++i) {
        if (!isoRow[i])
            table.t(i) *= scale;
        if (!(std::fabs(table.t(i)) <= MAX_ABS_TIME)) {
            keep[i] = false;
            ++beyond;
        }
    }
    return beyond;
}

// The header row's columns mapped to streams (mapColumns); refuses a file
// without one.
std::vector<int> readHeader(RecordReader& reader, char separator, const CsvOptions& options)
{
    std::vector<std::string> header;
    if (!reader.next(header))
        throw tools::ToolError("no header row: the file holds no line");
    double probe = 0.0;
    if (std::all_of(header.begin(), header.end(), [&](const std::string& f) {
            return trimmed(f).empty() || parseNumber(f, separator, probe);
        }))
        throw tools::ToolError("no header row: the first line holds numbers, not column names");
    return mapColumns(header, options);
}

// How the time cells of the rows read.
struct RowTimes {
    size_t bad = 0;          // rows skipped for a time that does not read
    bool iso = false;        // some time was a stamp
    std::vector<bool> isoRow; // with the unit unknown: rows whose time was a stamp
};

// Reads every row after the header into table: its time (the row's number
// without a time column) and the number in each mapped column.
RowTimes readRows(RecordReader& reader, const std::vector<int>& field, const CsvOptions& options, char separator,
                  Table& table)
{
    RowTimes times;
    const bool hasTime = field[kTime] >= 0;
    std::vector<std::string> fields;
    while (reader.next(fields)) {
        double t = static_cast<double>(table.rows());
        if (hasTime) {
            const size_t at = static_cast<size_t>(field[kTime]);
            bool stamp = false;
            if (at >= fields.size() || !readTime(fields[at], options.time, separator, t, stamp)) {
                ++times.bad;
                continue;
            }
            times.iso = times.iso || stamp;
            if (!options.time)
                times.isoRow.push_back(stamp);
        }
        table.add(t);
        double* cells = table.last();
        for (size_t s = 0; s < kStreamCount; ++s) {
            const int at = field[s];
            if (table.slot(s) && static_cast<size_t>(at) < fields.size())
                parseNumber(fields[static_cast<size_t>(at)], separator, cells[table.slot(s)]);
        }
    }
    return times;
}

// The rows kept, in time order, each time once (the first row with it).
std::vector<size_t> rowsInTimeOrder(const Table& table, const std::vector<bool>& keep, std::vector<std::string>& notes)
{
    std::vector<size_t> rows;
    for (size_t i = 0; i < table.rows(); ++i)
        if (keep[i])
            rows.push_back(i);
    std::stable_sort(rows.begin(), rows.end(), [&](size_t a, size_t b) { return table.t(a) < table.t(b); });
    const auto repeated = std::unique(rows.begin(), rows.end(), [&](size_t a, size_t b) { return table.t(a) == table.t(b); });
    if (repeated != rows.end())
        notes.push_back(std::to_string(rows.end() - repeated) + " rows with the time of an earlier row skipped");
    rows.erase(repeated, rows.end());
    return rows;
}

// The rows' cells as the flight's fixes, attitude and series.
void addStreams(const Table& table, const std::vector<size_t>& rows, const std::vector<int>& field, double angleScale,
                Flight& data)
{
    const bool hasAttitude = field[kHeading] >= 0 || field[kRoll] >= 0 || field[kPitch] >= 0;
    std::array<Series*, kStreamCount> series{};
    series[kSpeed] = &data.groundSpeed;
    series[kVoltage] = &data.voltage;
    series[kCurrent] = &data.current;
    series[kMah] = &data.mah;
    series[kSatellites] = &data.satellites;
    series[kBaroAlt] = &data.baroAlt;
    series[kAirspeed] = &data.airspeed;
    for (size_t i = 0; i < 5; ++i)
        series[kRc1 + i] = &data.rcIn[i];
    for (size_t i = 0; i < 4; ++i)
        series[kServo1 + i] = &data.servoOut[i];

    double lastAlt = 0.0;
    for (const size_t row : rows) {
        const double t = table.t(row);
        if (!std::isnan(table.at(row, kAlt)))
            lastAlt = table.at(row, kAlt);
        const double lat = table.at(row, kLat), lon = table.at(row, kLon);
        if (std::fabs(lat) <= 90.0 && std::fabs(lon) <= 180.0)
            data.position.push_back({t, lat, lon, lastAlt});
        if (hasAttitude)
            data.attitude.push_back({t, table.at(row, kRoll) * angleScale, table.at(row, kPitch) * angleScale,
                                     table.at(row, kHeading) * angleScale});
        for (size_t s = 0; s < kStreamCount; ++s) {
            const double v = table.at(row, s);
            // A speed is a magnitude: a negative one is a broken cell.
            const bool broken = (s == kSpeed || s == kAirspeed) && v < 0.0;
            if (series[s] && !std::isnan(v) && !broken)
                series[s]->push_back({t, v});
        }
    }
}

} // namespace

const std::vector<std::string>& csvStreamNames()
{
    static const std::vector<std::string> names = {
        "lat", "lon", "alt", "time", "heading", "roll", "pitch", "speed", "voltage", "current", "mah",
        "satellites", "baro_alt", "airspeed", "rc1", "rc2", "rc3", "rc4", "rc5", "servo1", "servo2", "servo3",
        "servo4"};
    return names;
}

AngleUnit parseAngleUnit(const std::string& text)
{
    if (text == "deg")
        return AngleUnit::Degrees;
    if (text == "rad")
        return AngleUnit::Radians;
    throw tools::ToolError("--angles " + text + ": expected deg or rad");
}

TimeUnit parseTimeUnit(const std::string& text)
{
    if (text == "s")
        return TimeUnit::Seconds;
    if (text == "ms")
        return TimeUnit::Milliseconds;
    if (text == "us")
        return TimeUnit::Microseconds;
    if (text == "iso")
        return TimeUnit::Iso;
    throw tools::ToolError("--time " + text + ": expected s, ms, us or iso");
}

std::pair<std::string, std::string> parseColumnOption(const std::string& text)
{
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size())
        throw tools::ToolError("--column " + text + ": expected NAME=FIELD");
    std::pair<std::string, std::string> option(text.substr(0, equals), text.substr(equals + 1));
    if (streamByName(option.first) < 0)
        throw tools::ToolError("--column " + text + ": unknown stream name " + option.first);
    return option;
}

Flight readCsv(const std::string& bytes, const CsvOptions& options)
{
    RecordReader reader(bytes);
    const char separator = reader.guessSeparator();
    reader.setSeparator(separator);
    const std::vector<int> field = readHeader(reader, separator, options);

    Flight data;
    data.format = FlightFormat::csv;
    data.positionSource = "lat/lon columns";
    const bool hasTime = field[kTime] >= 0;

    Table table(field);
    RowTimes times = readRows(reader, field, options, separator, table);
    if (!hasTime)
        data.notes.push_back("no time column: rows taken 1 s apart");
    std::vector<bool> keep(table.rows(), true);
    if (hasTime && !options.time && table.rows() > 0)
        times.bad += settleTimeUnit(table, times.isoRow, keep, data.notes);
    if (times.bad > 0)
        data.notes.push_back(std::to_string(times.bad) + " rows without a readable time skipped");
    if (field[kAlt] < 0 && field[kLat] >= 0)
        data.notes.push_back("no altitude column: altitude 0");

    const std::vector<size_t> rows = rowsInTimeOrder(table, keep, data.notes);
    if (hasTime && !rows.empty() && (options.time == TimeUnit::Iso || times.iso || table.t(rows.front()) >= YEAR2000))
        data.utcAtClockZero = 0.0;
    addStreams(table, rows, field, options.angles == AngleUnit::Degrees ? RADIANS_PER_DEGREE : 1.0, data);
    return data;
}

} // namespace flightreplay::readers
