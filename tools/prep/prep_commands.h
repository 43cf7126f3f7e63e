#pragma once
// The tool's three commands. Each expects the map frame to be set up and
// reports on standard output; bad input throws tools::ToolError.

#include <string>
#include <vector>

namespace flightreplay::prep {

struct PrepOptions {
    std::string dir = ".";  // where files are looked for and written
    bool force = false;     // overwrite existing files
};

// Lists the elevation files and image tiles the replay will open and which
// are missing or incomplete; returns the exit status, 0 when none is.
int runCheck(const PrepOptions& options);

// Writes every elevation file the terrain patch reads from the DEMs.
void runTerrain(const PrepOptions& options, const std::vector<std::string>& dems);

// Writes the patch's image tiles from the tile source.
void runImagery(const PrepOptions& options, const std::string& source);

} // namespace flightreplay::prep
