#pragma once
// A ground station's log read again for the fields of one vehicle's
// catalogue (Flight::fields): MESSAGE.field of the messages the layout table
// knows (mavlink_messages.h), on the flight's clock.

#include <vector>

#include "tools/flight/field_catalogue.h"
#include "tools/readers/byte_reader.h"

namespace flightreplay::readers {

// One series per field, in the order given, of the packets of system.
std::vector<flight::Series> readTlogFields(ByteReader& in, const std::vector<const flight::FieldInfo*>& fields, int system);

} // namespace flightreplay::readers
