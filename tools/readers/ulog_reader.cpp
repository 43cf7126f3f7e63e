#include "tools/readers/ulog_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "log/geography.h"
#include "log/units.h"
#include "tools/common/tool_error.h"
#include "tools/readers/autopilot_names.h"
#include "tools/readers/field_sources.h"
#include "tools/readers/flight_happenings.h"
#include "tools/readers/series_bucket.h"
#include "tools/readers/stream_notes.h"
#include "tools/readers/ulog_format.h"
#include "tools/readers/ulog_plan.h"
#include "tools/flight/field_catalogue.h"
#include "tools/flight/mission_commands.h"

namespace flightreplay::readers {

using namespace flight;

namespace {

constexpr uint8_t MAGIC[7] = {0x55, 0x4c, 0x6f, 0x67, 0x01, 0x12, 0x35};
constexpr uint8_t SYNC[8] = {0x2f, 0x73, 0x13, 0x20, 0x25, 0x0c, 0xbb, 0x12};
constexpr size_t HEADER = 16;
constexpr const char* MESSAGE_TYPES = "ABCDFILMOPQRS";
constexpr uint64_t MAX_FORMAT_TEXT = 4u << 20;

enum class Topic { globalPosition, gpsPosition, sensorGps, localPosition, attitude, battery, inputRc, actuatorOutputs, airspeed, airspeedValidated, airData,
                   vehicleStatus, actuatorArmed, landDetected, cameraCapture, missionItem, missionResult };

struct TopicFields {
    const char* name;
    Topic topic;
    std::vector<const char*> fields; // the first is always the timestamp
};

const std::vector<TopicFields>& wantedTopics()
{
    static const std::vector<TopicFields> topics = {
        {"vehicle_global_position", Topic::globalPosition, {"timestamp", "lat", "lon", "alt"}},
        {"vehicle_gps_position", Topic::gpsPosition,
         {"timestamp", "lat", "lon", "alt", "latitude_deg", "longitude_deg", "altitude_msl_m", "vel_m_s",
          "fix_type", "satellites_used", "time_utc_usec"}},
        {"sensor_gps", Topic::sensorGps,
         {"timestamp", "lat", "lon", "alt", "latitude_deg", "longitude_deg", "altitude_msl_m", "vel_m_s",
          "fix_type", "satellites_used", "time_utc_usec"}},
        {"vehicle_local_position", Topic::localPosition,
         {"timestamp", "x", "y", "z", "ref_lat", "ref_lon", "ref_alt", "xy_global", "z_global"}},
        {"vehicle_attitude", Topic::attitude, {"timestamp", "q", "roll", "pitch", "yaw"}},
        {"battery_status", Topic::battery, {"timestamp", "voltage_v", "current_a", "discharged_mah"}},
        {"input_rc", Topic::inputRc, {"timestamp", "values", "channel_count"}},
        {"actuator_outputs", Topic::actuatorOutputs, {"timestamp", "output", "noutputs"}},
        {"airspeed", Topic::airspeed, {"timestamp", "true_airspeed_m_s", "indicated_airspeed_m_s"}},
        {"airspeed_validated", Topic::airspeedValidated, {"timestamp", "true_airspeed_m_s", "indicated_airspeed_m_s"}},
        {"vehicle_air_data", Topic::airData, {"timestamp", "baro_alt_meter"}},
        {"sensor_combined", Topic::airData, {"timestamp", "baro_alt_meter"}},
        {"vehicle_status", Topic::vehicleStatus, {"timestamp", "nav_state", "arming_state"}},
        {"actuator_armed", Topic::actuatorArmed, {"timestamp", "armed"}},
        {"vehicle_land_detected", Topic::landDetected, {"timestamp", "landed"}},
        {"camera_capture", Topic::cameraCapture, {"timestamp", "lat", "lon", "alt", "q", "seq"}},
        {"navigator_mission_item", Topic::missionItem,
         {"timestamp", "sequence_current", "nav_cmd", "latitude", "longitude", "altitude", "altitude_is_relative",
          "loiter_radius", "time_inside", "acceptance_radius", "yaw", "autocontinue"}},
        {"mission_result", Topic::missionResult, {"timestamp", "seq_current", "seq_reached"}},
    };
    return topics;
}

struct Subscription {
    uint32_t size = 0; // bytes of the format; 0 when it could not be laid out
    const TopicFields* wanted = nullptr;
    SeriesBucket* bucket = nullptr;
    std::vector<UlogSlot> slots;
    bool active = true; // false once unsubscribed
    uint32_t storedSize = 0; // payload bytes of its data messages as met; 0 before the first
    uint64_t lastTime = 0;   // µs, of its latest data message
    std::string topic;
    int multiId = 0;
    bool seen = false;       // a data message came
    UlogSlot timestamp;
    std::vector<std::pair<UlogSlot, size_t>> asked; // a field asked for and its place in the answer
};

bool isInteger(UlogType type)
{
    return type != UlogType::f32 && type != UlogType::f64;
}

bool validLatLon(double lat, double lon)
{
    return onGlobe(lat, lon);
}

// A navigator_mission_item as a mission item (fields 1 ... 11 of its
// topic): the altitude above home or sea level as its flag says, the
// loiter radius, hold time, acceptance radius and yaw (degrees) in the
// parameters where MAVLink keeps them.
template <typename Value>
MissionItem flownMissionItem(const Value& v)
{
    const auto finite = [](double value) { return std::isfinite(value) ? value : 0.0; };
    MissionItem item;
    item.seq = static_cast<int>(v(1));
    item.command = static_cast<int>(v(2));
    item.latDeg = finite(v(3));
    item.lonDeg = finite(v(4));
    item.alt = finite(v(5));
    item.frame = v(6) == 1.0 ? 3 : 0;
    const double radius = finite(v(7));
    const double yaw = finite(v(10)) * DEGREES_PER_RADIAN;
    if (item.command == mav_cmd::LOITER_TO_ALT)
        item.param = {0.0, radius, 0.0, yaw};
    else
        item.param = {finite(v(8)), finite(v(9)), isLoiter(item.command) ? radius : 0.0, yaw};
    item.autocontinue = v(11) != 0.0;
    return item;
}

class UlogParser {
public:
    UlogParser(ByteReader& in, const std::vector<FieldKey>& keep) : in_(in), keep_(keep) {}
    // Reads only the fields asked for (FieldInfo of this file's catalogue).
    UlogParser(ByteReader& in, const std::vector<const FieldInfo*>& asked) : in_(in), asked_(&asked), answer_(asked.size()) {}

