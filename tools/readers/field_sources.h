#pragma once
// Where a flight's own fields are read from once the flight is read: the
// file again (by path), or the bytes it was read from.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tools/flight/field_catalogue.h"
#include "tools/flight/flight.h"
#include "tools/readers/series_bucket.h"

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

// Fields a reader kept in the rows of their message: each one's name and
// where in a row it lies.
struct KeptRows {
    struct Field {
        std::string name;
        size_t offset;
        flight::StoredType type;
    };
    std::vector<Field> fields;
    ThinnedRows rows;
};

// The series a reader kept as it read (names[i]: series[i]), and the fields
// it kept in rows, each in time order, as a source for
// Flight::fieldSource (the file read again for any other field, once
// read_flight.h knows where it is).
std::shared_ptr<const flight::FieldSource> keptFieldSource(const std::vector<std::string>& names,
                                                           std::vector<ThinnedSeries<flight::Sample>>& series,
                                                           std::vector<KeptRows> tables = {});

// Whether key names message.field of some instance.
inline bool keeps(const std::vector<flight::FieldKey>& keys, const std::string& message, const std::string& field)
{
    for (const flight::FieldKey& key : keys)
        if (key.message == message && key.field == field)
            return true;
    return false;
}

} // namespace flightreplay::readers
