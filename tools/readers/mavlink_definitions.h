#pragma once
// MAVLink messages as their definitions state them (name, id, fields in
// declared order with their C types), laid out on the wire and given their
// CRC extra the way MAVLink derives both: fields sorted by element size,
// largest first (extensions after, in declared order), and the X.25 CRC of
// "NAME " then "type name " of each base field in wire order (an array adds
// its length as one byte), folded to a byte.

#include <cstdint>
#include <vector>

#include "tools/readers/mavlink_messages.h"

namespace flightreplay::readers::mavlink {

struct FieldDefinition {
    const char* type; // "uint8_t", "int16_t", "float", "char", ...
    const char* name;
    uint8_t arrayLength = 0; // 0 for a plain field
    bool extension = false;
};

struct MessageDefinition {
    uint32_t id;
    const char* name;
    std::vector<FieldDefinition> fields; // as declared
};

// The CRC extra of a message of these fields.
uint8_t crcExtraOf(const MessageDefinition& message);

// The health messages the review reads from a telemetry log (VIBRATION,
// EKF_STATUS_REPORT, ESTIMATOR_STATUS, POWER_STATUS, HWSTATUS, RADIO_STATUS,
// EXTENDED_SYS_STATE, NAV_CONTROLLER_OUTPUT), laid out and with their CRC
// extras derived; static, made once.
const std::vector<Message>& healthMessages();

} // namespace flightreplay::readers::mavlink
