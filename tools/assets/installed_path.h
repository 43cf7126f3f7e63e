#pragma once
// The data files installed with the programs: the vehicle models and the
// sky picture, under share/flightreplay.

#include <string>

namespace flightreplay::assets {

// The file `relative` (e.g. "vehicles/multicopter.ac") in the data folder
// beside the running program (its ../share/flightreplay), else in the build
// tree's copy, else the empty string when neither holds it.
std::string installedAssetPath(const std::string& relative);

// The folder of the running program's executable, or empty when the system
// does not say.
std::string executableFolder();

} // namespace flightreplay::assets
