#pragma once
// The tool's commands. Each but assets expects the map frame to be set up;
// all report on standard output; bad input throws tools::ToolError.

#include <string>
#include <vector>

#include "frame/terrain_tiles.h"
#include "log/log_reader.h"

#include "tools/flight/flight.h"

namespace flightreplay::prep {

struct PrepOptions {
    std::string dir = ".";  // where files are looked for and written
    bool force = false;     // overwrite existing files
    flight::VehicleType vehicle = flight::VehicleType::fixedWing; // the model assets writes
    bool noRelief = false;  // terrain: draw no relief tiles where imagery is missing
    LogExtents planArea;    // what the flights' plans place (minutes of arc); start values for none
};


// The Copernicus DEM GLO-30 bucket: cells at BASE/NAME/NAME.tif.
constexpr const char* COPERNICUS_GLO30 = "https://copernicus-dem-30m.s3.amazonaws.com";

struct FetchOptions {
    std::string demSource = COPERNICUS_GLO30; // Copernicus-style cells
    std::string demTemplate;                  // XYZ elevation PNG tiles instead
    std::string demEncoding = "terrarium";    // or "terrain-rgb"
    std::string imagery;                      // XYZ template; empty: relief
    std::string attribution;                  // the imagery's, for ATTRIBUTION.txt
    std::string cache;                        // empty: the user's cache folder
    bool offline = false;                     // the cache only
    double timeoutSeconds = 30.0;
};

// Lists the elevation files and image tiles the replay will open and which
// are missing or incomplete; returns the exit status, 0 when none is.
int runCheck(const PrepOptions& options);

// Writes every elevation file the terrain patch and the plan's area
// (options.planArea) read from the DEMs.
void runTerrain(const PrepOptions& options, const std::vector<std::string>& dems);

// Writes everything the replay opens for the flight: elevation files from
// the DEM service, image tiles from the imagery service or drawn as relief,
// the sky and the aircraft, through the download cache. Returns 0 when
// complete, 1 when some files are missing (listed); throws tools::ToolError
// for bad input and when no server can be reached.
int runFetch(const PrepOptions& options, const FetchOptions& fetch);

// Draws relief tiles from the folder's elevation files for every tile of
// the patch without imagery; returns how many it wrote.
int writeReliefTiles(const PrepOptions& options);

// Whether an existing image tile stays: it exists, is no relief tile, and
// force is off.
bool keepsImageTile(const PrepOptions& options, const std::string& name);

// The patch's image tiles still to write, in the terrain's order; the count
// of those kept into kept.
std::vector<TerrainTile> imageTilesToWrite(const PrepOptions& options, int& kept);

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
