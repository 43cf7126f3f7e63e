#include "tools/readers/tlog_vehicle.h"

#include <array>
#include <bitset>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <type_traits>

#include "log/geography.h"
#include "log/units.h"
#include "tools/readers/autopilot_names.h"
#include "tools/readers/mavlink_definitions.h"

namespace flightreplay::readers {

using namespace flight;
using namespace mavlink;

namespace {

constexpr int AUTOPILOT_NONE = 8;
constexpr int AUTOPILOT_PX4 = 12;
constexpr int AUTOPILOT_ARDUPILOT = 3;
constexpr int BASE_MODE_CUSTOM = 1;
constexpr int BASE_MODE_ARMED = 128;
constexpr double UNKNOWN_U16 = 65535.0;
constexpr size_t SHOTS_CAP = HAPPENINGS_CAP;
constexpr size_t STATUSTEXT_LENGTH = 50;

const Field& field(MessageId id, const char* name)
{
    return fieldOf(*messageOf(id), name);
}

// What packet() reads of a message, by id: looked up for every packet.
struct IdReading {
    int bootOffset = -1; // of its time_boot_ms (uint32), -1 without one
    bool onlyAField = false; // nothing but that it came (its fields)
};

std::array<IdReading, 256> idReadings()
{
    std::array<IdReading, 256> out;
    for (uint32_t id = 0; id < 256; ++id)
        if (const Message* m = messageOf(id))
            for (size_t f = 0; f < m->fieldCount; ++f)
                if (std::string(m->fields[f].name) == "time_boot_ms" && m->fields[f].type == FieldType::u32)
                    out[id].bootOffset = m->fields[f].offset;
    for (const Message& m : healthMessages())
        out[m.id].onlyAField = out[m.id].bootOffset < 0;
    out[CAMERA_TRIGGER].onlyAField = true;
    return out;
}

const std::array<IdReading, 256> ID_READINGS = idReadings();

// A field of the table read as the type it has there, checked once where
// it is looked up rather than at every packet.
template <typename T>
struct Typed {
    size_t offset;
    size_t count; // elements of an array
    // Element index of a payload of length bytes as it came.
    double operator()(const uint8_t* payload, size_t length, size_t index = 0) const
    {
        const size_t at = offset + sizeof(T) * index;
        if (at + sizeof(T) <= length)
            return static_cast<double>(readLE<T>(payload + at));
        // The zeros MAVLink 2 dropped from the payload's end.
        uint8_t bytes[sizeof(T)] = {};
        if (at < length)
            std::memcpy(bytes, payload + at, length - at);
        return static_cast<double>(readLE<T>(bytes));
    }
};

template <typename T>
constexpr FieldType typeOf()
{
    return std::is_same_v<T, uint8_t>    ? FieldType::u8
           : std::is_same_v<T, int8_t>   ? FieldType::i8
           : std::is_same_v<T, uint16_t> ? FieldType::u16
           : std::is_same_v<T, int16_t>  ? FieldType::i16
           : std::is_same_v<T, uint32_t> ? FieldType::u32
           : std::is_same_v<T, int32_t>  ? FieldType::i32
           : std::is_same_v<T, uint64_t> ? FieldType::u64
                                         : FieldType::f32;
}

template <typename T>
Typed<T> typed(MessageId id, const char* name)
{
    const Field& f = field(id, name);
    if (f.type != typeOf<T>())
        throw std::logic_error(std::string(name) + " is read as another type than the table's");
    return {f.offset, f.count};
}

bool validFix(double lat, double lon, double alt)
{
    // Before the estimator has an origin it reports 0, 0.
    return hasPlace(lat, lon) && std::isfinite(alt);
}

// An RC or servo pulse: 0 and UINT16_MAX mean the channel is not in use.
void addPulse(ThinnedSeries<Sample>& series, double t, double us)
{
    if (us > 0.0 && us < UNKNOWN_U16)
        series.add({t, us});
}

std::string firmwareOfText(const std::string& text)
{
    static const char* names[] = {"ArduPlane", "ArduCopter", "ArduRover", "ArduSub", "APM:Plane", "APM:Copter",
                                  "APM:Rover", "AntennaTracker", "Blimp", "PX4"};
    for (const char* name : names)
        if (text.rfind(name, 0) == 0)
            return text.substr(0, text.find(" ("));
    return "";
}

} // namespace

double TlogVehicle::timeOf(double stamp, const Message& message, const uint8_t* payload, size_t length)
{
    const int boot = ID_READINGS[message.id].bootOffset;
    if (boot < 0)
        return clock_.packet(stamp, NAN);
    return clock_.packet(stamp, Typed<uint32_t>{static_cast<size_t>(boot), 1}(payload, length) * 1e-3);
}

void TlogVehicle::fields(double t, const Message& message, const uint8_t* payload, size_t length)
{
    if (!messages_[message.id]) {
        messages_[message.id] = true;
        unread_[message.id] = !request_ && !(kept_ && kept_->wants(message.id)) && ID_READINGS[message.id].onlyAField;
    }
    if (request_ && request_->wants(message.id))
        request_->take(t, message.id, payload, length);
    if (kept_ && kept_->wants(message.id))
        kept_->take(t, message.id, payload, length);
}

void TlogVehicle::packet(double stamp, int component, const Message& message, const uint8_t* payload, size_t length)
{
    if (message.id == HEARTBEAT) {
        const double t = clock_.packet(stamp, NAN);
        heartbeat(t, component, payload);
        if (component == vehicleComponent_)
            fields(t, message, payload, length);
        return;
    }
    if (vehicleComponent_ >= 0 && component != vehicleComponent_) {
        clock_.packet(stamp, NAN);
        return;
    }
    const double t = timeOf(stamp, message, payload, length);
    fields(t, message, payload, length);
    const auto v = [&](const auto& f, size_t index = 0) { return f(payload, length, index); };
    switch (message.id) {
    case SYS_STATUS: {
        static const auto voltage = typed<uint16_t>(SYS_STATUS, "voltage_battery");
        static const auto current = typed<int16_t>(SYS_STATUS, "current_battery");
        if (v(voltage) < UNKNOWN_U16)
            addValue(battery_.voltage, t, v(voltage) * 1e-3);
        if (v(current) >= 0.0)
            addValue(battery_.current, t, v(current) * 1e-2);
        break;
    }
    case SYSTEM_TIME: {
        static const auto utc = typed<uint64_t>(SYSTEM_TIME, "time_unix_usec");
        static const auto boot = typed<uint32_t>(SYSTEM_TIME, "time_boot_ms");
        clock_.systemTime(v(utc) * 1e-6, v(boot) * 1e-3);
        break;
    }
    case GPS_RAW_INT: {
        static const auto lat = typed<int32_t>(GPS_RAW_INT, "lat");
        static const auto lon = typed<int32_t>(GPS_RAW_INT, "lon");
        static const auto alt = typed<int32_t>(GPS_RAW_INT, "alt");
        static const auto vel = typed<uint16_t>(GPS_RAW_INT, "vel");
        static const auto fix = typed<uint8_t>(GPS_RAW_INT, "fix_type");
        static const auto satellites = typed<uint8_t>(GPS_RAW_INT, "satellites_visible");
        const double la = v(lat) * 1e-7, lo = v(lon) * 1e-7, al = v(alt) * 1e-3;
        // Where a better source already speaks, this one is not kept.
        if (v(fix) >= 3 && validFix(la, lo, al) && global_.position.empty())
            gps_.position.add({t, la, lo, al});
        addValue(gps_.fixMode, t, v(fix));
        if (v(satellites) < 255)
            addValue(gps_.satellites, t, v(satellites));
        if (v(vel) < UNKNOWN_U16 && hud_.groundSpeed.empty())
            addValue(gps_.groundSpeed, t, v(vel) * 1e-2);
        break;
    }
    case ATTITUDE: {
        static const auto roll = typed<float>(ATTITUDE, "roll");
        static const auto pitch = typed<float>(ATTITUDE, "pitch");
        static const auto yaw = typed<float>(ATTITUDE, "yaw");
        const double r = v(roll), p = v(pitch), y = v(yaw);
        if (std::isfinite(r) && std::isfinite(p) && std::isfinite(y))
            rest_.attitude.add({t, r, p, y});
        else
            rest_.attitude.pass();
        break;
    }
    case GLOBAL_POSITION_INT: {
        static const auto lat = typed<int32_t>(GLOBAL_POSITION_INT, "lat");
        static const auto lon = typed<int32_t>(GLOBAL_POSITION_INT, "lon");
        static const auto alt = typed<int32_t>(GLOBAL_POSITION_INT, "alt");
        const double la = v(lat) * 1e-7, lo = v(lon) * 1e-7, al = v(alt) * 1e-3;
        if (validFix(la, lo, al))
            global_.position.add({t, la, lo, al});
        break;
    }
    case RC_CHANNELS_RAW:
    case RC_CHANNELS: {
        static const auto raw = typed<uint16_t>(RC_CHANNELS_RAW, "chan1_raw");
        static const auto port = typed<uint8_t>(RC_CHANNELS_RAW, "port");
        static const auto channels = typed<uint16_t>(RC_CHANNELS, "chan1_raw");
        const bool older = message.id == RC_CHANNELS_RAW;
        if (older && (v(port) != 0 || !rest_.rcIn[0].empty()))
            break;
        SeriesBucket& into = older ? rcRaw_ : rest_;
        for (size_t c = 0; c < into.rcIn.size(); ++c)
            addPulse(into.rcIn[c], t, v(older ? raw : channels, c));
        break;
    }
    case SERVO_OUTPUT_RAW: {
        static const auto servo = typed<uint16_t>(SERVO_OUTPUT_RAW, "servo1_raw");
        static const auto port = typed<uint8_t>(SERVO_OUTPUT_RAW, "port");
        if (v(port) != 0)
            break;
        for (size_t c = 0; c < rest_.servoOut.size(); ++c)
            addPulse(rest_.servoOut[c], t, v(servo, c));
        break;
    }
    case VFR_HUD: {
        static const auto airspeed = typed<float>(VFR_HUD, "airspeed");
        static const auto groundspeed = typed<float>(VFR_HUD, "groundspeed");
        addValue(hud_.airspeed, t, v(airspeed));
        addValue(hud_.groundSpeed, t, v(groundspeed));
        break;
    }
    case BATTERY_STATUS: {
        static const auto id = typed<uint8_t>(BATTERY_STATUS, "id");
        static const auto consumed = typed<int32_t>(BATTERY_STATUS, "current_consumed");
        static const auto current = typed<int16_t>(BATTERY_STATUS, "current_battery");
        static const auto voltages = typed<uint16_t>(BATTERY_STATUS, "voltages");
        if (v(id) != 0)
            break;
        if (v(consumed) >= 0.0)
            addValue(battery_.mah, t, v(consumed));
        if (v(current) >= 0.0 && battery_.current.empty())
            addValue(rest_.current, t, v(current) * 1e-2);
        if (!battery_.voltage.empty())
            break;
        double millivolts = 0.0;
        for (size_t cell = 0; cell < voltages.count && v(voltages, cell) < UNKNOWN_U16; ++cell)
            millivolts += v(voltages, cell);
        if (millivolts > 0.0)
            addValue(rest_.voltage, t, millivolts * 1e-3);
        break;
    }
    case MISSION_CURRENT:
    case MISSION_ITEM_REACHED: {
        static const auto current = typed<uint16_t>(MISSION_CURRENT, "seq");
        static const auto reached = typed<uint16_t>(MISSION_ITEM_REACHED, "seq");
        const bool isCurrent = message.id == MISSION_CURRENT;
        const int item = static_cast<int>(v(isCurrent ? current : reached));
        int& last = isCurrent ? missionCurrent_ : missionReached_;
        if (item != last && std::isfinite(t)) {
            FlightEvent event{t, isCurrent ? FlightEventKind::missionCurrent : FlightEventKind::missionReached, true};
            event.item = item;
            happenings_.event(event);
            last = item;
        }
        break;
    }
    case WIND: {
        static const auto direction = typed<float>(WIND, "direction");
        static const auto speed = typed<float>(WIND, "speed");
        if (std::isfinite(v(direction)) && std::isfinite(v(speed))) {
            addValue(windSpeed_, t, v(speed));
            addValue(windDirection_, t, wrapZeroTwoPi(v(direction) * RADIANS_PER_DEGREE) * DEGREES_PER_RADIAN);
        }
        break;
    }
    case TERRAIN_REPORT: {
        static const auto lat = typed<int32_t>(TERRAIN_REPORT, "lat");
        static const auto lon = typed<int32_t>(TERRAIN_REPORT, "lon");
        static const auto height = typed<float>(TERRAIN_REPORT, "terrain_height");
        static const auto above = typed<float>(TERRAIN_REPORT, "current_height");
        static const auto pending = typed<uint16_t>(TERRAIN_REPORT, "pending");
        static const auto loaded = typed<uint16_t>(TERRAIN_REPORT, "loaded");
        const double la = v(lat) * 1e-7, lo = v(lon) * 1e-7;
        if (!std::isfinite(t) || !validFix(la, lo, 0.0))
            break;
        // The heights mean something once the blocks around the vehicle are
        // in: none pending, some loaded, both heights numbers.
        const bool healthy = v(pending) == 0 && v(loaded) > 0 && std::isfinite(v(height))
                             && std::isfinite(v(above));
        terrain_.add({t, healthy ? 2 : 1, la, lo, healthy ? v(height) : NAN, healthy ? v(above) : NAN});
        break;
    }
    case CAMERA_FEEDBACK: {
        static const auto lat = typed<int32_t>(CAMERA_FEEDBACK, "lat");
        static const auto lon = typed<int32_t>(CAMERA_FEEDBACK, "lng");
        static const auto alt = typed<float>(CAMERA_FEEDBACK, "alt_msl");
        static const auto index = typed<uint16_t>(CAMERA_FEEDBACK, "img_idx");
        static const auto roll = typed<float>(CAMERA_FEEDBACK, "roll");
        static const auto pitch = typed<float>(CAMERA_FEEDBACK, "pitch");
        static const auto yaw = typed<float>(CAMERA_FEEDBACK, "yaw");
        const double la = v(lat) * 1e-7, lo = v(lon) * 1e-7;
        if (std::isfinite(t) && validFix(la, lo, v(alt)) && shots_.size() < SHOTS_CAP)
            shots_.push_back({t, static_cast<int>(v(index)), la, lo, v(alt), v(roll) * RADIANS_PER_DEGREE,
                              v(pitch) * RADIANS_PER_DEGREE, v(yaw) * RADIANS_PER_DEGREE});
        break;
    }
    case HOME_POSITION: {
        static const auto lat = typed<int32_t>(HOME_POSITION, "latitude");
        static const auto lon = typed<int32_t>(HOME_POSITION, "longitude");
        static const auto alt = typed<int32_t>(HOME_POSITION, "altitude");
        const double la = v(lat) * 1e-7, lo = v(lon) * 1e-7, al = v(alt) * 1e-3;
        if (validFix(la, lo, al) && (la != home_.latDeg || lo != home_.lonDeg || al != home_.altM))
            home_ = {t, la, lo, al};
        break;
    }
    case STATUSTEXT: statusText(t, payload); break;
    default: break;
    }
}

void TlogVehicle::heartbeat(double t, int component, const uint8_t* payload)
{
    static const Field& customMode = field(HEARTBEAT, "custom_mode");
    static const Field& type = field(HEARTBEAT, "type");
    static const Field& autopilot = field(HEARTBEAT, "autopilot");
    static const Field& baseMode = field(HEARTBEAT, "base_mode");
    const int kind = static_cast<int>(valueOf(payload, type));
    const int pilot = static_cast<int>(valueOf(payload, autopilot));
    const bool vehicle = pilot != AUTOPILOT_NONE && isVehicleMavType(kind);
    if (vehicleComponent_ < 0 && vehicle) {
        vehicleComponent_ = component;
        type_ = kind;
        autopilot_ = pilot;
    } else if (type_ < 0) {
        type_ = kind;
        autopilot_ = pilot;
    }
    if (component != vehicleComponent_ || !std::isfinite(t))
        return;
    const int base = static_cast<int>(valueOf(payload, baseMode));
    if (base & BASE_MODE_CUSTOM) {
        const auto custom = static_cast<uint32_t>(valueOf(payload, customMode));
        // ArduPilot's names follow the vehicle, known for certain once read.
        const std::string name = autopilot_ == AUTOPILOT_PX4         ? px4CustomModeName(custom)
                                 : autopilot_ == AUTOPILOT_ARDUPILOT ? ""
                                                                     : std::to_string(custom);
        happenings_.mode(t, static_cast<int>(custom), name);
    }
    armed_.add(t, (base & BASE_MODE_ARMED) != 0);
}

void TlogVehicle::statusText(double t, const uint8_t* payload)
{
    static const Field& severity = field(STATUSTEXT, "severity");
    static const Field& body = field(STATUSTEXT, "text");
    static const Field& id = field(STATUSTEXT, "id");
    static const Field& chunk = field(STATUSTEXT, "chunk_seq");
    const std::string part = textOf(payload, body);
    const int level = static_cast<int>(valueOf(payload, severity));
    const int textId = static_cast<int>(valueOf(payload, id));
    const int chunkSeq = static_cast<int>(valueOf(payload, chunk));
    if (firmware_.empty())
        firmware_ = firmwareOfText(part);
    if (pending_.open && (textId != pending_.id || chunkSeq != pending_.chunk + 1))
        flushText();
    if (textId == 0) {
        text(t, level, part);
        return;
    }
    if (!pending_.open)
        pending_ = {true, textId, chunkSeq, level, t, ""};
    pending_.chunk = chunkSeq;
    pending_.text += part;
    // A chunk shorter than the field is the last of its text.
    if (part.size() < STATUSTEXT_LENGTH)
        flushText();
}

void TlogVehicle::flushText()
{
    if (pending_.open)
        text(pending_.t, pending_.severity, pending_.text);
    pending_.open = false;
}

void TlogVehicle::text(double t, int severity, const std::string& line)
{
    if (std::isfinite(t))
        happenings_.message(t, severity >= 0 && severity <= 7 ? severity : 6, cleanLogText(line));
}

Flight TlogVehicle::finish()
{
    flushText();
    Flight out;
    out.format = FlightFormat::tlog;
    out.vehicle = vehicleKindOfMavType(type_);
    out.firmware = firmware_;
    if (!global_.position.empty()) {
        out.position = std::move(global_.position.samples);
        out.positionSource = "GLOBAL_POSITION_INT";
    } else if (!gps_.position.empty()) {
        out.position = std::move(gps_.position.samples);
        out.positionSource = "GPS_RAW_INT";
    }
    out.attitude = std::move(rest_.attitude.samples);
    out.groundSpeed = std::move((hud_.groundSpeed.empty() ? gps_ : hud_).groundSpeed.samples);
    out.airspeed = std::move(hud_.airspeed.samples);
    out.satellites = std::move(gps_.satellites.samples);
    out.fixMode = std::move(gps_.fixMode.samples);
    out.voltage = std::move((battery_.voltage.empty() ? rest_ : battery_).voltage.samples);
    out.current = std::move((battery_.current.empty() ? rest_ : battery_).current.samples);
    out.mah = std::move(battery_.mah.samples);
    SeriesBucket& rc = rest_.rcIn[0].empty() ? rcRaw_ : rest_;
    for (size_t c = 0; c < out.rcIn.size(); ++c)
        out.rcIn[c] = std::move(rc.rcIn[c].samples);
    for (size_t c = 0; c < out.servoOut.size(); ++c)
        out.servoOut[c] = std::move(rest_.servoOut[c].samples);
    out.windSpeed = std::move(windSpeed_.samples);
    out.windDirection = std::move(windDirection_.samples);
    out.terrain = std::move(terrain_.samples);
    out.shots = std::move(shots_);
    out.plan.home = home_;
    for (const FlightEvent& loss : clock_.linkLosses())
        happenings_.event(loss);
    for (const FlightEvent& change : armed_.events)
        happenings_.event(change);
    happenings_.moveInto(out);
    for (ModeChange& mode : out.modes)
        if (mode.name.empty())
            mode.name = ardupilotModeName(out.vehicle, mode.code);
    out.utcAtClockZero = clock_.utcAtClockZero();
    std::bitset<256> ids;
    for (uint32_t id = 0; id < 256; ++id)
        ids[id] = messages_[id];
    out.fields = tlogCatalogue(ids);
    if (kept_)
        out.fieldSource = kept_->source();
    const std::string note = clock_.note();
    if (!note.empty())
        out.notes.push_back(note);
    return out;
}

} // namespace flightreplay::readers
