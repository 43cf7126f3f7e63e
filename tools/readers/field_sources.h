#pragma once
// Where a flight's own fields are read from once the flight is read: the
// file again (by path), or the bytes it was read from.

#include <memory>
#include <string>

#include "tools/flight/field_catalogue.h"
#include "tools/flight/flight.h"

namespace flightreplay::readers {

// The log a flight came from: a path, or bytes held in memory.
struct LogInput {
    std::string path;
    std::shared_ptr<const std::string> bytes; // used when path is empty
};

// A source reading the fields of flight's catalogue from input, a log of
// that format (ULog, DataFlash or tlog; system: the tlog's vehicle); null for
// other formats.
std::shared_ptr<const flight::FieldSource> fieldSourceOf(flight::FlightFormat format, LogInput input, int system);

} // namespace flightreplay::readers
