#pragma once
// The tool's commands. Each but assets expects the map frame to be set up;
// all report on standard output; bad input throws tools::ToolError.

#include <string>
#include <vector>

#include "tools/flight/flight.h"

namespace flightreplay::prep {

struct PrepOptions {
    std::string dir = ".";  // where files are looked for and written
    bool force = false;     // overwrite existing files
    flight::VehicleType vehicle = flight::VehicleType::fixedWing; // the model assets writes
};

// Lists the elevation files and image tiles the replay will open and which
// are missing or incomplete; returns the exit status, 0 when none is.
int runCheck(const PrepOptions& options);

// Writes every elevation file the terrain patch reads from the DEMs.
void runTerrain(const PrepOptions& options, const std::vector<std::string>& dems);

// Writes the patch's image tiles from the tile source.
void runImagery(const PrepOptions& options, const std::string& source);

// Writes the sky picture and the aircraft model where they are missing (all
// of them with force): the demo data set's sky and the built-in model of
// the options' vehicle.
void runAssets(const PrepOptions& options);

// Lists the sky picture and the aircraft model as found or missing; returns
// how many are missing.
int checkAssets(const PrepOptions& options);

} // namespace flightreplay::prep
