#include "tools/readers/mavlink_definitions.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "tools/readers/tlog_reader.h"

namespace flightreplay::readers::mavlink {

namespace {

struct TypeInfo {
    const char* name;
    FieldType type;
    uint8_t size;
};

constexpr TypeInfo TYPES[] = {
    {"uint8_t", FieldType::u8, 1},   {"int8_t", FieldType::i8, 1},   {"char", FieldType::text, 1},
    {"uint16_t", FieldType::u16, 2}, {"int16_t", FieldType::i16, 2}, {"uint32_t", FieldType::u32, 4},
    {"int32_t", FieldType::i32, 4},  {"float", FieldType::f32, 4},   {"uint64_t", FieldType::u64, 8},
};

const TypeInfo& typeOf(const char* name)
{
    for (const TypeInfo& t : TYPES)
        if (std::strcmp(t.name, name) == 0)
            return t;
    throw std::logic_error(std::string("no MAVLink type ") + name);
}

// Base fields by element size, largest first, the declared order kept
// among equals; extensions after them as declared.
std::vector<FieldDefinition> wireOrder(const MessageDefinition& message)
{
    std::vector<FieldDefinition> base, extensions;
    for (const FieldDefinition& f : message.fields)
        (f.extension ? extensions : base).push_back(f);
    std::stable_sort(base.begin(), base.end(),
                     [](const FieldDefinition& a, const FieldDefinition& b) { return typeOf(a.type).size > typeOf(b.type).size; });
    base.insert(base.end(), extensions.begin(), extensions.end());
    return base;
}

const std::vector<MessageDefinition>& definitions()
{
    static const std::vector<MessageDefinition> messages = {
        {241, "VIBRATION",
         {{"uint64_t", "time_usec"}, {"float", "vibration_x"}, {"float", "vibration_y"}, {"float", "vibration_z"},
          {"uint32_t", "clipping_0"}, {"uint32_t", "clipping_1"}, {"uint32_t", "clipping_2"}}},
        {193, "EKF_STATUS_REPORT",
         {{"uint16_t", "flags"}, {"float", "velocity_variance"}, {"float", "pos_horiz_variance"}, {"float", "pos_vert_variance"},
          {"float", "compass_variance"}, {"float", "terrain_alt_variance"}, {"float", "airspeed_variance", 0, true}}},
        {230, "ESTIMATOR_STATUS",
         {{"uint64_t", "time_usec"}, {"uint16_t", "flags"}, {"float", "vel_ratio"}, {"float", "pos_horiz_ratio"},
          {"float", "pos_vert_ratio"}, {"float", "mag_ratio"}, {"float", "hagl_ratio"}, {"float", "tas_ratio"},
          {"float", "pos_horiz_accuracy"}, {"float", "pos_vert_accuracy"}}},
        {125, "POWER_STATUS", {{"uint16_t", "Vcc"}, {"uint16_t", "Vservo"}, {"uint16_t", "flags"}}},
        {165, "HWSTATUS", {{"uint16_t", "Vcc"}, {"uint8_t", "I2Cerr"}}},
        {109, "RADIO_STATUS",
         {{"uint8_t", "rssi"}, {"uint8_t", "remrssi"}, {"uint8_t", "txbuf"}, {"uint8_t", "noise"}, {"uint8_t", "remnoise"},
          {"uint16_t", "rxerrors"}, {"uint16_t", "fixed"}}},
        {245, "EXTENDED_SYS_STATE", {{"uint8_t", "vtol_state"}, {"uint8_t", "landed_state"}}},
        {62, "NAV_CONTROLLER_OUTPUT",
         {{"float", "nav_roll"}, {"float", "nav_pitch"}, {"int16_t", "nav_bearing"}, {"int16_t", "target_bearing"},
          {"uint16_t", "wp_dist"}, {"float", "alt_error"}, {"float", "aspd_error"}, {"float", "xtrack_error"}}},
    };
    return messages;
}

} // namespace

uint8_t crcExtraOf(const MessageDefinition& message)
{
    const auto add = [](const std::string& text, uint16_t crc) {
        return mavlinkCrc(reinterpret_cast<const uint8_t*>(text.data()), text.size(), crc);
    };
    uint16_t crc = add(std::string(message.name) + " ", 0xffff);
    for (const FieldDefinition& f : wireOrder(message)) {
        if (f.extension)
            break;
        crc = add(std::string(f.type) + " " + f.name + " ", crc);
        if (f.arrayLength > 0)
            crc = mavlinkCrc(&f.arrayLength, 1, crc);
    }
    return static_cast<uint8_t>((crc & 0xff) ^ (crc >> 8));
}

const std::vector<Message>& healthMessages()
{
    static const struct Table {
        std::vector<std::unique_ptr<std::vector<Field>>> fields;
        std::vector<Message> messages;
        Table()
        {
            for (const MessageDefinition& definition : definitions()) {
                auto laid = std::make_unique<std::vector<Field>>();
                size_t offset = 0, base = 0;
                for (const FieldDefinition& f : wireOrder(definition)) {
                    const TypeInfo& type = typeOf(f.type);
                    const uint8_t count = f.arrayLength > 0 ? f.arrayLength : 1;
                    laid->push_back({f.name, static_cast<uint8_t>(offset), type.type, count});
                    offset += static_cast<size_t>(type.size) * count;
                    if (!f.extension)
                        base = offset;
                }
                messages.push_back({definition.id, definition.name, crcExtraOf(definition), static_cast<uint8_t>(base),
                                    static_cast<uint8_t>(offset), laid->data(), laid->size()});
                fields.push_back(std::move(laid));
            }
        }
    } table;
    return table.messages;
}

} // namespace flightreplay::readers::mavlink
