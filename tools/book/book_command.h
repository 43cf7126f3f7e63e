#pragma once
// flightreplay-book's command line and what each form of it does.

#include <functional>
#include <string>
#include <vector>

namespace flightreplay::book {

// The usage text, several lines, each ending in a newline.
const char* bookUsage();

// A log's own page (the studio's --export-page) written to pagePath;
// throws tools::ToolError.
using FlightPageWriter = std::function<void(const std::string& logPath, const std::string& pagePath)>;

// Runs flightreplay-book on the arguments after the program name: a run
// over folders (the closing line on standard output), --shard, --merge,
// --list, --totals or --page. writeFlightPage is null where this build has
// no flight pages (--flight-pages is then refused). Returns the exit
// status; throws tools::ToolError with one line for bad options, a book
// that is not ours or of a newer schema, an output that cannot be written.
int runBook(const std::vector<std::string>& args, const FlightPageWriter& writeFlightPage);

} // namespace flightreplay::book
