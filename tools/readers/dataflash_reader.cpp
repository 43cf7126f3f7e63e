#include "tools/readers/dataflash_reader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "log/units.h"
#include "tools/common/tool_error.h"
#include "tools/readers/autopilot_names.h"
#include "tools/readers/dataflash_plan.h"
#include "tools/readers/field_sources.h"
#include "tools/readers/flight_happenings.h"
#include "tools/readers/series_bucket.h"
#include "tools/readers/stream_notes.h"
#include "tools/flight/field_catalogue.h"

namespace flightreplay::readers {

using namespace flight;

namespace {

constexpr uint8_t HEAD1 = 0xa3;
constexpr uint8_t HEAD2 = 0x95;
constexpr uint8_t FMT_TYPE = 128;
constexpr size_t FMT_LENGTH = 89;

// Instances above this are not told apart: a damaged byte must not make
// thousands of names.
constexpr int MAX_INSTANCE = 31;

enum class Kind { none, gps, att, pos, bat, curr, baro, rcin, rcou, msg, mode, ev, err, plan, unit, mult, units };

// Field roles looked up by name once per FMT; -1 where the type lacks one.
enum Role { timeUs, timeMs, gpsT, status, lat, lng, alt, spd, nsats, week, tow, instance, roll, pitch, yaw,
            volt, curr, currTot, message, modeValue, modeNumber, eventId, errorSubsystem, errorCode, channel1, ROLE_COUNT = channel1 + 5 };

struct Field {
    char kind;
    uint16_t offset; // from the first byte after the 3-byte header
};

struct Type {
    bool known = false;
    uint8_t length = 0; // whole message, header included
    Kind kind = Kind::none;
    std::vector<Field> fields;
    std::array<int, ROLE_COUNT> role{};
    bool attitudeAlwaysValid = false; // ATT in integers, no instance: every message is a sample
    std::array<Field, ROLE_COUNT> slot{}; // the field of each role; kind 0 where there is none
    PlanMessage planMessage = PlanMessage::cmd; // for Kind::plan
    std::vector<std::string> columns;           // the name of each field, as many as fields
    std::string name;
    uint8_t id = 0;
    int instanceField = -1;      // the field telling the instance (I, Instance, Inst, IMU, C); -1 without
    uint32_t seenInstances = 0;  // bit i: a message of instance i came
    struct Asked {
        size_t field;
        int instance;
        size_t place;
        double scale;
    };
    std::vector<Asked> asked;    // fields asked for (readDataflashFields)
    struct Kept {
        size_t field;
        std::array<int, MAX_INSTANCE + 1> place; // in the kept series, by instance; -1 before the first
    };
    std::vector<Kept> kept;      // fields kept while reading
};

bool isInstanceColumn(const std::string& column)
{
    return column == "I" || column == "Instance" || column == "Inst" || column == "IMU" || column == "C";
}

int sizeOfKind(char c)
{
    switch (c) {
    case 'b': case 'B': case 'M': return 1;
    case 'h': case 'H': case 'c': case 'C': return 2;
    case 'i': case 'I': case 'f': case 'e': case 'E': case 'L': case 'n': return 4;
    case 'd': case 'q': case 'Q': return 8;
    case 'N': return 16;
    case 'Z': case 'a': return 64;
    default: return 0;
    }
}

bool isIntegerKind(char c)
{
    return c != 0 && std::strchr("bBMhHcCiIeELqQ", c) != nullptr;
}

double valueOf(const uint8_t* p, char c)
{
    switch (c) {
    case 'b': return static_cast<int8_t>(*p);
    case 'B': case 'M': return *p;
    case 'h': return readLE<int16_t>(p);
    case 'H': return readLE<uint16_t>(p);
    case 'c': return readLE<int16_t>(p) * 0.01;
    case 'C': return readLE<uint16_t>(p) * 0.01;
    case 'i': return readLE<int32_t>(p);
    case 'I': return readLE<uint32_t>(p);
    case 'e': return readLE<int32_t>(p) * 0.01;
    case 'E': return readLE<uint32_t>(p) * 0.01;
    case 'L': return readLE<int32_t>(p) * 1e-7;
    case 'f': return readLE<float>(p);
    case 'd': return readLE<double>(p);
    case 'q': return static_cast<double>(readLE<int64_t>(p));
    case 'Q': return static_cast<double>(readLE<uint64_t>(p));
    default: return NAN;
    }
}

// The first field of type called column; nullptr where it has none.
const Field* fieldNamed(const Type& type, const char* column)
{
    for (size_t i = 0; i < type.fields.size(); ++i)
        if (type.columns[i] == column)
            return &type.fields[i];
    return nullptr;
}

// The instance a message of type tells (0 for a type without one); -1 for
// one out of the range told apart, which no field of the catalogue names.
int instanceOf(const Type& type, const uint8_t* body)
{
    if (type.instanceField < 0)
        return 0;
    const Field& field = type.fields[static_cast<size_t>(type.instanceField)];
    const double value = valueOf(body + field.offset, field.kind);
    return value >= 0 && value <= MAX_INSTANCE ? static_cast<int>(value) : -1;
}

Kind kindOfName(const std::string& name)
{
    static const std::pair<const char*, Kind> names[] = {
        {"GPS", Kind::gps}, {"ATT", Kind::att},   {"POS", Kind::pos},   {"BAT", Kind::bat},  {"CURR", Kind::curr},
        {"BARO", Kind::baro}, {"RCIN", Kind::rcin}, {"RCOU", Kind::rcou}, {"MSG", Kind::msg},
        {"MODE", Kind::mode}, {"EV", Kind::ev},     {"ERR", Kind::err},
        {"UNIT", Kind::unit}, {"MULT", Kind::mult}, {"FMTU", Kind::units},
    };
    for (const auto& [text, kind] : names)
        if (name == text)
            return kind;
    return Kind::none;
}

std::string fixedText(const uint8_t* p, size_t n)
{
    return std::string(reinterpret_cast<const char*>(p), strnlen(reinterpret_cast<const char*>(p), n));
}

int roleOfColumn(const std::string& column, Kind kind)
{
    static const std::pair<const char*, int> common[] = {
        {"TimeUS", timeUs}, {"TimeMS", timeMs}, {"T", gpsT}, {"Status", status}, {"Lat", lat}, {"Lng", lng},
        {"Alt", alt}, {"Spd", spd}, {"NSats", nsats}, {"Week", week}, {"GWk", week}, {"GMS", tow},
        {"I", instance}, {"Inst", instance}, {"Instance", instance}, {"Roll", roll}, {"Pitch", pitch}, {"Yaw", yaw},
        {"Volt", volt}, {"Curr", curr}, {"CurrTot", currTot}, {"Message", message},
    };
    for (const auto& [name, role] : common)
        if (column == name)
            return role;
    static const std::pair<const char*, int> happenings[] = {
        {"Mode", modeValue}, {"ModeNum", modeNumber}, {"Id", eventId}, {"Subsys", errorSubsystem}, {"ECode", errorCode},
    };
    if (kind == Kind::mode || kind == Kind::ev || kind == Kind::err)
        for (const auto& [name, role] : happenings)
            if (column == name)
                return role;
    if (kind == Kind::rcin || kind == Kind::rcou) {
        for (int ch = 0; ch < 5; ++ch)
            if (column == "C" + std::to_string(ch + 1) || column == "Ch" + std::to_string(ch + 1))
                return channel1 + ch;
    }
    return -1;
}

// Seconds between GPS time and UTC: the leap seconds since 1980, by the UTC
// date they took effect.
double leapSeconds(double unixGps)
{
    static const std::pair<double, double> steps[] = {
        {1483228800, 18}, {1435708800, 17}, {1341100800, 16}, {1230768000, 15}, {1136073600, 14}};
    for (const auto& [since, leap] : steps)
        if (unixGps - leap >= since)
            return leap;
    return 13;
}

// Older logs keep volts and amps in plain integers, in hundredths.
double centiScale(const Type& type, int role)
{
    const int index = type.role[static_cast<size_t>(role)];
    if (index < 0)
        return 1.0;
    const char kind = type.fields[static_cast<size_t>(index)].kind;
    return std::strchr("hHiI", kind) ? 0.01 : 1.0;
}

class DataflashParser {
public:
    DataflashParser(ByteReader& in, const std::vector<FieldKey>& keep) : in_(in), keep_(keep) {}
    // Reads only the fields asked for (FieldInfo of this file's catalogue).
    DataflashParser(ByteReader& in, const std::vector<const FieldInfo*>& asked) : in_(in), asked_(&asked), answer_(asked.size()) {}
    Flight run();
    std::vector<Series> answer();

private:
    void handle(const uint8_t* message);
    void define(const uint8_t* body);
    void sample(const Type& type, const uint8_t* body);
    void text(const std::string& message);
    void happening(const Type& type, const uint8_t* body, double t);
    void planMessage(const Type& type, const uint8_t* body, double t);
    void seen(Type& type, const uint8_t* body);
    void askFields(Type& type) const;
    void units(const Type& type, const uint8_t* body);
    double timeOf(const Type& type, const uint8_t* body) const;
    void take(const Type& type, const uint8_t* body);
    void catalogue(const Type& type, std::vector<FieldInfo>& fields) const;
    std::shared_ptr<const FieldCatalogue> catalogue() const;
    bool knownHeader(const uint8_t* h) const { return h[0] == HEAD1 && h[1] == HEAD2 && types_[h[2]].known; }

