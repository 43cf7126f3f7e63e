#pragma once
// The elevation tiles and image tiles of the terrain patch around the demo
// flight. The patch follows from the log as the replay computes it: the log
// is read and the map frame set up through the replay's own code.

#include <string>

// Reads folder/demo.log into the flight log table and sets up the map frame
// (which prints its two lines on standard output).
bool setupFrameFromLog(const std::string& folder);

// Writes every "zsi-FI-FJ.egm" that the patch's tile corners fall into.
// Returns the number of files, or -1 when one could not be written.
int writeElevationTiles(const std::string& folder);

// Writes the patch's 249 image tiles under folder/img. Returns the number of
// tiles written, or -1 on a failure.
int writeImageTiles(const std::string& folder);