    Flight run();
    std::vector<Series> answer();

private:
    bool handle(char type, const uint8_t* p, uint16_t size, bool first);
    bool handleKeyed(char type, const uint8_t* p, uint16_t size);
    bool subscribe(const uint8_t* p, uint16_t size);
    bool data(const uint8_t* p, uint16_t size);
    void sample(const Subscription& sub, const uint8_t* d, size_t size);
    void merge(Flight& out);
    void askedSlots(Subscription& sub) const;
    void keptSlots(Subscription& sub);
    void wantedSlots(Subscription& sub);
    void take(const Subscription& sub, const uint8_t* d, size_t size);
    std::shared_ptr<const FieldCatalogue> catalogue() const;
    bool resynchronise(uint64_t at);
    bool plausibleHere(uint64_t skipped);
    bool plausible(char type, const uint8_t* p, uint16_t size, uint64_t skipped) const;
    bool logText(const uint8_t* p, uint16_t size, size_t textAt);

    ByteReader& in_;
    UlogFormats formats_;
    // Subscription index by message id, -1 where none; as long as the
    // largest id subscribed, which loggers keep small.
    std::vector<int32_t> byId_;
    std::vector<Subscription> subs_;
    std::map<std::pair<std::string, int>, SeriesBucket> buckets_;
    std::map<std::string, std::string> info_;
    uint64_t formatText_ = 0;
    uint32_t release_ = 0; // major, minor, patch, type: a byte each from the top
    int mavType_ = -1;
    DamageCount damage_;
    bool resyncedOnMarker_ = false;
    bool resyncedOnHeader_ = false;
    uint64_t latestTime_ = 0; // µs, of all data messages so far
    int64_t dropouts_ = 0;
    int64_t dropoutMs_ = 0;
    FlightHappenings happenings_;
    StateChanges statusArming_{FlightEventKind::armed, FlightEventKind::disarmed, true};
    StateChanges actuatorArming_{FlightEventKind::armed, FlightEventKind::disarmed, true};
    StateChanges landed_{FlightEventKind::landing, FlightEventKind::takeoff, false};
    UlogPlan plan_{happenings_};
    std::set<std::pair<std::string, int>> seenTopics_;
    const std::vector<const FieldInfo*>* asked_ = nullptr;
    std::vector<ThinnedSeries<Sample>> answer_;
    std::vector<FieldKey> keep_;
    std::vector<std::string> keptNames_; // the name of answer_[i] when keeping
};

Flight UlogParser::run()
{
    const uint8_t* head = in_.peek(HEADER);
    if (!head || std::memcmp(head, MAGIC, sizeof MAGIC) != 0)
        throw tools::ToolError("not a ULog file: no ULog header");
    in_.skip(HEADER);
    Flight out;
    bool first = true;
    for (;;) {
        const uint64_t at = in_.offset();
        const uint8_t* header = in_.peek(3);
        if (!header) {
            if (in_.buffered() > 0)
                out.notes.push_back(truncationNote(at, in_.buffered(), 3));
            break;
        }
        const uint16_t size = readLE<uint16_t>(header);
        const char type = static_cast<char>(header[2]);
        const uint8_t* message = in_.buffered() >= 3u + size ? header : in_.peek(3u + size);
        if (message && handle(type, message + 3, size, first)) {
            in_.skip(3u + size);
        } else {
            // A size reaching past the end is a truncated file, unless a
            // readable message follows: then the size was damaged.
            const uint64_t have = in_.buffered();
            const bool found = resynchronise(at);
            if (!message && !found) {
                out.notes.push_back(truncationNote(at, have, 3u + size));
                break;
            }
            damage_.add(at, in_.offset() - at, !found);
        }
        first = false;
    }
    if (damage_.stretches > 0) {
        const char* on = resyncedOnHeader_ && resyncedOnMarker_ ? "sync markers and message headers"
                         : resyncedOnHeader_                     ? "the next readable message header"
                         : resyncedOnMarker_                     ? "the sync marker"
                                                                 : "a sync marker or readable message header";
        out.notes.push_back(damage_.note(on));
    }
    if (dropouts_ > 0)
        out.notes.push_back("the logger dropped data " + std::to_string(dropouts_) + " times ("
                            + std::to_string(dropoutMs_) + " ms in all)");
    if (asked_)
        return out;
    merge(out);
    out.fields = catalogue();
    if (!keep_.empty())
        out.fieldSource = keptFieldSource(keptNames_, answer_);
    if (out.fields->fields().size() >= MAX_FIELDS)
        out.notes.push_back("the log defines more than " + std::to_string(MAX_FIELDS) + " fields: the rest are not listed");
    return out;
}

bool UlogParser::handle(char type, const uint8_t* p, uint16_t size, bool first)
{
    switch (type) {
    case 'B': {
        // Flag bits belong only right after the file header; elsewhere they
        // are damage, not a reason to refuse the file.
        if (!first || size < 40)
            return false;
        const bool unknown = (p[8] & ~1u) != 0 || std::any_of(p + 9, p + 16, [](uint8_t b) { return b != 0; });
        if (unknown) {
            char bits[40];
            std::snprintf(bits, sizeof bits, "%02x%02x%02x%02x%02x%02x%02x%02x", p[8], p[9], p[10], p[11], p[12],
                          p[13], p[14], p[15]);
            throw tools::ToolError(std::string("ULog incompatible flags ") + bits
                                   + " set that this reader does not know: the log cannot be read safely");
        }
        return true;
    }
    case 'F':
        // Real logs define a few hundred formats in some 100 kB of text; past
        // a generous bound further definitions are skipped, not stored.
        formatText_ += size;
        return formatText_ > MAX_FORMAT_TEXT || formats_.add(std::string(reinterpret_cast<const char*>(p), size));
    case 'I':
    case 'M':
    case 'P':
    case 'Q': return handleKeyed(type, p, size);
    case 'A': return subscribe(p, size);
    case 'D': return data(p, size);
    case 'R':
        if (size < 2)
            return false;
        if (readLE<uint16_t>(p) < byId_.size() && byId_[readLE<uint16_t>(p)] >= 0)
            subs_[static_cast<size_t>(byId_[readLE<uint16_t>(p)])].active = false;
        return true;
    case 'L': return size >= 9 && logText(p, size, 9);
    case 'C': return size >= 11 && logText(p, size, 11);
    case 'O':
        if (size < 2)
            return false;
        ++dropouts_;
        dropoutMs_ += readLE<uint16_t>(p);
        return true;
    case 'S': return size == sizeof SYNC && std::memcmp(p, SYNC, sizeof SYNC) == 0;
    default:
        // Message kinds of later versions are skipped; any other byte here
        // means the reader lost its place.
        return type >= 'A' && type <= 'Z';
    }
}

bool UlogParser::handleKeyed(char type, const uint8_t* p, uint16_t size)
{
    const size_t lead = (type == 'M' || type == 'Q') ? 1 : 0;
    if (size < lead + 1 || p[lead] > size - lead - 1)
        return false;
    const std::string key(reinterpret_cast<const char*>(p + lead + 1), p[lead]);
    const size_t space = key.find(' ');
    if (space == std::string::npos)
        return false;
    const uint8_t* value = p + lead + 1 + p[lead];
    const size_t valueSize = size - lead - 1 - p[lead];
    const std::string name = key.substr(space + 1);
    const std::string valueType = key.substr(0, space);
    if (type == 'I') {
        if ((name == "sys_name" || name == "ver_sw") && valueType.rfind("char[", 0) == 0)
            info_[name] = std::string(reinterpret_cast<const char*>(value), strnlen(reinterpret_cast<const char*>(value), valueSize));
        else if (name == "ver_sw_release" && (valueType == "uint32_t" || valueType == "int32_t") && valueSize >= 4)
            release_ = readLE<uint32_t>(value);
    } else if (type == 'P' && name == "MAV_TYPE" && valueType == "int32_t" && valueSize >= 4) {
        mavType_ = readLE<int32_t>(value);
    }
    return true;
}

// A logged line: the level (ASCII '0' to '7', the syslog levels), then the
// timestamp right before the text.
bool UlogParser::logText(const uint8_t* p, uint16_t size, size_t textAt)
{
    const uint8_t level = p[0];
    const int severity = level >= '0' && level <= '7' ? level - '0' : level <= 7 ? level : 6;
    const double t = static_cast<double>(readLE<uint64_t>(p + textAt - 8)) * 1e-6;
    const std::string text(reinterpret_cast<const char*>(p + textAt), size - textAt);
    happenings_.message(t, severity, cleanLogText(text));
    return true;
}

void UlogParser::wantedSlots(Subscription& sub)
{
    const std::string& name = sub.topic;
    for (const TopicFields& topic : wantedTopics()) {
        if (name != topic.name)
            continue;
        for (const char* field : topic.fields)
            sub.slots.push_back(formats_.find(name, field));
        const bool anyField = std::any_of(sub.slots.begin() + 1, sub.slots.end(), [](const UlogSlot& slot) { return slot.count > 0; });
        if (sub.slots[0].count == 0 || !anyField)
            break;
        sub.wanted = &topic;
        sub.bucket = &buckets_[{name, sub.multiId}];
    }
}

bool UlogParser::subscribe(const uint8_t* p, uint16_t size)
{
    if (size < 4)
        return false;
    const int multiId = p[0];
    const uint16_t id = readLE<uint16_t>(p + 1);
    const std::string name(reinterpret_cast<const char*>(p + 3), size - 3u);
    if (!formats_.has(name))
        return false;
    Subscription sub;
    sub.size = formats_.sizeOf(name);
    sub.topic = name;
    sub.multiId = multiId;
    if (asked_) {
        askedSlots(sub);
    } else {
        wantedSlots(sub);
        if (!keep_.empty())
            keptSlots(sub);
    }
    // A field is taken on the topic's own clock, or not at all.
    if (!sub.asked.empty()) {
        sub.timestamp = formats_.find(name, "timestamp");
        if (sub.timestamp.count == 0)
            sub.asked.clear();
    }
    if (id >= byId_.size())
        byId_.resize(id + 1u, -1);
    // A message id subscribed again takes over its old entry, so that the
    // table never outgrows the 65536 ids.
    if (byId_[id] >= 0) {
        subs_[static_cast<size_t>(byId_[id])] = std::move(sub);
        return true;
    }
    byId_[id] = static_cast<int32_t>(subs_.size());
    subs_.push_back(std::move(sub));
    return true;
}

bool UlogParser::data(const uint8_t* p, uint16_t size)
{
    if (size < 2)
        return false;
    const uint16_t id = readLE<uint16_t>(p);
    const int32_t index = id < byId_.size() ? byId_[id] : -1;
    if (index < 0)
        return false;
    Subscription& sub = subs_[static_cast<size_t>(index)];
    if (!sub.active)
        return false;
    const size_t dataSize = size - 2u;
    if (sub.size > 0 && dataSize > sub.size)
        return false;
    sub.storedSize = static_cast<uint32_t>(dataSize);
    if (dataSize >= 8) {
        sub.lastTime = readLE<uint64_t>(p + 2);
        latestTime_ = std::max(latestTime_, sub.lastTime);
    }
    if (!sub.seen) {
        sub.seen = true;
        seenTopics_.insert({sub.topic, sub.multiId});
    }
    if (!sub.asked.empty())
        take(sub, p + 2, dataSize);
    if (sub.wanted)
        sample(sub, p + 2, dataSize);
    return true;
}

void UlogParser::askedSlots(Subscription& sub) const
{
    std::vector<std::pair<std::string, UlogSlot>> leaves;
    for (size_t i = 0; i < asked_->size(); ++i) {
        const FieldInfo& field = *(*asked_)[i];
        if (field.message != sub.topic || field.instance != sub.multiId)
            continue;
        if (leaves.empty())
            leaves = formats_.leaves(sub.topic);
        for (const auto& [name, slot] : leaves)
            if (name == field.field)
                sub.asked.push_back({slot, i});
    }
}

void UlogParser::keptSlots(Subscription& sub)
{
    if (std::none_of(keep_.begin(), keep_.end(), [&](const FieldKey& key) { return key.message == sub.topic; }))
        return;
    for (const auto& [name, slot] : formats_.leaves(sub.topic)) {
        if (!keeps(keep_, sub.topic, name))
            continue;
        const std::string full = fieldName(sub.topic, sub.multiId, name);
        const auto known = std::find(keptNames_.begin(), keptNames_.end(), full);
        const size_t place = static_cast<size_t>(known - keptNames_.begin());
        if (known == keptNames_.end()) {
            keptNames_.push_back(full);
            answer_.emplace_back();
        }
        sub.asked.push_back({slot, place});
    }
}

void UlogParser::take(const Subscription& sub, const uint8_t* d, size_t size)
{
    const double t = ulogValue(d, size, sub.timestamp) * 1e-6;
    if (!std::isfinite(t))
        return;
    for (const auto& [slot, place] : sub.asked)
        addValue(answer_[place], t, ulogValue(d, size, slot));
}

std::vector<Series> UlogParser::answer()
{
    run();
    return samplesOf(answer_);
}

std::shared_ptr<const FieldCatalogue> UlogParser::catalogue() const
{
    std::vector<FieldInfo> fields;
    for (const auto& [topic, multiId] : seenTopics_)
        for (const auto& [name, slot] : formats_.leaves(topic))
            if (fields.size() < MAX_FIELDS)
                fields.push_back({fieldName(topic, multiId, name), topic, multiId, name, "", 1.0});
    return std::make_shared<const FieldCatalogue>(std::move(fields));
}

void UlogParser::sample(const Subscription& sub, const uint8_t* d, size_t size)
{
    const auto v = [&](size_t field, uint32_t index = 0) { return ulogValue(d, size, sub.slots[field], index); };
    const double t = v(0) * 1e-6;
    if (!std::isfinite(t))
        return;
    SeriesBucket& b = *sub.bucket;
    switch (sub.wanted->topic) {
    case Topic::globalPosition:
        if (validLatLon(v(1), v(2)) && std::isfinite(v(3)))
            b.position.add({t, v(1), v(2), v(3)});
        break;
    case Topic::gpsPosition:
    case Topic::sensorGps: {
        double lat = v(4), lon = v(5), alt = v(6);
        if (sub.slots[1].count > 0) {
            const bool scaled = isInteger(sub.slots[1].type);
            lat = v(1) * (scaled ? 1e-7 : 1.0);
            lon = v(2) * (scaled ? 1e-7 : 1.0);
            alt = v(3) * (isInteger(sub.slots[3].type) ? 1e-3 : 1.0);
        }
        const double fix = sub.slots[8].count > 0 ? v(8) : 3.0;
        if (fix >= 2.0 && validLatLon(lat, lon) && std::isfinite(alt) && (lat != 0.0 || lon != 0.0))
            b.position.add({t, lat, lon, alt});
        addValue(b.groundSpeed, t, v(7));
        addValue(b.fixMode, t, v(8));
        addValue(b.satellites, t, v(9));
        const double utc = v(10);
        if (fix >= 3.0 && std::isnan(b.utcAtClockZero) && utc > 1e15 && utc < 1e17)
            b.utcAtClockZero = utc * 1e-6 - t;
        break;
    }
    case Topic::localPosition: {
        const double refLat = v(4), refLon = v(5);
        if (v(7) != 1.0 || v(8) != 1.0 || !validLatLon(refLat, refLon) || std::fabs(refLat) > 89.0)
            break;
        double lat = NAN, lon = NAN;
        offsetToDegrees(refLat, refLon, {v(2), v(1)}, lat, lon);
        const double alt = v(6) - v(3);
        if (validLatLon(lat, lon) && std::isfinite(alt))
            b.position.add({t, lat, lon, alt});
        break;
    }
    case Topic::attitude: {
        const double w = v(1, 0), x = v(1, 1), y = v(1, 2), z = v(1, 3);
        const double norm = std::sqrt(w * w + x * x + y * y + z * z);
        if (!(norm > 1e-6) || !std::isfinite(norm)) {
            // The first firmware generations log the angles themselves.
            if (std::isfinite(v(2)) && std::isfinite(v(3)) && std::isfinite(v(4)))
                b.attitude.add({t, v(2), v(3), v(4)});
            break;
        }
        // Every unit quaternion is a sample: one the stream would drop need
        // not be turned into angles.
        if (!b.attitude.keepsNext()) {
            b.attitude.pass();
            break;
        }
        double roll, pitch, yaw;
        if (anglesOfUlogQuaternion(w, x, y, z, roll, pitch, yaw))
            b.attitude.add({t, roll, pitch, yaw});
        break;
    }
    case Topic::battery:
        addValue(b.voltage, t, v(1));
        addValue(b.current, t, v(2));
        addValue(b.mah, t, v(3));
        break;
    case Topic::inputRc: {
        const double count = sub.slots[2].count > 0 ? v(2) : 18.0;
        for (uint32_t ch = 0; ch < b.rcIn.size() && ch < count; ++ch)
            addValue(b.rcIn[ch], t, v(1, ch));
        break;
    }
    case Topic::actuatorOutputs: {
        const double count = sub.slots[2].count > 0 ? v(2) : 16.0;
        for (uint32_t ch = 0; ch < b.servoOut.size() && ch < count; ++ch)
            addValue(b.servoOut[ch], t, v(1, ch));
        break;
    }
    case Topic::airspeed:
    case Topic::airspeedValidated:
        addValue(b.airspeed, t, sub.slots[1].count > 0 ? v(1) : v(2));
        break;
    case Topic::airData:
        addValue(b.baroAlt, t, v(1));
        break;
    case Topic::vehicleStatus:
        if (std::isfinite(v(1)))
            happenings_.mode(t, static_cast<int>(v(1)), px4NavStateName(static_cast<int>(v(1))));
        if (std::isfinite(v(2)))
            statusArming_.add(t, v(2) == 2.0);
        break;
    case Topic::actuatorArmed:
        if (std::isfinite(v(1)))
            actuatorArming_.add(t, v(1) != 0.0);
        break;
    case Topic::landDetected:
        if (std::isfinite(v(1)))
            landed_.add(t, v(1) != 0.0);
        break;
    case Topic::cameraCapture: {
        const double q[4] = {v(4, 0), v(4, 1), v(4, 2), v(4, 3)};
        plan_.cameraCapture(t, v(1), v(2), v(3), q, v(5));
        break;
    }
    case Topic::missionItem:
        if (std::isfinite(v(1)) && std::isfinite(v(2)))
            plan_.missionItem(t, flownMissionItem(v));
        break;
    case Topic::missionResult: plan_.missionResult(t, v(1), v(2)); break;
    }
}

// Older loggers write no sync markers, so after damage the reader also
// looks for a message header it can trust: the next marker or such a header,
// whichever comes first, is where reading goes on.
bool UlogParser::resynchronise(uint64_t at)
{
    in_.skip(1);
    for (;;) {
        if (!in_.peek(3)) {
            in_.skip(in_.buffered());
            return false;
        }
        const uint8_t* marker = in_.peek(sizeof SYNC);
        if (marker && std::memcmp(marker, SYNC, sizeof SYNC) == 0) {
            in_.skip(sizeof SYNC);
            resyncedOnMarker_ = true;
            return true;
        }
        if (plausibleHere(in_.offset() - at)) {
            resyncedOnHeader_ = true;
            return true;
        }
        in_.skip(1);
    }
}

// A header is trusted when its message is plausible and so is the one after
// it (or the file ends right after it): two in a row do not happen by chance.
bool UlogParser::plausibleHere(uint64_t skipped)
{
    const uint8_t* header = in_.peek(3);
    const uint16_t size = readLE<uint16_t>(header);
    const char type = static_cast<char>(header[2]);
    // Most bytes are no message type: no need to look further.
    if (type == '\0' || !std::strchr(MESSAGE_TYPES, type))
        return false;
    const size_t length = 3u + size;
    const uint8_t* message = in_.peek(length);
    if (!message || !plausible(type, message + 3, size, skipped))
        return false;
    const uint8_t* next = in_.peek(length + 3);
    if (!next)
        return in_.buffered() == length;
    const uint16_t nextSize = readLE<uint16_t>(next + length);
    const char nextType = static_cast<char>(next[length + 2]);
    next = in_.peek(length + 3 + nextSize);
    if (!next) // the file ends inside the next message
        return nextType != '\0' && std::strchr(MESSAGE_TYPES, nextType) != nullptr;
    return plausible(nextType, next + length + 3, nextSize, skipped);
}

bool UlogParser::plausible(char type, const uint8_t* p, uint16_t size, uint64_t skipped) const
{
    const auto printable = [](const uint8_t* text, size_t n) {
        return std::all_of(text, text + n, [](uint8_t c) { return (c >= 0x20 && c < 0x7f) || c == '\t' || c == '\n'; });
    };
    // Within a minute of the latest time read, plus a millisecond per byte
    // skipped for what the damaged stretch may have held.
    const auto timely = [&](uint64_t t) { return latestTime_ == 0 || t <= latestTime_ + 60000000u + skipped * 1000u; };
    const auto subscribed = [&](uint16_t id) -> const Subscription* {
        const int32_t index = id < byId_.size() ? byId_[id] : -1;
        return index >= 0 && subs_[static_cast<size_t>(index)].active ? &subs_[static_cast<size_t>(index)] : nullptr;
    };
    switch (type) {
    case 'D': {
        if (size < 10)
            return false;
        const Subscription* sub = subscribed(readLE<uint16_t>(p));
        if (!sub)
            return false;
        // Trailing padding is left out of the data, a few bytes at most.
        const uint32_t dataSize = size - 2u;
        const bool sized = sub->storedSize > 0 ? dataSize == sub->storedSize
                                               : dataSize <= sub->size && sub->size - dataSize < 8;
        const uint64_t t = readLE<uint64_t>(p + 2);
        return sized && t >= sub->lastTime && timely(t);
    }
    case 'S': return size == sizeof SYNC && std::memcmp(p, SYNC, sizeof SYNC) == 0;
    case 'L': return size >= 9 && p[0] >= '0' && p[0] <= '7' && timely(readLE<uint64_t>(p + 1)) && printable(p + 9, size - 9u);
    case 'C': return size >= 11 && p[0] >= '0' && p[0] <= '7' && timely(readLE<uint64_t>(p + 3)) && printable(p + 11, size - 11u);
    case 'O': return size == 2;
    case 'R': return size == 2 && subscribed(readLE<uint16_t>(p)) != nullptr;
    case 'A': return size >= 4 && p[0] < 32 && printable(p + 3, size - 3u)
                     && formats_.has(std::string(reinterpret_cast<const char*>(p + 3), size - 3u));
    case 'F': return size >= 3 && printable(p, size) && std::memchr(p, ':', size) != nullptr;
    case 'I':
    case 'M':
    case 'P':
    case 'Q': {
        const size_t lead = (type == 'M' || type == 'Q') ? 1 : 0;
        if (size < lead + 1 || p[lead] < 3 || p[lead] > size - lead - 1)
            return false;
        return printable(p + lead + 1, p[lead]) && std::memchr(p + lead + 1, ' ', p[lead]) != nullptr;
    }
    default: return false;
    }
}

void UlogParser::merge(Flight& out)
{
    out.format = FlightFormat::ulog;
    // Lowest instance first: std::map orders the buckets by topic, then instance.
    const auto pick = [&](const char* topic, auto has) -> SeriesBucket* {
        for (auto& [key, bucket] : buckets_)
            if (key.first == topic && has(bucket))
                return &bucket;
        return nullptr;
    };
    for (const char* source : {"vehicle_global_position", "vehicle_gps_position", "sensor_gps", "vehicle_local_position"}) {
        if (SeriesBucket* b = pick(source, [](const SeriesBucket& d) { return !d.position.empty(); })) {
            out.position = std::move(b->position.samples);
            out.positionSource = source;
            break;
        }
    }
    for (const char* gps : {"vehicle_gps_position", "sensor_gps"}) {
        if (SeriesBucket* b = pick(gps, [](const SeriesBucket& d) { return !d.fixMode.empty() || !d.groundSpeed.empty(); })) {
            out.groundSpeed = std::move(b->groundSpeed.samples);
            out.satellites = std::move(b->satellites.samples);
            out.fixMode = std::move(b->fixMode.samples);
            out.utcAtClockZero = b->utcAtClockZero;
            break;
        }
    }
    if (SeriesBucket* b = pick("vehicle_attitude", [](const SeriesBucket& d) { return !d.attitude.empty(); }))
        out.attitude = std::move(b->attitude.samples);
    if (SeriesBucket* b = pick("battery_status", [](const SeriesBucket& d) { return !d.voltage.empty(); })) {
        out.voltage = std::move(b->voltage.samples);
        out.current = std::move(b->current.samples);
        out.mah = std::move(b->mah.samples);
    }
    if (SeriesBucket* b = pick("input_rc", [](const SeriesBucket& d) { return !d.rcIn[0].empty(); }))
        for (size_t i = 0; i < out.rcIn.size(); ++i)
            out.rcIn[i] = std::move(b->rcIn[i].samples);
    if (SeriesBucket* b = pick("actuator_outputs", [](const SeriesBucket& d) { return !d.servoOut[0].empty(); }))
        for (size_t i = 0; i < out.servoOut.size(); ++i)
            out.servoOut[i] = std::move(b->servoOut[i].samples);
    for (const char* air : {"airspeed_validated", "airspeed"})
        if (SeriesBucket* b = pick(air, [](const SeriesBucket& d) { return !d.airspeed.empty(); })) {
            out.airspeed = std::move(b->airspeed.samples);
            break;
        }
    for (const char* air : {"vehicle_air_data", "sensor_combined"})
        if (SeriesBucket* b = pick(air, [](const SeriesBucket& d) { return !d.baroAlt.empty(); })) {
            out.baroAlt = std::move(b->baroAlt.samples);
            break;
        }

    std::string firmware = info_.count("sys_name") ? info_["sys_name"] : "";
    const uint32_t release = release_;
    if (release >> 8 != 0) {
        firmware += " v" + std::to_string(release >> 24) + "." + std::to_string((release >> 16) & 0xff) + "."
                    + std::to_string((release >> 8) & 0xff);
    } else if (info_.count("ver_sw")) {
        firmware += " " + info_["ver_sw"].substr(0, 8);
    }
    out.firmware = firmware.empty() || firmware[0] != ' ' ? firmware : firmware.substr(1);
    out.vehicle = vehicleKindOfMavType(mavType_);

    for (const FlightEvent& e : (statusArming_.seen() ? statusArming_ : actuatorArming_).events)
        happenings_.event(e);
    for (const FlightEvent& e : landed_.events)
        happenings_.event(e);
    plan_.moveInto(out);
    happenings_.moveInto(out);
}

} // namespace

Flight readUlog(ByteReader& in, const std::vector<FieldKey>& keep)
{
    UlogParser parser(in, keep);
    return parser.run();
}

std::vector<Series> readUlogFields(ByteReader& in, const std::vector<const FieldInfo*>& fields)
{
    UlogParser parser(in, fields);
    return parser.answer();
}

size_t ulogEvidence(const std::string& head)
{
    return head.size() >= sizeof MAGIC && std::memcmp(head.data(), MAGIC, sizeof MAGIC) == 0 ? head.size() : 0;
}

} // namespace flightreplay::readers
