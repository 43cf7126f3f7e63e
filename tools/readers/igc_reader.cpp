#include "tools/readers/igc_reader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>

#include "log/units.h"
#include "tools/common/tool_error.h"
#include "tools/readers/text_field.h"
#include "tools/readers/utc_time.h"

namespace flightreplay::readers {

using namespace flight;

namespace {

constexpr size_t BRECORD_LENGTH = 35; // up to and including the GNSS altitude
constexpr double SECONDS_PER_DAY = 86400.0;

bool digitsAt(std::string_view line, size_t pos, size_t count, int& value)
{
    if (pos + count > line.size())
        return false;
    value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(line[i])))
            return false;
        value = value * 10 + (line[i] - '0');
    }
    return true;
}

// Five characters, a minus sign in front of negative values ("-0012").
bool altitudeAt(std::string_view line, size_t pos, double& metres)
{
    int value = 0;
    if (line[pos] == '-') {
        if (!digitsAt(line, pos + 1, 4, value))
            return false;
        metres = -value;
        return true;
    }
    if (!digitsAt(line, pos, 5, value))
        return false;
    metres = value;
    return true;
}

// The text after the colon of an H record ("HFFTYFRTYPE:LXNAV,LX8000").
std::string headerValue(std::string_view line)
{
    const size_t colon = line.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(trimmed(line.substr(colon + 1)));
}

struct Extension {
    size_t first; // 0-based, inclusive
    size_t last;
    std::string code;
};

std::vector<Extension> readIRecord(std::string_view line)
{
    std::vector<Extension> extensions;
    int count = 0;
    if (!digitsAt(line, 1, 2, count))
        return extensions;
    for (int i = 0; i < count; ++i) {
        const size_t at = 3 + static_cast<size_t>(i) * 7;
        int first = 0, last = 0;
        if (!digitsAt(line, at, 2, first) || !digitsAt(line, at + 2, 2, last) || at + 7 > line.size())
            break;
        // Columns overlapping the fixed fields would be a broken declaration.
        if (first > static_cast<int>(BRECORD_LENGTH) && last >= first)
            extensions.push_back({static_cast<size_t>(first - 1), static_cast<size_t>(last - 1),
                                  std::string(line.substr(at + 4, 3))});
    }
    return extensions;
}

// An extension's digits, or false where the record is too short for it.
bool extensionDigits(std::string_view line, const Extension& e, int& value, size_t& width)
{
    width = e.last - e.first + 1;
    return width <= 9 && digitsAt(line, e.first, width, value);
}

// DDMMmmm (or DDDMMmmm) with the hemisphere letter after it, to degrees.
bool coordinateAt(std::string_view line, size_t pos, size_t degreeDigits, char positive, char negative,
                  int extraDigits, size_t extraWidth, double& degrees)
{
    int deg = 0, minutes = 0, thousandths = 0;
    if (!digitsAt(line, pos, degreeDigits, deg) || !digitsAt(line, pos + degreeDigits, 2, minutes)
        || !digitsAt(line, pos + degreeDigits + 2, 3, thousandths) || minutes >= 60)
        return false;
    const char hemisphere = line[pos + degreeDigits + 5];
    if (hemisphere != positive && hemisphere != negative)
        return false;
    double fraction = thousandths / 1000.0;
    if (extraWidth > 0)
        fraction += extraDigits / (1000.0 * std::pow(10.0, static_cast<double>(extraWidth)));
    degrees = deg + degreesOfMinutes(minutes + fraction);
    if (hemisphere == negative)
        degrees = -degrees;
    return true;
}

struct BFix {
    Fix fix;
    double pressureAlt;
    bool valid;
    double satellites = NAN;
    double groundSpeed = NAN;
    double airspeed = NAN;
    double fraction = 0.0; // of the second, from loggers faster than 1 Hz
};

