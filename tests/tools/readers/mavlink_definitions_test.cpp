#include <gtest/gtest.h>

#include <string>

#include "tools/readers/mavlink_definitions.h"

using namespace flightreplay::readers::mavlink;

// The rule that gives the health messages their CRC extras, on messages whose
// extras the MAVLink tables publish (fields as the wire lays them out).
TEST(MavlinkDefinitions, CrcExtrasFollowFromNameAndFields)
{
    const auto u8 = [](const char* n) { return FieldDefinition{"uint8_t", n}; };
    const auto u16 = [](const char* n) { return FieldDefinition{"uint16_t", n}; };
    const auto u32 = [](const char* n) { return FieldDefinition{"uint32_t", n}; };
    const auto i32 = [](const char* n) { return FieldDefinition{"int32_t", n}; };
    const auto i16 = [](const char* n) { return FieldDefinition{"int16_t", n}; };
    const auto f = [](const char* n) { return FieldDefinition{"float", n}; };
    const auto ext = [](FieldDefinition d) {
        d.extension = true;
        return d;
    };
    struct Case {
        MessageDefinition message;
        int crcExtra;
    };
    const Case cases[] = {
        {{0, "HEARTBEAT", {u32("custom_mode"), u8("type"), u8("autopilot"), u8("base_mode"), u8("system_status"), u8("mavlink_version")}}, 50},
        {{30, "ATTITUDE", {u32("time_boot_ms"), f("roll"), f("pitch"), f("yaw"), f("rollspeed"), f("pitchspeed"), f("yawspeed")}}, 39},
        {{33, "GLOBAL_POSITION_INT",
          {u32("time_boot_ms"), i32("lat"), i32("lon"), i32("alt"), i32("relative_alt"), i16("vx"), i16("vy"), i16("vz"), u16("hdg")}},
         104},
        {{74, "VFR_HUD", {f("airspeed"), f("groundspeed"), f("alt"), f("climb"), i16("heading"), u16("throttle")}}, 20},
        {{168, "WIND", {f("direction"), f("speed"), f("speed_z")}}, 1},
        {{2, "SYSTEM_TIME", {{"uint64_t", "time_unix_usec"}, u32("time_boot_ms")}}, 137},
        {{42, "MISSION_CURRENT", {u16("seq"), ext(u16("total")), ext(u8("mission_state"))}}, 28},
        {{253, "STATUSTEXT", {u8("severity"), {"char", "text", 50}, ext(u16("id")), ext(u8("chunk_seq"))}}, 83},
        {{147, "BATTERY_STATUS",
          {i32("current_consumed"), i32("energy_consumed"), i16("temperature"), {"uint16_t", "voltages", 10}, i16("current_battery"),
           u8("id"), u8("battery_function"), u8("type"), {"int8_t", "battery_remaining"}, ext(i32("time_remaining"))}},
         154},
        {{136, "TERRAIN_REPORT", {i32("lat"), i32("lon"), f("terrain_height"), f("current_height"), u16("spacing"), u16("pending"), u16("loaded")}}, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(crcExtraOf(c.message), c.crcExtra) << c.message.name;
}

TEST(MavlinkDefinitions, HealthMessagesLaidOutLargestFirst)
{
    struct Case {
        uint32_t id;
        int length;
        int extendedLength;
        const char* field;
        int offset;
    };
    const Case cases[] = {
        {241, 32, 32, "clipping_0", 20},    {193, 22, 26, "flags", 20},  {193, 22, 26, "airspeed_variance", 22},
        {230, 42, 42, "flags", 40},         {125, 6, 6, "flags", 4},     {165, 3, 3, "I2Cerr", 2},
        {109, 9, 9, "rssi", 4},             {245, 2, 2, "landed_state", 1}, {62, 26, 26, "nav_bearing", 20},
    };
    for (const Case& c : cases) {
        const Message* m = messageOf(c.id);
        ASSERT_NE(m, nullptr) << c.id;
        EXPECT_EQ(m->length, c.length) << m->name;
        EXPECT_EQ(m->extendedLength, c.extendedLength) << m->name;
        EXPECT_EQ(fieldOf(*m, c.field).offset, c.offset) << m->name << "." << c.field;
    }
}