    ByteReader& in_;
    std::array<Type, 256> types_;
    SeriesBucket gps_, pos_, bat_, curr_, rest_;
    std::string firmware_;
    VehicleKind vehicle_ = VehicleKind::unknown;
    std::string frame_;
    DamageCount damage_;
    FlightHappenings happenings_;
    DataflashPlan plan_;
    double lastT_ = 0.0; // of the last message with a time, for those without
    std::vector<Type> retired_; // types defined again after messages came
    std::array<std::string, 256> unitLabel_;        // by UNIT id character
    std::array<double, 256> multiplier_{};          // by MULT id character; 0 where unknown
    std::array<std::pair<std::string, std::string>, 256> fieldUnits_; // by type id: FMTU unit and multiplier ids
    const std::vector<const FieldInfo*>* asked_ = nullptr;
    std::vector<ThinnedSeries<Sample>> answer_;
    std::vector<FieldKey> keep_;
    std::vector<std::string> keptNames_; // of answer_[i] when keeping
    void keepFields(Type& type) const;
    void keepValues(Type& type, const uint8_t* body);
};

Flight DataflashParser::run()
{
    types_[FMT_TYPE].known = true;
    types_[FMT_TYPE].length = FMT_LENGTH;
    Flight out;
    static const uint8_t HEAD[2] = {HEAD1, HEAD2};
    bool anyMessage = false;
    for (;;) {
        const uint64_t at = in_.offset();
        const uint8_t* h = in_.peek(3);
        if (!h) {
            if (in_.buffered() > 0)
                out.notes.push_back(truncationNote(at, in_.buffered(), 3));
            break;
        }
        if (!knownHeader(h)) {
            bool found = false;
            in_.skip(1);
            while (!found && in_.seek(HEAD, 2)) {
                const uint8_t* next = in_.peek(3);
                found = next && knownHeader(next);
                if (!found)
                    in_.skip(1);
            }
            damage_.add(at, in_.offset() - at, !found);
            continue;
        }
        anyMessage = true;
        uint8_t length = types_[h[2]].length;
        const uint8_t* message = in_.peek(length);
        if (!message) {
            out.notes.push_back(truncationNote(at, in_.buffered(), length));
            break;
        }
        // The messages that follow whole within the window are read from it
        // straight away: one look-up and one move per window, not per message.
        const size_t window = in_.buffered();
        size_t used = 0;
        do {
            handle(message + used);
            used += length;
        } while (used + 3 <= window && knownHeader(message + used)
                 && used + (length = types_[message[used + 2]].length) <= window);
        in_.skip(used);
    }
    if (!anyMessage)
        throw tools::ToolError("not a DataFlash log: it holds no format message");
    if (damage_.stretches > 0)
        out.notes.push_back(damage_.note("the next message header"));
    if (asked_)
        return out;
    out.fields = catalogue();
    if (!keep_.empty()) {
        // The log's multipliers are known only now (FMTU may come late).
        for (size_t i = 0; i < answer_.size(); ++i)
            if (const FieldInfo* info = out.fields->find(keptNames_[i]))
                if (info->scale != 1.0)
                    for (Sample& sample : answer_[i].samples)
                        sample.value *= info->scale;
        out.fieldSource = keptFieldSource(keptNames_, answer_);
    }

    out.format = FlightFormat::dataflash;
    if (!gps_.position.empty()) {
        out.position = std::move(gps_.position.samples);
        out.positionSource = "GPS";
    } else if (!pos_.position.empty()) {
        out.position = std::move(pos_.position.samples);
        out.positionSource = "POS";
    }
    out.groundSpeed = std::move(gps_.groundSpeed.samples);
    out.satellites = std::move(gps_.satellites.samples);
    out.fixMode = std::move(gps_.fixMode.samples);
    out.utcAtClockZero = gps_.utcAtClockZero;
    SeriesBucket& battery = bat_.voltage.empty() ? curr_ : bat_;
    out.voltage = std::move(battery.voltage.samples);
    out.current = std::move(battery.current.samples);
    out.mah = std::move(battery.mah.samples);
    out.attitude = std::move(rest_.attitude.samples);
    out.baroAlt = std::move(rest_.baroAlt.samples);
    for (size_t i = 0; i < out.rcIn.size(); ++i)
        out.rcIn[i] = std::move(rest_.rcIn[i].samples);
    for (size_t i = 0; i < out.servoOut.size(); ++i)
        out.servoOut[i] = std::move(rest_.servoOut[i].samples);
    out.firmware = firmware_;
    out.vehicle = vehicle_;
    if (!frame_.empty() && (out.vehicle == VehicleKind::unknown || out.vehicle == VehicleKind::fixedWing)) {
        const bool heli = frame_.find("HELI") != std::string::npos;
        out.vehicle = heli                                     ? VehicleKind::helicopter
                      : out.vehicle == VehicleKind::fixedWing ? VehicleKind::vtol
                                                              : VehicleKind::multicopter;
    }
    happenings_.moveInto(out);
    plan_.moveInto(out);
    for (ModeChange& mode : out.modes)
        if (mode.name.empty())
            mode.name = ardupilotModeName(out.vehicle, mode.code);
    return out;
}

void DataflashParser::handle(const uint8_t* message)
{
    Type& type = types_[message[2]];
    if (message[2] == FMT_TYPE) {
        define(message + 3);
        return;
    }
    if (type.kind == Kind::unit || type.kind == Kind::mult || type.kind == Kind::units) {
        units(type, message + 3);
    } else if (asked_) {
        if (!type.asked.empty())
            take(type, message + 3);
    } else {
        seen(type, message + 3);
        if (!type.kept.empty())
            keepValues(type, message + 3);
        if (type.kind != Kind::none)
            sample(type, message + 3);
    }
}

void DataflashParser::seen(Type& type, const uint8_t* body)
{
    const int instance = instanceOf(type, body);
    if (instance >= 0)
        type.seenInstances |= 1u << instance;
}

// UNIT and MULT name the characters FMTU gives each field of a type.
void DataflashParser::units(const Type& type, const uint8_t* body)
{
    const Field* id = fieldNamed(type, type.kind == Kind::units ? "FmtType" : "Id");
    if (!id || sizeOfKind(id->kind) != 1)
        return;
    const uint8_t key = body[id->offset];
    const auto text = [&](const char* name) {
        const Field* f = fieldNamed(type, name);
        return f && std::strchr("nNZ", f->kind) ? fixedText(body + f->offset, static_cast<size_t>(sizeOfKind(f->kind))) : std::string();
    };
    if (type.kind == Kind::unit) {
        unitLabel_[key] = text("Label");
    } else if (type.kind == Kind::mult) {
        const Field* f = fieldNamed(type, "Mult");
        const double m = f ? valueOf(body + f->offset, f->kind) : NAN;
        multiplier_[key] = std::isfinite(m) ? m : 0.0;
    } else {
        fieldUnits_[key] = {text("UnitIds"), text("MultIds")};
    }
}

double DataflashParser::timeOf(const Type& type, const uint8_t* body) const
{
    const auto v = [&](int role) {
        const Field& field = type.slot[static_cast<size_t>(role)];
        return field.kind != 0 ? valueOf(body + field.offset, field.kind) : NAN;
    };
    if (type.role[timeUs] >= 0)
        return v(timeUs) * 1e-6;
    if (type.kind == Kind::gps && type.role[gpsT] >= 0)
        return v(gpsT) * 1e-3;
    return v(timeMs) * 1e-3;
}

void DataflashParser::take(const Type& type, const uint8_t* body)
{
    const double t = timeOf(type, body);
    if (!std::isfinite(t))
        return;
    const int instance = instanceOf(type, body);
    if (instance < 0)
        return;
    for (const Type::Asked& asked : type.asked)
        if (asked.instance == instance) {
            const Field& field = type.fields[asked.field];
            addValue(answer_[asked.place], t, valueOf(body + field.offset, field.kind) * asked.scale);
        }
}

void DataflashParser::keepFields(Type& type) const
{
    for (size_t i = 0; i < type.fields.size(); ++i)
        if (keeps(keep_, type.name, type.columns[i])) {
            Type::Kept kept{i, {}};
            kept.place.fill(-1);
            type.kept.push_back(kept);
        }
}

void DataflashParser::keepValues(Type& type, const uint8_t* body)
{
    const double t = timeOf(type, body);
    if (!std::isfinite(t))
        return;
    const int instance = instanceOf(type, body);
    if (instance < 0)
        return;
    for (Type::Kept& kept : type.kept) {
        int& place = kept.place[static_cast<size_t>(instance)];
        if (place < 0) {
            place = static_cast<int>(answer_.size());
            answer_.emplace_back();
            keptNames_.push_back(fieldName(type.name, instance, type.columns[kept.field]));
        }
        const Field& field = type.fields[kept.field];
        addValue(answer_[static_cast<size_t>(place)], t, valueOf(body + field.offset, field.kind));
    }
}

void DataflashParser::catalogue(const Type& type, std::vector<FieldInfo>& fields) const
{
    if (type.seenInstances == 0 || type.name.empty())
        return;
    const auto& [unitIds, multIds] = fieldUnits_[type.id];
    for (size_t i = 0; i < type.fields.size(); ++i) {
        const char kind = type.fields[i].kind;
        const std::string& column = type.columns[i];
        if (std::strchr("nNZa", kind) || column.empty() || column == "TimeUS" || column == "TimeMS")
            continue;
        std::string unit;
        double scale = 1.0;
        if (i < unitIds.size())
            unit = unitLabel_[static_cast<uint8_t>(unitIds[i])];
        // c, C, e, E and L carry their scale in the character; plain
        // integers are stored multiplied and read back with the log's factor.
        if (i < multIds.size() && std::strchr("bBhHiIqQ", kind)) {
            const double m = multiplier_[static_cast<uint8_t>(multIds[i])];
            if (m > 0 && std::isfinite(m))
                scale = m;
        }
        for (int instance = 0; instance <= MAX_INSTANCE; ++instance)
            if ((type.seenInstances & (1u << instance)) && fields.size() < MAX_FIELDS)
                fields.push_back({fieldName(type.name, instance, column), type.name, instance, column, unit, scale});
    }
}

std::shared_ptr<const FieldCatalogue> DataflashParser::catalogue() const
{
    std::vector<FieldInfo> fields;
    for (const Type& type : types_)
        catalogue(type, fields);
    for (const Type& type : retired_)
        catalogue(type, fields);
    return std::make_shared<const FieldCatalogue>(std::move(fields));
}

std::vector<Series> DataflashParser::answer()
{
    run();
    return samplesOf(answer_);
}

void DataflashParser::define(const uint8_t* body)
{
    const uint8_t id = body[0];
    const uint8_t length = body[1];
    if (id == FMT_TYPE || length < 3)
        return;
    Type type;
    type.known = true;
    type.length = length;
    const std::string name = fixedText(body + 2, 4);
    type.kind = kindOfName(name);
    if (const std::optional<PlanMessage> plan = planMessageOf(name)) {
        type.kind = Kind::plan;
        type.planMessage = *plan;
    }
    type.role.fill(-1);
    const std::string format = fixedText(body + 6, 16);
    const std::string columns = fixedText(body + 22, 64);
    size_t start = 0;
    unsigned offset = 0;
    for (char c : format) {
        const size_t comma = columns.find(',', start);
        const std::string column = columns.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        start = comma == std::string::npos ? columns.size() : comma + 1;
        const int size = sizeOfKind(c);
        if (size == 0)
            break;
        const int role = roleOfColumn(column, type.kind);
        if (role >= 0 && type.role[static_cast<size_t>(role)] < 0) {
            type.role[static_cast<size_t>(role)] = static_cast<int>(type.fields.size());
        }
        type.fields.push_back({c, static_cast<uint16_t>(offset)});
        type.columns.push_back(column);
        if (type.instanceField < 0 && isInstanceColumn(column) && sizeOfKind(c) <= 2 && isIntegerKind(c))
            type.instanceField = static_cast<int>(type.fields.size()) - 1;
        offset += static_cast<unsigned>(size);
    }
    // Where every format character is known the layout fixes the length: a
    // damaged length byte must not make every later message misread.
    if (type.fields.size() == format.size() && offset + 3 <= 255)
        type.length = static_cast<uint8_t>(offset + 3);
    while (!type.fields.empty() && type.fields.back().offset + sizeOfKind(type.fields.back().kind) + 3 > type.length)
        type.fields.pop_back();
    type.columns.resize(type.fields.size());
    for (int& role : type.role)
        if (role >= static_cast<int>(type.fields.size()))
            role = -1;
    const auto integer = [&](int role) {
        const int index = type.role[static_cast<size_t>(role)];
        return index >= 0 && isIntegerKind(type.fields[static_cast<size_t>(index)].kind);
    };
    for (size_t role = 0; role < type.role.size(); ++role)
        if (type.role[role] >= 0)
            type.slot[role] = type.fields[static_cast<size_t>(type.role[role])];
    type.attitudeAlwaysValid = type.kind == Kind::att && type.role[instance] < 0
                               && integer(type.role[timeUs] >= 0 ? timeUs : timeMs) && integer(roll) && integer(pitch)
                               && integer(yaw);
    if (type.instanceField >= static_cast<int>(type.fields.size()))
        type.instanceField = -1;
    type.name = name;
    type.id = id;
    if (asked_)
        askFields(type);
    else if (!keep_.empty())
        keepFields(type);
    if (types_[id].seenInstances != 0 && retired_.size() < 256)
        retired_.push_back(std::move(types_[id]));
    types_[id] = std::move(type);
}

void DataflashParser::askFields(Type& type) const
{
    for (size_t place = 0; place < asked_->size(); ++place) {
        const FieldInfo& asked = *(*asked_)[place];
        if (asked.message != type.name)
            continue;
        for (size_t i = 0; i < type.fields.size(); ++i)
            if (type.columns[i] == asked.field)
                type.asked.push_back({i, asked.instance, place, asked.scale});
    }
}

void DataflashParser::sample(const Type& type, const uint8_t* body)
{
    // Attitude comes most often and fills its stream first: most of a long
    // log's are dropped, and need not be read.
    if (type.attitudeAlwaysValid && !rest_.attitude.keepsNext()) {
        rest_.attitude.pass();
        return;
    }
    const auto has = [&](int role) { return type.role[static_cast<size_t>(role)] >= 0; };
    const auto v = [&](int role) {
        const Field& field = type.slot[static_cast<size_t>(role)];
        return field.kind != 0 ? valueOf(body + field.offset, field.kind) : NAN;
    };
    // Older logs stamp GPS with the time of week in TimeMS and the boot
    // clock in T; everything else runs on the boot clock.
    double t;
    double towMs = v(tow);
    if (has(timeUs)) {
        t = v(timeUs) * 1e-6;
    } else if (type.kind == Kind::gps && has(gpsT)) {
        t = v(gpsT) * 1e-3;
        towMs = v(timeMs);
    } else {
        t = v(timeMs) * 1e-3;
    }
    if (type.kind == Kind::plan) {
        planMessage(type, body, std::isfinite(t) ? t : lastT_);
        return;
    }
    if (type.kind == Kind::msg || type.kind == Kind::mode || type.kind == Kind::ev || type.kind == Kind::err) {
        happening(type, body, std::isfinite(t) ? t : lastT_);
        return;
    }
    if (!std::isfinite(t))
        return;
    lastT_ = t;
    if (has(instance) && v(instance) != 0.0)
        return;
    switch (type.kind) {
    case Kind::gps: {
        const double fix = v(status);
        const double la = v(lat), lo = v(lng), al = v(alt);
        if (fix >= 3 && std::fabs(la) <= 90 && std::fabs(lo) <= 180 && std::isfinite(al) && (la != 0 || lo != 0))
            gps_.position.add({t, la, lo, al});
        addValue(gps_.groundSpeed, t, v(spd));
        addValue(gps_.satellites, t, v(nsats));
        addValue(gps_.fixMode, t, fix);
        const double wk = v(week);
        if (fix >= 3 && wk > 0 && std::isfinite(towMs) && std::isnan(gps_.utcAtClockZero)) {
            const double gpsUnix = 315964800.0 + wk * 604800.0 + towMs * 1e-3;
            gps_.utcAtClockZero = gpsUnix - leapSeconds(gpsUnix) - t;
        }
        break;
    }
    case Kind::pos: {
        const double la = v(lat), lo = v(lng), al = v(alt);
        if (std::fabs(la) <= 90 && std::fabs(lo) <= 180 && std::isfinite(al) && (la != 0 || lo != 0))
            pos_.position.add({t, la, lo, al});
        break;
    }
    case Kind::att: {
        const double r = v(roll), p = v(pitch), y = v(yaw);
        if (std::isfinite(r) && std::isfinite(p) && std::isfinite(y))
            rest_.attitude.add({t, r * RADIANS_PER_DEGREE, p * RADIANS_PER_DEGREE, y * RADIANS_PER_DEGREE});
        break;
    }
    case Kind::bat:
    case Kind::curr: {
        SeriesBucket& b = type.kind == Kind::bat ? bat_ : curr_;
        addValue(b.voltage, t, v(volt) * centiScale(type, volt));
        addValue(b.current, t, v(curr) * centiScale(type, curr));
        addValue(b.mah, t, v(currTot));
        break;
    }
    case Kind::baro: addValue(rest_.baroAlt, t, v(alt)); break;
    case Kind::rcin:
    case Kind::rcou:
        for (int ch = 0; ch < 5; ++ch) {
            if (type.kind == Kind::rcou && ch >= 4)
                break;
            ThinnedSeries<Sample>& s = type.kind == Kind::rcin ? rest_.rcIn[static_cast<size_t>(ch)] : rest_.servoOut[static_cast<size_t>(ch)];
            addValue(s, t, v(channel1 + ch));
        }
        break;
    default: break;
    }
}

void DataflashParser::happening(const Type& type, const uint8_t* body, double t)
{
    const auto field = [&](int role) -> const Field* {
        const int index = type.role[static_cast<size_t>(role)];
        return index < 0 ? nullptr : &type.fields[static_cast<size_t>(index)];
    };
    const auto number = [&](int role) {
        const Field* f = field(role);
        return f ? valueOf(body + f->offset, f->kind) : NAN;
    };
    const auto textOf = [&](const Field* f) { return fixedText(body + f->offset, static_cast<size_t>(sizeOfKind(f->kind))); };
    switch (type.kind) {
    case Kind::msg:
        if (const Field* f = field(message)) {
            const std::string line = textOf(f);
            text(line);
            happenings_.message(t, 6, line);
        }
        break;
    case Kind::mode: {
        // The oldest logs name the mode in text; the rest give its number,
        // named once the vehicle is known.
        const Field* value = field(modeValue);
        const bool named = value && std::strchr("nNZ", value->kind);
        const double code = field(modeNumber) ? number(modeNumber) : named ? NAN : number(modeValue);
        if (named)
            happenings_.mode(t, std::isfinite(code) ? static_cast<int>(code) : -1, textOf(value));
        else if (std::isfinite(code))
            happenings_.mode(t, static_cast<int>(code), "");
        break;
    }
    case Kind::ev: {
        const double id = number(eventId);
        if (!std::isfinite(id))
            break;
        const int code = static_cast<int>(id);
        if (code == 10 || code == 15)
            happenings_.event({t, FlightEventKind::armed, true});
        else if (code == 11)
            happenings_.event({t, FlightEventKind::disarmed, true});
        else if (code == 18)
            happenings_.event({t, FlightEventKind::landing, true});
        else if (code == 28)
            happenings_.event({t, FlightEventKind::takeoff, true});
        else
            happenings_.message(t, 6, ardupilotEventName(code));
        break;
    }
    case Kind::err: {
        const double subsystem = number(errorSubsystem), code = number(errorCode);
        if (!std::isfinite(subsystem) || !std::isfinite(code))
            break;
        const std::string name = ardupilotErrorSubsystem(static_cast<int>(subsystem));
        happenings_.message(t, 3, code == 0.0 ? "Error resolved: " + name
                                               : "Error: " + name + " (code " + std::to_string(static_cast<int>(code)) + ")");
        break;
    }
    default: break;
    }
}

void DataflashParser::planMessage(const Type& type, const uint8_t* body, double t)
{
    plan_.add(type.planMessage, t, [&](const char* column) {
        const Field* field = fieldNamed(type, column);
        return field ? valueOf(body + field->offset, field->kind) : NAN;
    });
}

void DataflashParser::text(const std::string& message)
{
    static const std::pair<const char*, VehicleKind> vehicles[] = {
        {"ArduPlane", VehicleKind::fixedWing},   {"ArduCopter", VehicleKind::multicopter},
        {"ArduRover", VehicleKind::rover},       {"APMrover2", VehicleKind::rover},
        {"ArduSub", VehicleKind::submarine},     {"ArduHeli", VehicleKind::helicopter},
        {"APM:Plane", VehicleKind::fixedWing},   {"APM:Copter", VehicleKind::multicopter},
        {"APM:Rover", VehicleKind::rover},
    };
    if (firmware_.empty()) {
        for (const auto& [name, vehicle] : vehicles) {
            if (message.rfind(name, 0) == 0) {
                firmware_ = message.substr(0, message.find(" ("));
                vehicle_ = message.find("Heli") != std::string::npos ? VehicleKind::helicopter : vehicle;
            }
        }
    }
    if (message.rfind("Frame: ", 0) == 0 && frame_.empty())
        frame_ = message.substr(7);
}

} // namespace

Flight readDataflash(ByteReader& in, const std::vector<FieldKey>& keep)
{
    DataflashParser parser(in, keep);
    return parser.run();
}

std::vector<Series> readDataflashFields(ByteReader& in, const std::vector<const FieldInfo*>& fields)
{
    DataflashParser parser(in, fields);
    return parser.answer();
}

size_t dataflashEvidence(const std::string& head)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(head.data());
    const size_t size = head.size();
    const auto isHeader = [&](size_t at) { return at + 3 <= size && bytes[at] == HEAD1 && bytes[at + 1] == HEAD2; };
    size_t best = 0;
    for (size_t start = 0; start + 3 <= size && best < size - start; ++start) {
        if (!isHeader(start) || bytes[start + 2] != FMT_TYPE)
            continue;
        std::array<uint8_t, 256> lengths{};
        lengths[FMT_TYPE] = FMT_LENGTH;
        size_t at = start;
        int messages = 0;
        while (isHeader(at) && lengths[bytes[at + 2]] != 0) {
            const uint8_t* message = bytes + at;
            const size_t length = lengths[message[2]];
            if (message[2] == FMT_TYPE && at + length <= size && message[4] >= 3 && message[3] != FMT_TYPE)
                lengths[message[3]] = message[4];
            at += length;
            ++messages;
        }
        at = std::min(at, size);
        // A lone header in the middle of other bytes is chance; one at the
        // start, or a chain, is a log.
        if ((start == 0 || messages >= 2) && at - start > best)
            best = at - start;
    }
    return best;
}

} // namespace flightreplay::readers
