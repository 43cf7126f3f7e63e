#pragma once
// Which reader a flight file needs, told from its content, and the file read
// into streams by it.

#include <optional>
#include <string>
#include <vector>

#include "tools/readers/csv_reader.h"
#include "tools/flight/field_catalogue.h"
#include "tools/flight/flight.h"

namespace flightreplay::readers {

// What to read a flight file as: the format (else told from the content),
// how to read a CSV table, and which vehicle of a ground station's log
// (its MAVLink system id; 0 for the first heard).
struct ReadOptions {
    std::optional<flight::FlightFormat> format;
    CsvOptions csv;
    int system = 0;
    // Fields (every instance) a reader of ULog, DataFlash or tlog keeps while
    // it reads, so that asking for them later reads nothing again (the
    // review's: review::reviewFieldKeys()).
    std::vector<flight::FieldKey> keepFields = {};
};

// The format of a --format word (flight::formatWord); throws
// tools::ToolError naming the choices.
flight::FlightFormat parseFormatWord(const std::string& word);

// The format of a file from its first bytes (up to 64 KB): the one whose
// structure accounts for most of them (the ULog magic, a chain of DataFlash
// messages, a run of tlog records with rising stamps, wherever either
// starts; for the text formats, the text they recognise: an XML root <gpx>,
// IGC A/H/B records, a header of the replay's own log, a CSV header row).
// nullopt when none fits.
std::optional<flight::FlightFormat> recogniseFormat(const std::string& head);

// Reads the file at path (binary formats in chunks, text formats whole),
// recognising the format unless one is given, then tidies the streams,
// derives the attitude from the track where the file records none and adds
// take-off and landing where it does not say (inferFlightEvents) and
// leaves out a mission list that holds no mission (dropUnloadedMission): every
// vehicle of a ground station's log as a flight of its own, in the order
// they were first heard; one flight for any other format. Throws
// tools::ToolError (without the path) for an unreadable file, one of no
// known format or one the reader refuses.
std::vector<flight::Flight> readFlightsOfFile(const std::string& path, const ReadOptions& options);

// The one flight of the file, or the vehicle options.system of a ground
// station's log (the first when 0); throws tools::ToolError as above, and
// for a system that is no vehicle of the file.
flight::Flight readFlightFile(const std::string& path, const ReadOptions& options);

// As above on bytes in memory.
std::vector<flight::Flight> readFlightsOfBytes(const std::string& bytes, const ReadOptions& options);
flight::Flight readFlightBytes(const std::string& bytes, const ReadOptions& options);

} // namespace flightreplay::readers
