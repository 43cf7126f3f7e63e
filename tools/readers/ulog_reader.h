#pragma once
// Reads a PX4 ULog file into timed streams: position from the best source it
// holds, attitude from the quaternion, battery, RC input, actuator outputs,
// airspeed and baro altitude; firmware and vehicle type from its info and
// parameters. Times are seconds of the log's own clock.

#include <string>

#include "tools/readers/byte_reader.h"
#include "tools/flight/field_catalogue.h"
#include "tools/flight/flight.h"

namespace flightreplay::readers {

// Reads the stream to its end. Damaged stretches are skipped up to the next
// sync marker or plausible message header (a known type and size, a
// subscribed id, a timestamp not going back, and the message after it as
// plausible), and a file ending inside a message keeps what came before;
// both are told in Flight::notes. Throws tools::ToolError (one line) for
// a file that is not a ULog or sets incompatible flags this reader does not
// know.
// The fields of keep (every instance) are read along and kept: the
// flight's fieldSource answers for them without reading again.
flight::Flight readUlog(ByteReader& in, const std::vector<flight::FieldKey>& keep = {});

// The fields of this log's catalogue (Flight::fields), one series each in
// the order given, read as readUlog reads the file; throws as readUlog.
std::vector<flight::Series> readUlogFields(ByteReader& in, const std::vector<const flight::FieldInfo*>& fields);

// head.size() when the bytes start with the ULog magic (it speaks for the
// whole file), else 0.
size_t ulogEvidence(const std::string& head);

} // namespace flightreplay::readers
