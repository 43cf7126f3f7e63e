#pragma once
// Flight files written as one Google Earth file: the converter's OUT.kmz and
// --kmz, the studio's --export-kmz.

#include <string>
#include <vector>

#include "tools/readers/read_flight.h"

namespace flightreplay::kml {

// Whether path names a Google Earth file: .kmz or .kml, in any case.
bool isGoogleEarthPath(const std::string& path);

// Reads every flight file (the readers' notes on standard error, "PATH:
// note"), reviews each (flight_review.h) and writes them with their
// findings into out: a .kmz holds the document (doc.kml)
// and the vehicles' COLLADA models (models/TYPE.dae); a .kml is the
// document alone, the vehicles drawn as icons. The file is written whole
// under a temporary name and renamed into place; an existing out is kept
// unless force. A bar on standard error once the work takes over 2 s.
// Throws tools::ToolError with one line (naming the file) for a flight
// that cannot be read or has no position, or an output that cannot be
// written.
void exportGoogleEarth(const std::vector<std::string>& flightPaths, const readers::ReadOptions& read,
                       const std::string& out, bool force);

} // namespace flightreplay::kml
