#pragma once
// A zip archive built in memory, as a KMZ is.

#include <string>
#include <vector>

namespace flightreplay::kml {

struct ZipEntry {
    std::string name;  // path within the archive, '/' between folders
    std::string bytes;
};

// The bytes of a zip archive holding the entries in the given order,
// deflated. Throws tools::ToolError when the zip library fails.
std::string zipArchive(const std::vector<ZipEntry>& entries);

} // namespace flightreplay::kml
