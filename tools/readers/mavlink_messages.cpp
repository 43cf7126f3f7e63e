#include "tools/readers/mavlink_messages.h"

#include <cstring>
#include <stdexcept>

#include "tools/readers/mavlink_definitions.h"

namespace flightreplay::readers::mavlink {

namespace {

using T = FieldType;

const Field HEARTBEAT_FIELDS[] = {
    {"custom_mode", 0, T::u32, 1}, {"type", 4, T::u8, 1},          {"autopilot", 5, T::u8, 1},
    {"base_mode", 6, T::u8, 1},    {"system_status", 7, T::u8, 1}, {"mavlink_version", 8, T::u8, 1},
};

const Field SYS_STATUS_FIELDS[] = {
    {"load", 12, T::u16, 1},           {"voltage_battery", 14, T::u16, 1}, {"current_battery", 16, T::i16, 1},
    {"drop_rate_comm", 18, T::u16, 1}, {"battery_remaining", 30, T::i8, 1},
};

const Field SYSTEM_TIME_FIELDS[] = {
    {"time_unix_usec", 0, T::u64, 1},
    {"time_boot_ms", 8, T::u32, 1},
};

const Field GPS_RAW_INT_FIELDS[] = {
    {"time_usec", 0, T::u64, 1}, {"lat", 8, T::i32, 1},       {"lon", 12, T::i32, 1},
    {"alt", 16, T::i32, 1},      {"eph", 20, T::u16, 1},      {"epv", 22, T::u16, 1},
    {"vel", 24, T::u16, 1},      {"cog", 26, T::u16, 1},
    {"fix_type", 28, T::u8, 1},  {"satellites_visible", 29, T::u8, 1},
};

const Field ATTITUDE_FIELDS[] = {
    {"time_boot_ms", 0, T::u32, 1}, {"roll", 4, T::f32, 1}, {"pitch", 8, T::f32, 1}, {"yaw", 12, T::f32, 1},
};

const Field GLOBAL_POSITION_INT_FIELDS[] = {
    {"time_boot_ms", 0, T::u32, 1}, {"lat", 4, T::i32, 1}, {"lon", 8, T::i32, 1},  {"alt", 12, T::i32, 1},
    {"relative_alt", 16, T::i32, 1}, {"vx", 20, T::i16, 1}, {"vy", 22, T::i16, 1}, {"vz", 24, T::i16, 1},
    {"hdg", 26, T::u16, 1},
};

const Field RC_CHANNELS_RAW_FIELDS[] = {
    {"time_boot_ms", 0, T::u32, 1}, {"chan1_raw", 4, T::u16, 8}, {"port", 20, T::u8, 1}, {"rssi", 21, T::u8, 1},
};

const Field SERVO_OUTPUT_RAW_FIELDS[] = {
    {"time_usec", 0, T::u32, 1},
    {"servo1_raw", 4, T::u16, 8},
    {"port", 20, T::u8, 1},
};

const Field MISSION_ITEM_FIELDS[] = {
    {"param1", 0, T::f32, 4},         {"x", 16, T::f32, 1},           {"y", 20, T::f32, 1},
    {"z", 24, T::f32, 1},             {"seq", 28, T::u16, 1},         {"command", 30, T::u16, 1},
    {"target_system", 32, T::u8, 1},  {"target_component", 33, T::u8, 1}, {"frame", 34, T::u8, 1},
    {"current", 35, T::u8, 1},        {"autocontinue", 36, T::u8, 1}, {"mission_type", 37, T::u8, 1},
};

const Field MISSION_CURRENT_FIELDS[] = {
    {"seq", 0, T::u16, 1},
    {"total", 2, T::u16, 1},
};

const Field MISSION_COUNT_FIELDS[] = {
    {"count", 0, T::u16, 1},
    {"target_system", 2, T::u8, 1},
    {"target_component", 3, T::u8, 1},
    {"mission_type", 4, T::u8, 1},
};

const Field MISSION_ITEM_REACHED_FIELDS[] = {
    {"seq", 0, T::u16, 1},
};

const Field RC_CHANNELS_FIELDS[] = {
    {"time_boot_ms", 0, T::u32, 1}, {"chan1_raw", 4, T::u16, 18}, {"chancount", 40, T::u8, 1}, {"rssi", 41, T::u8, 1},
};

const Field MISSION_ITEM_INT_FIELDS[] = {
    {"param1", 0, T::f32, 4},         {"x", 16, T::i32, 1},           {"y", 20, T::i32, 1},
    {"z", 24, T::f32, 1},             {"seq", 28, T::u16, 1},         {"command", 30, T::u16, 1},
    {"target_system", 32, T::u8, 1},  {"target_component", 33, T::u8, 1}, {"frame", 34, T::u8, 1},
    {"current", 35, T::u8, 1},        {"autocontinue", 36, T::u8, 1}, {"mission_type", 37, T::u8, 1},
};

const Field VFR_HUD_FIELDS[] = {
    {"airspeed", 0, T::f32, 1}, {"groundspeed", 4, T::f32, 1}, {"alt", 8, T::f32, 1},
    {"climb", 12, T::f32, 1},   {"heading", 16, T::i16, 1},    {"throttle", 18, T::u16, 1},
};

const Field CAMERA_TRIGGER_FIELDS[] = {
    {"time_usec", 0, T::u64, 1},
    {"seq", 8, T::u32, 1},
};

const Field TERRAIN_REPORT_FIELDS[] = {
    {"lat", 0, T::i32, 1},     {"lon", 4, T::i32, 1},      {"terrain_height", 8, T::f32, 1}, {"current_height", 12, T::f32, 1},
    {"spacing", 16, T::u16, 1}, {"pending", 18, T::u16, 1}, {"loaded", 20, T::u16, 1},
};

const Field BATTERY_STATUS_FIELDS[] = {
    {"current_consumed", 0, T::i32, 1}, {"energy_consumed", 4, T::i32, 1}, {"temperature", 8, T::i16, 1},
    {"voltages", 10, T::u16, 10},       {"current_battery", 30, T::i16, 1}, {"id", 32, T::u8, 1},
    {"battery_function", 33, T::u8, 1}, {"type", 34, T::u8, 1},            {"battery_remaining", 35, T::i8, 1},
};

const Field FENCE_POINT_FIELDS[] = {
    {"lat", 0, T::f32, 1},           {"lng", 4, T::f32, 1}, {"target_system", 8, T::u8, 1},
    {"target_component", 9, T::u8, 1}, {"idx", 10, T::u8, 1}, {"count", 11, T::u8, 1},
};

const Field WIND_FIELDS[] = {
    {"direction", 0, T::f32, 1},
    {"speed", 4, T::f32, 1},
    {"speed_z", 8, T::f32, 1},
};

const Field RALLY_POINT_FIELDS[] = {
    {"lat", 0, T::i32, 1},            {"lng", 4, T::i32, 1},             {"alt", 8, T::i16, 1},
    {"break_alt", 10, T::i16, 1},     {"land_dir", 12, T::u16, 1},       {"target_system", 14, T::u8, 1},
    {"target_component", 15, T::u8, 1}, {"idx", 16, T::u8, 1},           {"count", 17, T::u8, 1},
    {"flags", 18, T::u8, 1},
};

const Field CAMERA_FEEDBACK_FIELDS[] = {
    {"time_usec", 0, T::u64, 1}, {"lat", 8, T::i32, 1},      {"lng", 12, T::i32, 1},      {"alt_msl", 16, T::f32, 1},
    {"alt_rel", 20, T::f32, 1},  {"roll", 24, T::f32, 1},    {"pitch", 28, T::f32, 1},    {"yaw", 32, T::f32, 1},
    {"foc_len", 36, T::f32, 1},  {"img_idx", 40, T::u16, 1}, {"target_system", 42, T::u8, 1}, {"cam_idx", 43, T::u8, 1},
    {"flags", 44, T::u8, 1},
};

const Field HOME_POSITION_FIELDS[] = {
    {"latitude", 0, T::i32, 1}, {"longitude", 4, T::i32, 1}, {"altitude", 8, T::i32, 1},
    {"x", 12, T::f32, 1},       {"y", 16, T::f32, 1},        {"z", 20, T::f32, 1},
};

const Field STATUSTEXT_FIELDS[] = {
    {"severity", 0, T::u8, 1},
    {"text", 1, T::text, 50},
    {"id", 51, T::u16, 1},
    {"chunk_seq", 53, T::u8, 1},
};

#define FIELDS(array) array, sizeof array / sizeof array[0]

const Message MESSAGES[] = {
    {HEARTBEAT, "HEARTBEAT", 50, 9, 9, FIELDS(HEARTBEAT_FIELDS)},
    {SYS_STATUS, "SYS_STATUS", 124, 31, 43, FIELDS(SYS_STATUS_FIELDS)},
    {SYSTEM_TIME, "SYSTEM_TIME", 137, 12, 12, FIELDS(SYSTEM_TIME_FIELDS)},
    {GPS_RAW_INT, "GPS_RAW_INT", 24, 30, 52, FIELDS(GPS_RAW_INT_FIELDS)},
    {ATTITUDE, "ATTITUDE", 39, 28, 28, FIELDS(ATTITUDE_FIELDS)},
    {GLOBAL_POSITION_INT, "GLOBAL_POSITION_INT", 104, 28, 28, FIELDS(GLOBAL_POSITION_INT_FIELDS)},
    {RC_CHANNELS_RAW, "RC_CHANNELS_RAW", 244, 22, 22, FIELDS(RC_CHANNELS_RAW_FIELDS)},
    {SERVO_OUTPUT_RAW, "SERVO_OUTPUT_RAW", 222, 21, 37, FIELDS(SERVO_OUTPUT_RAW_FIELDS)},
    {MISSION_ITEM, "MISSION_ITEM", 254, 37, 38, FIELDS(MISSION_ITEM_FIELDS)},
    {MISSION_CURRENT, "MISSION_CURRENT", 28, 2, 18, FIELDS(MISSION_CURRENT_FIELDS)},
    {MISSION_COUNT, "MISSION_COUNT", 221, 4, 9, FIELDS(MISSION_COUNT_FIELDS)},
    {MISSION_ITEM_REACHED, "MISSION_ITEM_REACHED", 11, 2, 2, FIELDS(MISSION_ITEM_REACHED_FIELDS)},
    {RC_CHANNELS, "RC_CHANNELS", 118, 42, 42, FIELDS(RC_CHANNELS_FIELDS)},
    {MISSION_ITEM_INT, "MISSION_ITEM_INT", 38, 37, 38, FIELDS(MISSION_ITEM_INT_FIELDS)},
    {VFR_HUD, "VFR_HUD", 20, 20, 20, FIELDS(VFR_HUD_FIELDS)},
    {CAMERA_TRIGGER, "CAMERA_TRIGGER", 174, 12, 12, FIELDS(CAMERA_TRIGGER_FIELDS)},
    {TERRAIN_REPORT, "TERRAIN_REPORT", 1, 22, 22, FIELDS(TERRAIN_REPORT_FIELDS)},
    {BATTERY_STATUS, "BATTERY_STATUS", 154, 36, 54, FIELDS(BATTERY_STATUS_FIELDS)},
    {FENCE_POINT, "FENCE_POINT", 78, 12, 12, FIELDS(FENCE_POINT_FIELDS)},
    {WIND, "WIND", 1, 12, 12, FIELDS(WIND_FIELDS)},
    {RALLY_POINT, "RALLY_POINT", 138, 19, 19, FIELDS(RALLY_POINT_FIELDS)},
    {CAMERA_FEEDBACK, "CAMERA_FEEDBACK", 52, 45, 47, FIELDS(CAMERA_FEEDBACK_FIELDS)},
    {HOME_POSITION, "HOME_POSITION", 104, 52, 60, FIELDS(HOME_POSITION_FIELDS)},
    {STATUSTEXT, "STATUSTEXT", 83, 51, 54, FIELDS(STATUSTEXT_FIELDS)},
};

#undef FIELDS

} // namespace

const Message* messageOf(uint32_t id)
{
    // Ids below 256 cover every message of the table: one look-up per packet.
    static const struct Index {
        const Message* byId[256] = {};
        Index()
        {
            for (const Message& m : MESSAGES)
                byId[m.id] = &m;
            for (const Message& m : healthMessages())
                byId[m.id] = &m;
        }
    } index;
    return id < 256 ? index.byId[id] : nullptr;
}

const Field& fieldOf(const Message& message, const char* name)
{
    for (size_t i = 0; i < message.fieldCount; ++i)
        if (std::strcmp(message.fields[i].name, name) == 0)
            return message.fields[i];
    throw std::logic_error(std::string(message.name) + " has no field " + name);
}

std::string textOf(const uint8_t* payload, const Field& field)
{
    const char* p = reinterpret_cast<const char*>(payload + field.offset);
    return std::string(p, strnlen(p, field.count));
}

} // namespace flightreplay::readers::mavlink
