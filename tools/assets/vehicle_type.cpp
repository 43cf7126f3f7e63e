#include "tools/assets/vehicle_type.h"

#include <algorithm>
#include <cctype>

namespace flightreplay::assets {

namespace {

using flight::VehicleType;

struct Word {
    const char* word;
    VehicleType type;
};

// The type names first, in the enum's order, then aliases.
const Word WORDS[] = {
    {"generic", VehicleType::unknown},        {"fixed-wing", VehicleType::fixedWing},
    {"multicopter", VehicleType::multicopter}, {"helicopter", VehicleType::helicopter},
    {"glider", VehicleType::glider},          {"vtol", VehicleType::vtol},
    {"ground", VehicleType::ground},          {"quad", VehicleType::multicopter},
    {"plane", VehicleType::fixedWing},        {"paraglider", VehicleType::glider},
    {"rover", VehicleType::ground},           {"boat", VehicleType::ground},
    {"submarine", VehicleType::ground},
};

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

VehicleType vehicleTypeOf(const flight::Flight& flight)
{
    using flight::VehicleKind;
    switch (flight.vehicle) {
    case VehicleKind::fixedWing: return VehicleType::fixedWing;
    case VehicleKind::multicopter: return VehicleType::multicopter;
    case VehicleKind::helicopter: return VehicleType::helicopter;
    case VehicleKind::vtol: return VehicleType::vtol;
    case VehicleKind::rover:
    case VehicleKind::boat:
    case VehicleKind::submarine: return VehicleType::ground;
    case VehicleKind::airship: return VehicleType::unknown;
    case VehicleKind::unknown: break;
    }
    if (flight.format == flight::FlightFormat::igc)
        return VehicleType::glider;
    // The replay draws its own logs with the trainer; so does the studio.
    if (flight.format == flight::FlightFormat::log)
        return VehicleType::fixedWing;
    return VehicleType::unknown;
}

const char* vehicleTypeName(VehicleType type)
{
    for (const Word& word : WORDS)
        if (word.type == type)
            return word.word;
    return "generic";
}

bool parseVehicleType(const std::string& word, VehicleType& type)
{
    const std::string lower = lowerCase(word);
    for (const Word& known : WORDS) {
        if (lower == known.word) {
            type = known.type;
            return true;
        }
    }
    return false;
}

} // namespace flightreplay::assets
