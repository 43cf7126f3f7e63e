#pragma once
// Reads an ArduPilot DataFlash log (.bin) into timed streams on the boot
// clock: GPS (or the estimator's POS), ATT, BAT/CURR, BARO, RCIN, RCOU, and
// the firmware and frame from MSG texts. Layouts come from the FMT messages
// of the file, fields are found by name.

#include <string>

#include "tools/readers/byte_reader.h"
#include "tools/flight/field_catalogue.h"
#include "tools/flight/flight.h"

namespace flightreplay::readers {

// Reads the stream to its end. Bytes before the first FMT message (a log
// copied from its middle) and damaged stretches are skipped up to the next
// header of a known message type, and a file ending inside a message keeps
// what came before; both are told in Flight::notes. Throws
// tools::ToolError when the stream holds no FMT message.
// The fields of keep (every instance) are read along and kept: the
// flight's fieldSource answers for them without reading again.
flight::Flight readDataflash(ByteReader& in, const std::vector<flight::FieldKey>& keep = {});

// The fields of this log's catalogue (Flight::fields), one series each in
// the order given, read as readDataflash reads the file; throws as it.
std::vector<flight::Series> readDataflashFields(ByteReader& in, const std::vector<const flight::FieldInfo*>& fields);

// How many bytes of head the longest chain of DataFlash messages accounts
// for (FMT messages first, each message's length from the FMTs before it),
// wherever it starts; 0 when there is none.
size_t dataflashEvidence(const std::string& head);

} // namespace flightreplay::readers
