#pragma once
// Ground heights for the plan's and the terrain reports' positions, from
// whatever elevation data the caller has.

#include <functional>
#include <optional>

namespace flightreplay::flight {

// Metres above sea level of the ground at (latitude, longitude) in degrees;
// nullopt where the caller has no elevation there. An empty function knows
// no elevation anywhere.
using ElevationLookup = std::function<std::optional<double>(double latDeg, double lonDeg)>;

// The elevation files (zsi-*.egm) in the working directory, read through
// the replay's own loader as its terrain reads them; nullopt where a file
// the point's samples lie in is missing (nothing is printed for it).
ElevationLookup folderElevation();

} // namespace flightreplay::flight