bool readBRecord(std::string_view line, const std::vector<Extension>& extensions, BFix& out)
{
    if (line.size() < BRECORD_LENGTH)
        return false;
    int hh = 0, mm = 0, ss = 0;
    if (!digitsAt(line, 1, 2, hh) || !digitsAt(line, 3, 2, mm) || !digitsAt(line, 5, 2, ss) || hh > 23 || mm > 59
        || ss > 59)
        return false;
    int latExtra = 0, lonExtra = 0;
    size_t latWidth = 0, lonWidth = 0;
    for (const Extension& e : extensions) {
        int value = 0;
        size_t width = 0;
        if (!extensionDigits(line, e, value, width))
            continue;
        if (e.code == "LAD") {
            latExtra = value;
            latWidth = width;
        } else if (e.code == "LOD") {
            lonExtra = value;
            lonWidth = width;
        } else if (e.code == "SIU")
            out.satellites = value;
        else if (e.code == "GSP")
            out.groundSpeed = value / 3.6;
        else if (e.code == "TAS")
            out.airspeed = value / 3.6;
        else if (e.code == "TDS")
            out.fraction = value / std::pow(10.0, static_cast<double>(width));
    }
    double lat = 0.0, lon = 0.0, gnssAlt = 0.0;
    if (!coordinateAt(line, 7, 2, 'N', 'S', latExtra, latWidth, lat)
        || !coordinateAt(line, 15, 3, 'E', 'W', lonExtra, lonWidth, lon) || std::fabs(lat) > 90.0
        || std::fabs(lon) > 180.0)
        return false;
    if (line[24] != 'A' && line[24] != 'V')
        return false;
    if (!altitudeAt(line, 25, out.pressureAlt) || !altitudeAt(line, 30, gnssAlt))
        return false;
    out.valid = line[24] == 'A';
    out.fix = {hh * 3600.0 + mm * 60.0 + ss + out.fraction, lat, lon, gnssAlt};
    return true;
}

// HFDTEDDMMYY or HFDTEDATE:DDMMYY,NN; years 80 to 99 are the 1900s.
bool readDate(std::string_view line, double& midnightUtc)
{
    size_t at = 5;
    while (at < line.size() && !std::isdigit(static_cast<unsigned char>(line[at])))
        ++at;
    int day = 0, month = 0, year = 0;
    if (!digitsAt(line, at, 2, day) || !digitsAt(line, at + 2, 2, month) || !digitsAt(line, at + 4, 2, year)
        || day < 1 || day > 31 || month < 1 || month > 12)
        return false;
    const int fullYear = year >= 80 ? 1900 + year : 2000 + year;
    midnightUtc = static_cast<double>(daysFromCivil(fullYear, month, day)) * SECONDS_PER_DAY;
    return true;
}

// What the lines of a file say, before the fixes are put in time order.
struct IgcRecords {
    std::vector<BFix> fixes;
    std::string loggerId, frType, frFirmware;
    bool anyRecord = false;
    bool haveDate = false;
    double midnightUtc = NAN;
    size_t badFixes = 0;
};

void readRecord(std::string_view line, std::vector<Extension>& extensions, IgcRecords& records)
{
    switch (line[0]) {
    case 'A':
        records.anyRecord = true;
        if (records.loggerId.empty())
            records.loggerId = std::string(trimmed(line.substr(1)));
        break;
    case 'H':
        records.anyRecord = true;
        if (line.size() >= 5 && line.substr(2, 3) == "DTE" && !records.haveDate)
            records.haveDate = readDate(line, records.midnightUtc);
        else if (line.size() >= 5 && line.substr(2, 3) == "FTY" && records.frType.empty())
            records.frType = headerValue(line);
        else if (line.size() >= 5 && line.substr(2, 3) == "RFW" && records.frFirmware.empty())
            records.frFirmware = headerValue(line);
        break;
    case 'I':
        extensions = readIRecord(line);
        break;
    case 'B': {
        records.anyRecord = true;
        BFix fix{};
        if (readBRecord(line, extensions, fix))
            records.fixes.push_back(fix);
        else
            ++records.badFixes;
        break;
    }
    default:
        break;
    }
}

IgcRecords readRecords(const std::string& bytes)
{
    IgcRecords records;
    std::vector<Extension> extensions;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string_view line(bytes.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty())
            readRecord(line, extensions, records);
    }
    return records;
}

