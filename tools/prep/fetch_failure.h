#pragma once
// Why fetch could not get a file, kept as data so that the report can list
// each file and count the files of each kind of failure.

#include <string>
#include <vector>

namespace flightreplay::prep {

struct FetchFailure {
    enum class Kind {
        httpStatus,  // an HTTP error status, after the retries it deserved
        notATile,    // a 2xx answer whose body is no valid tile
        transfer,    // the transfer itself failed (time-out, broken, short)
        notInSource, // neither the tile nor an ancestor within reach exists
        notCached,   // --offline, and the cache lacks it
        interrupted, // stopped (Ctrl-C) before it was read
        unreadable,  // the data came but could not be read
    };
    Kind kind = Kind::transfer;
    long status = 0;    // the HTTP status, for httpStatus and notATile
    std::string detail; // curl's reason for transfer, the reader's for unreadable
};

// The failure in words, e.g. "HTTP 500", "Transferred a partial file",
// "HTTP 200 with a body that is no valid tile", "not in the source".
std::string describeFailure(const FetchFailure& failure);

struct MissingFile {
    std::string file;   // as the replay opens it, e.g. "./img/n-2894-4265.jpg"
    std::string source; // the URL or file it was to come from; empty when none
    FetchFailure failure;
};

// The report's lines on what is missing: "missing FILE (SOURCE: REASON)"
// for each file in order, then "failed: N files: REASON" for each kind of
// failure, in the order of the reasons' text.
std::string missingFilesReport(const std::vector<MissingFile>& missing);

} // namespace flightreplay::prep
