#include "tools/assets/vehicle_models.h"

#include "tools/assets/vehicle_builders.h"
#include "tools/assets/vehicle_type.h"

namespace flightreplay::assets {

AcModel vehicleModel(flight::VehicleType type)
{
    switch (type) {
    case flight::VehicleType::fixedWing: return fixedWingModel();
    case flight::VehicleType::multicopter: return multicopterModel();
    case flight::VehicleType::helicopter: return helicopterModel();
    case flight::VehicleType::glider: return gliderModel();
    case flight::VehicleType::vtol: return vtolModel();
    case flight::VehicleType::ground: return groundModel();
    case flight::VehicleType::unknown: break;
    }
    return genericModel();
}

bool writeVehicleModel(flight::VehicleType type, const std::string& path)
{
    return writeAcModel(vehicleModel(type), path);
}

std::string vehicleModelFile(flight::VehicleType type)
{
    return std::string("vehicles/") + vehicleTypeName(type) + ".ac";
}

} // namespace flightreplay::assets
