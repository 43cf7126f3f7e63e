#pragma once
// Which reader a flight file needs, told from its content, and the file read
// into streams by it.

#include <optional>
#include <string>

#include "tools/convert/csv_reader.h"
#include "tools/flight/flight.h"

namespace flightreplay::convert {

using namespace flight;

enum class FlightFormat { ulog, dataflash, gpx, igc, log, csv };

// "ulog", "dataflash", "gpx", "igc", "log", "csv".
const char* formatName(FlightFormat format);
// The format of a --format word; throws tools::ToolError naming the choices.
FlightFormat parseFormatName(const std::string& word);

// The format of a file from its first bytes (a few kilobytes are enough):
// ULog magic, DataFlash header and FMT, an XML root <gpx>, IGC A/H/B
// records, a header of the replay's own log, else a CSV header row. nullopt when none fits.
std::optional<FlightFormat> recogniseFormat(const std::string& head);

// Reads the file at path (binary formats in chunks, text formats whole),
// recognising the format unless one is given, then tidies the streams,
// derives the attitude from the track where the file records none and adds
// take-off and landing where it does not say (inferFlightEvents). Throws
// tools::ToolError (without the path) for an unreadable file, one of no
// known format or one the reader refuses.
Flight readFlightFile(const std::string& path, std::optional<FlightFormat> format, const CsvOptions& csv);

// As above on bytes in memory.
Flight readFlightBytes(const std::string& bytes, std::optional<FlightFormat> format, const CsvOptions& csv);

} // namespace flightreplay::convert
