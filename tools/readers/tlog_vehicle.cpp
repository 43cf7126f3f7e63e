#include "tools/readers/tlog_vehicle.h"

#include <array>
#include <cmath>

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

double TlogVehicle::timeOf(double stamp, const Message& message, const uint8_t* payload)
{
    const int boot = ID_READINGS[message.id].bootOffset;
    return clock_.packet(stamp, boot >= 0 ? static_cast<double>(readLE<uint32_t>(payload + boot)) * 1e-3 : NAN);
}

void TlogVehicle::fields(double t, const Message& message, const uint8_t* payload)
{
    messages_.set(message.id);
    unread_[message.id] = !request_ && ID_READINGS[message.id].onlyAField;
    if (request_)
        request_->take(t, message, payload);
}

void TlogVehicle::dropped(double stamp, int component, uint32_t id)
{
    if (id == ATTITUDE && (vehicleComponent_ < 0 || component == vehicleComponent_))
        rest_.attitude.pass();
    clock_.packet(stamp, NAN);
}

void TlogVehicle::heard(double stamp)
{
    clock_.packet(stamp, NAN);
}

void TlogVehicle::packet(double stamp, int component, const Message& message, const uint8_t* payload)
{
    if (message.id == HEARTBEAT) {
        const double t = clock_.packet(stamp, NAN);
        heartbeat(t, component, payload);
        if (component == vehicleComponent_)
            fields(t, message, payload);
        return;
    }
    if (vehicleComponent_ >= 0 && component != vehicleComponent_) {
        clock_.packet(stamp, NAN);
        return;
    }
    const double t = timeOf(stamp, message, payload);
    fields(t, message, payload);
    const auto v = [&](const Field& f, size_t index = 0) { return valueOf(payload, f, index); };
    switch (message.id) {
    case SYS_STATUS: {
        static const Field& voltage = field(SYS_STATUS, "voltage_battery");
        static const Field& current = field(SYS_STATUS, "current_battery");
        if (v(voltage) < UNKNOWN_U16)
            addValue(battery_.voltage, t, v(voltage) * 1e-3);
        if (v(current) >= 0.0)
            addValue(battery_.current, t, v(current) * 1e-2);
        break;
    }
    case SYSTEM_TIME: {
        static const Field& utc = field(SYSTEM_TIME, "time_unix_usec");
        static const Field& boot = field(SYSTEM_TIME, "time_boot_ms");
        clock_.systemTime(v(utc) * 1e-6, v(boot) * 1e-3);
        break;
    }
    case GPS_RAW_INT: {
        static const Field& lat = field(GPS_RAW_INT, "lat");
        static const Field& lon = field(GPS_RAW_INT, "lon");
        static const Field& alt = field(GPS_RAW_INT, "alt");
        static const Field& vel = field(GPS_RAW_INT, "vel");
        static const Field& fix = field(GPS_RAW_INT, "fix_type");
        static const Field& satellites = field(GPS_RAW_INT, "satellites_visible");
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
        static const Field& roll = field(ATTITUDE, "roll");
        static const Field& pitch = field(ATTITUDE, "pitch");
        static const Field& yaw = field(ATTITUDE, "yaw");
        const double r = v(roll), p = v(pitch), y = v(yaw);
        if (std::isfinite(r) && std::isfinite(p) && std::isfinite(y))
            rest_.attitude.add({t, r, p, y});
        else
            rest_.attitude.pass();
        break;
    }
    case GLOBAL_POSITION_INT: {
        static const Field& lat = field(GLOBAL_POSITION_INT, "lat");
        static const Field& lon = field(GLOBAL_POSITION_INT, "lon");
        static const Field& alt = field(GLOBAL_POSITION_INT, "alt");
        const double la = v(lat) * 1e-7, lo = v(lon) * 1e-7, al = v(alt) * 1e-3;
        if (validFix(la, lo, al))
            global_.position.add({t, la, lo, al});
        break;
    }
    case RC_CHANNELS_RAW:
    case RC_CHANNELS: {
        static const Field& raw = field(RC_CHANNELS_RAW, "chan1_raw");
        static const Field& port = field(RC_CHANNELS_RAW, "port");
        static const Field& channels = field(RC_CHANNELS, "chan1_raw");
        const bool older = message.id == RC_CHANNELS_RAW;
        if (older && (v(port) != 0 || !rest_.rcIn[0].empty()))
            break;
        SeriesBucket& into = older ? rcRaw_ : rest_;
        for (size_t c = 0; c < into.rcIn.size(); ++c)
            addPulse(into.rcIn[c], t, v(older ? raw : channels, c));
        break;
    }
    case SERVO_OUTPUT_RAW: {
        static const Field& servo = field(SERVO_OUTPUT_RAW, "servo1_raw");
        static const Field& port = field(SERVO_OUTPUT_RAW, "port");
        if (v(port) != 0)
            break;
        for (size_t c = 0; c < rest_.servoOut.size(); ++c)
            addPulse(rest_.servoOut[c], t, v(servo, c));
        break;
    }
    case VFR_HUD: {
        static const Field& airspeed = field(VFR_HUD, "airspeed");
        static const Field& groundspeed = field(VFR_HUD, "groundspeed");
        addValue(hud_.airspeed, t, v(airspeed));
        addValue(hud_.groundSpeed, t, v(groundspeed));
        break;
    }
    case BATTERY_STATUS: {
        static const Field& id = field(BATTERY_STATUS, "id");
        static const Field& consumed = field(BATTERY_STATUS, "current_consumed");
        static const Field& current = field(BATTERY_STATUS, "current_battery");
        static const Field& voltages = field(BATTERY_STATUS, "voltages");
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
        static const Field& current = field(MISSION_CURRENT, "seq");
        static const Field& reached = field(MISSION_ITEM_REACHED, "seq");
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
        static const Field& direction = field(WIND, "direction");
        static const Field& speed = field(WIND, "speed");
        if (std::isfinite(v(direction)) && std::isfinite(v(speed))) {
            addValue(windSpeed_, t, v(speed));
            addValue(windDirection_, t, wrapZeroTwoPi(v(direction) * RADIANS_PER_DEGREE) * DEGREES_PER_RADIAN);
        }
        break;
    }
    case TERRAIN_REPORT: {
        static const Field& lat = field(TERRAIN_REPORT, "lat");
        static const Field& lon = field(TERRAIN_REPORT, "lon");
        static const Field& height = field(TERRAIN_REPORT, "terrain_height");
        static const Field& above = field(TERRAIN_REPORT, "current_height");
        static const Field& pending = field(TERRAIN_REPORT, "pending");
        static const Field& loaded = field(TERRAIN_REPORT, "loaded");
        const double la = v(lat) * 1e-7, lo = v(lon) * 1e-7;
        if (!std::isfinite(t) || !validFix(la, lo, 0.0))
            break;
        // The heights mean something once the blocks around the vehicle are
        // in: none pending, some loaded, both heights numbers.
        const bool healthy = v(pending) == 0 && v(loaded) > 0 && std::isfinite(v(height)) && std::isfinite(v(above));
        terrain_.add({t, healthy ? 2 : 1, la, lo, healthy ? v(height) : NAN, healthy ? v(above) : NAN});
        break;
    }
    case CAMERA_FEEDBACK: {
        static const Field& lat = field(CAMERA_FEEDBACK, "lat");
        static const Field& lon = field(CAMERA_FEEDBACK, "lng");
        static const Field& alt = field(CAMERA_FEEDBACK, "alt_msl");
        static const Field& index = field(CAMERA_FEEDBACK, "img_idx");
        static const Field& roll = field(CAMERA_FEEDBACK, "roll");
        static const Field& pitch = field(CAMERA_FEEDBACK, "pitch");
        static const Field& yaw = field(CAMERA_FEEDBACK, "yaw");
        const double la = v(lat) * 1e-7, lo = v(lon) * 1e-7;
        if (std::isfinite(t) && validFix(la, lo, v(alt)) && shots_.size() < SHOTS_CAP)
            shots_.push_back({t, static_cast<int>(v(index)), la, lo, v(alt), v(roll) * RADIANS_PER_DEGREE,
                              v(pitch) * RADIANS_PER_DEGREE, v(yaw) * RADIANS_PER_DEGREE});
        break;
    }
    case HOME_POSITION: {
        static const Field& lat = field(HOME_POSITION, "latitude");
        static const Field& lon = field(HOME_POSITION, "longitude");
        static const Field& alt = field(HOME_POSITION, "altitude");
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
    out.fields = tlogCatalogue(messages_);
    const std::string note = clock_.note();
    if (!note.empty())
        out.notes.push_back(note);
    return out;
}

} // namespace flightreplay::readers
