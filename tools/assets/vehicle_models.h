#pragma once
// The built-in vehicle models as AC3D files.

#include <string>

#include "tools/assets/ac3d_model.h"
#include "tools/flight/flight.h"

namespace flightreplay::assets {

// The built-in model for `type` (the generic dart for unknown), in metres:
// nose along -x, top along +y, left wing along +z.
AcModel vehicleModel(flight::VehicleType type);

// Writes that model to `path` as AC3D text; false when it cannot.
bool writeVehicleModel(flight::VehicleType type, const std::string& path);

// Where the installed copy lives within the data folder:
// "vehicles/NAME.ac", NAME as vehicleTypeName says.
std::string vehicleModelFile(flight::VehicleType type);

} // namespace flightreplay::assets
