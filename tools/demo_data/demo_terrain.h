#pragma once
// The elevation tiles and image tiles of the terrain patch around the demo
// flight, for the map frame set up from the demo log.

#include <string>

namespace flightreplay::demo {

// Writes every "zsi-FI-FJ.egm" that the patch's tile corners fall into.
// Returns the number of files, or -1 when one could not be written.
int writeElevationTiles(const std::string& folder);

// Writes the patch's 249 image tiles under folder/img. Returns the number of
// tiles written, or -1 on a failure.
int writeImageTiles(const std::string& folder);

} // namespace flightreplay::demo