// The fixes with a 3-D fix (A) where there are any, else all of them.
std::vector<BFix> fixesToKeep(const std::vector<BFix>& fixes, size_t& dropped)
{
    const bool anyValid = std::any_of(fixes.begin(), fixes.end(), [](const BFix& f) { return f.valid; });
    std::vector<BFix> kept;
    dropped = 0;
    for (const BFix& f : fixes) {
        if (anyValid && !f.valid)
            ++dropped;
        else
            kept.push_back(f);
    }
    return kept;
}

// Puts the fixes on one clock across midnight into data's streams, skipping
// those out of time order; their number.
size_t addFixesInTimeOrder(std::vector<BFix>& kept, bool gnssAltitude, bool pressureAltitude, Flight& data)
{
    size_t outOfOrder = 0;
    bool any = false;
    double dayOffset = 0.0;
    double last = 0.0;
    // A time of day on the flight's clock: a step back of more than half a
    // day from the time before is the clock passing midnight.
    const auto onClock = [&](const BFix& fix, bool after, double before) {
        const double t = fix.fix.t + dayOffset;
        return after && t < before - SECONDS_PER_DAY / 2 ? t + SECONDS_PER_DAY : t;
    };
    for (size_t i = 0; i < kept.size(); ++i) {
        BFix& f = kept[i];
        const double t = onClock(f, any, last);
        if (any && t <= last) {
            ++outOfOrder;
            continue;
        }
        // A fix stamped later than most of the few after it is the outlier,
        // not they: skipping it keeps the rest of the flight.
        size_t ahead = 0, earlier = 0;
        for (size_t k = i + 1; k < kept.size() && ahead < 5; ++k, ++ahead) {
            const double next = onClock(kept[k], true, t);
            earlier += next < t && (!any || next > last);
        }
        if (earlier * 2 > ahead) {
            ++outOfOrder;
            continue;
        }
        dayOffset = t - f.fix.t;
        any = true;
        last = t;
        f.fix.t = t;
        if (!gnssAltitude)
            f.fix.altM = f.pressureAlt;
        data.position.push_back(f.fix);
        data.fixMode.push_back({f.fix.t, f.valid ? 3.0 : 2.0});
        if (pressureAltitude)
            data.baroAlt.push_back({f.fix.t, f.pressureAlt});
        if (!std::isnan(f.satellites))
            data.satellites.push_back({f.fix.t, f.satellites});
        if (!std::isnan(f.groundSpeed))
            data.groundSpeed.push_back({f.fix.t, f.groundSpeed});
        if (!std::isnan(f.airspeed))
            data.airspeed.push_back({f.fix.t, f.airspeed});
    }
    return outOfOrder;
}

} // namespace

Flight readIgc(const std::string& bytes)
{
    Flight data;
    data.format = FlightFormat::igc;
    data.positionSource = "B records";

    IgcRecords records = readRecords(bytes);
    if (!records.anyRecord)
        throw tools::ToolError("not an IGC file: no A, H or B record");
    if (records.haveDate)
        data.utcAtClockZero = records.midnightUtc;
    if (!records.frType.empty())
        data.firmware = records.frFirmware.empty() ? records.frType : records.frType + " " + records.frFirmware;
    else
        data.firmware = records.loggerId;
    if (records.badFixes > 0)
        data.notes.push_back(std::to_string(records.badFixes) + " unreadable B records skipped");

    const std::vector<BFix>& fixes = records.fixes;
    const bool gnssAltitude = std::any_of(fixes.begin(), fixes.end(), [](const BFix& f) { return f.fix.altM != 0.0; });
    const bool pressureAltitude = std::any_of(fixes.begin(), fixes.end(), [](const BFix& f) { return f.pressureAlt != 0.0; });
    if (!gnssAltitude && pressureAltitude)
        data.notes.push_back("GNSS altitude 0 throughout: pressure altitude used");

    size_t dropped = 0;
    std::vector<BFix> kept = fixesToKeep(fixes, dropped);
    const size_t outOfOrder = addFixesInTimeOrder(kept, gnssAltitude, pressureAltitude, data);
    if (dropped > 0)
        data.notes.push_back(std::to_string(dropped) + " fixes without a 3-D fix (V) skipped");
    if (outOfOrder > 0)
        data.notes.push_back(std::to_string(outOfOrder) + " fixes out of time order skipped");
    return data;
}

} // namespace flightreplay::readers
