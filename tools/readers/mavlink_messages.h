#pragma once
// The MAVLink messages a telemetry log is read for, as data: id, CRC extra,
// payload lengths and each field's offset and type, from the common and
// ardupilotmega definitions. Packets of other ids are skipped by length.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace flightreplay::readers::mavlink {

enum MessageId : uint32_t {
    HEARTBEAT = 0,
    SYS_STATUS = 1,
    SYSTEM_TIME = 2,
    GPS_RAW_INT = 24,
    ATTITUDE = 30,
    GLOBAL_POSITION_INT = 33,
    RC_CHANNELS_RAW = 35,
    SERVO_OUTPUT_RAW = 36,
    MISSION_ITEM = 39,
    MISSION_CURRENT = 42,
    MISSION_COUNT = 44,
    MISSION_ITEM_REACHED = 46,
    RC_CHANNELS = 65,
    MISSION_ITEM_INT = 73,
    VFR_HUD = 74,
    CAMERA_TRIGGER = 112,
    TERRAIN_REPORT = 136,
    BATTERY_STATUS = 147,
    FENCE_POINT = 160,
    WIND = 168,
    RALLY_POINT = 175,
    CAMERA_FEEDBACK = 180,
    HOME_POSITION = 242,
    STATUSTEXT = 253,
};

enum class FieldType : uint8_t { u8, i8, u16, i16, u32, i32, u64, f32, text };

struct Field {
    const char* name;
    uint8_t offset;
    FieldType type;
    uint8_t count; // array elements (bytes for text); 1 for a plain field
};

struct Message {
    uint32_t id;
    const char* name;
    uint8_t crcExtra;
    uint8_t length;         // the payload without extension fields (MAVLink 1)
    uint8_t extendedLength; // with them
    const Field* fields;
    size_t fieldCount;
};

// The largest payload a packet carries.
constexpr size_t MAX_PAYLOAD = 255;

// The message of an id; nullptr for one this reader does not know.
const Message* messageOf(uint32_t id);

// The field of the message called name; throws std::logic_error when the
// table has none, which is a mistake in the reader, not in a file.
const Field& fieldOf(const Message& message, const char* name);

// Element index of the field of a payload of at least the message's
// extendedLength bytes, as a number in the field's own unit.
inline double valueOf(const uint8_t* payload, const Field& field, size_t index = 0)
{
    const auto load = [](const uint8_t* p, auto value) {
        std::memcpy(&value, p, sizeof value);
        return static_cast<double>(value);
    };
    switch (field.type) {
    case FieldType::u8: case FieldType::text: return payload[field.offset + index];
    case FieldType::i8: return static_cast<int8_t>(payload[field.offset + index]);
    case FieldType::u16: return load(payload + field.offset + 2 * index, uint16_t());
    case FieldType::i16: return load(payload + field.offset + 2 * index, int16_t());
    case FieldType::u32: return load(payload + field.offset + 4 * index, uint32_t());
    case FieldType::i32: return load(payload + field.offset + 4 * index, int32_t());
    case FieldType::u64: return load(payload + field.offset + 8 * index, uint64_t());
    case FieldType::f32: return load(payload + field.offset + 4 * index, float());
    }
    return 0.0;
}

// A text field up to its first NUL.
std::string textOf(const uint8_t* payload, const Field& field);

} // namespace flightreplay::readers::mavlink
