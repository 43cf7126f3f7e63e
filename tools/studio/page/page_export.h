#pragma once
// flightreplay-studio --export-page OUT.html: the flights as one web page to
// be explored in a browser, offline.

#include "tools/studio/studio_options.h"

namespace flightreplay::page {

// Writes the page of options.pagePath whole (renamed into place): its data
// {"title", "metresPerUnit" (of the map frame), "skyRadius" (metres),
// "ground" (page_ground.h), "sky" (JPEG data URL), "attribution"
// (ATTRIBUTION.txt, or empty), "duration" (seconds on the clock),
// "startTime" (--time), "flights", "models" (page_flights.h)} for the
// options' flights and the working directory's folder; the notes on
// made-up data (one line a kind, as the studio says them) on standard
// output, a progress bar on a terminal once the work takes over two
// seconds, and "PATH: N MB, FLIGHTS flights" when done; returns 0.
// Throws tools::ToolError with one line (a flight that cannot be read, an
// output that cannot be written), leaving no file at the path.
int runPageExport(const studio::StudioOptions& options);

} // namespace flightreplay::page
