#pragma once
// The elevation tiles and image tiles of the terrain patch around the demo
// flight, for the map frame set up from the demo log.

#include <string>

namespace flightreplay::demo {

// Writes every "zsi-FI-FJ.egm" that the patch's tile corners fall into, each
// renamed into place once whole. Returns the number of files; throws
// tools::ToolError when one cannot be written.
int writeElevationTiles(const std::string& folder);

// Writes the patch's 249 image tiles under folder/img, each renamed into
// place once whole. Returns the number of tiles; throws tools::ToolError.
int writeImageTiles(const std::string& folder);

} // namespace flightreplay::demo
