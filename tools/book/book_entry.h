#pragma once
// What the logbook holds of one file: a pure function of the file's bytes,
// so that any machine can work out any share of a fleet's logs.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/flight/flight_summary.h"

namespace flightreplay::book {

// A finding of the review, as the findings table holds it.
struct FindingRow {
    std::string kind;
    std::string severity; // "warning" or "failure"
    double start = 0, end = 0; // seconds from the first fix
    double value = 0, threshold = 0;
    std::string unit;
    std::string text;
};

// One flight of the file: one vehicle of a ground station's log, else the file's.
struct FlightRow {
    std::string format;   // flight::formatWord
    std::string vehicle;  // flight::vehicleKindName
    std::string firmware; // empty where unknown
    int systemId = 0;     // MAVLink system of a tlog's vehicle; 0 otherwise
    flight::FlightSummary summary;
    int failures = -1;    // the review's counts; -1 where no review was made
    int warnings = -1;
    double maxVibration = NAN; // largest value of the review's vibration findings
    std::string notes;    // the reader's and the review's notes, one a line
    std::string track;    // at most TRACK_POINTS fixes as JSON [[lat,lon],...], 5 decimals
    std::vector<FindingRow> findings;
};

constexpr size_t TRACK_POINTS = 200;

// The file's identity: what tells a changed file from an unchanged one.
struct FileFacts {
    int64_t size = 0;
    int64_t mtimeNs = 0; // nanoseconds since 1970
    std::string hash;    // 64-bit FNV-1a of the content, 16 hex digits
};

struct BookEntry {
    FileFacts file;
    std::vector<FlightRow> flights; // empty: skipped, for skippedReason
    std::string skippedReason;
};

// Size and modification time of the file; throws tools::ToolError for a
// file that cannot be looked at.
FileFacts fileFacts(const std::string& path);

// The content hash of the file; throws tools::ToolError when it cannot be read.
std::string contentHash(const std::string& path);

// Reads the file at path, whose facts (fileFacts with contentHash) are
// file, into its entry: every flight with fixes that the readers find, each
// with its summary, track and review; none, with the reason, for a file
// that is no flight log, one the readers refuse or one without a fix.
// Throws tools::ToolError (naming the reason, not the path) only when the
// file cannot be opened or read: it is gone or unreadable.
BookEntry readBookEntry(const std::string& path, const FileFacts& file);

// The flight's row (summary, track, notes, review) and its review.
FlightRow flightRowOf(const flight::Flight& flight);

} // namespace flightreplay::book
