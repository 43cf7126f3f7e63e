#include "tools/readers/autopilot_names.h"

#include <utility>

namespace flightreplay::readers {

namespace {

template <size_t N>
const char* lookUp(const std::pair<int, const char*> (&table)[N], int number)
{
    for (const auto& [code, name] : table)
        if (code == number)
            return name;
    return nullptr;
}

// Numbers PX4 retired (6 to 9, 11, 16) keep the names of the firmware that
// logged them last, so that old logs still read right.
const std::pair<int, const char*> PX4_NAV_STATES[] = {
    {0, "Manual"},        {1, "Altitude"},       {2, "Position"},       {3, "Mission"},
    {4, "Hold"},          {5, "Return"},         {6, "Position Slow"},  {7, "Return to GCS"},
    {8, "Land (engine failure)"}, {9, "Land (GPS failure)"}, {10, "Acro"}, {12, "Descend"},
    {13, "Termination"},  {14, "Offboard"},      {15, "Stabilized"},    {16, "Rattitude"},
    {17, "Takeoff"},      {18, "Land"},          {19, "Follow Target"}, {20, "Precision Land"},
    {21, "Orbit"},        {22, "VTOL Takeoff"},  {23, "External 1"},    {24, "External 2"},
    {25, "External 3"},   {26, "External 4"},    {27, "External 5"},    {28, "External 6"},
    {29, "External 7"},   {30, "External 8"},
};

const std::pair<int, const char*> PLANE_MODES[] = {
    {0, "Manual"},    {1, "Circle"},   {2, "Stabilize"},  {3, "Training"},  {4, "Acro"},
    {5, "FBWA"},      {6, "FBWB"},     {7, "Cruise"},     {8, "Autotune"},  {10, "Auto"},
    {11, "RTL"},      {12, "Loiter"},  {13, "Takeoff"},   {14, "Avoid ADSB"}, {15, "Guided"},
    {16, "Initialising"}, {17, "QStabilize"}, {18, "QHover"}, {19, "QLoiter"}, {20, "QLand"},
    {21, "QRTL"},     {22, "QAutotune"}, {23, "QAcro"},   {24, "Thermal"},  {25, "Loiter to QLand"},
    {26, "Autoland"},
};

const std::pair<int, const char*> COPTER_MODES[] = {
    {0, "Stabilize"}, {1, "Acro"},     {2, "AltHold"},   {3, "Auto"},       {4, "Guided"},
    {5, "Loiter"},    {6, "RTL"},      {7, "Circle"},    {9, "Land"},       {11, "Drift"},
    {13, "Sport"},    {14, "Flip"},    {15, "AutoTune"}, {16, "PosHold"},   {17, "Brake"},
    {18, "Throw"},    {19, "Avoid ADSB"}, {20, "Guided NoGPS"}, {21, "Smart RTL"}, {22, "FlowHold"},
    {23, "Follow"},   {24, "ZigZag"},  {25, "SystemID"}, {26, "Autorotate"}, {27, "Auto RTL"},
    {28, "Turtle"},
};

const std::pair<int, const char*> ROVER_MODES[] = {
    {0, "Manual"},  {1, "Acro"},  {3, "Steering"}, {4, "Hold"},   {5, "Loiter"},   {6, "Follow"},
    {7, "Simple"},  {8, "Dock"},  {9, "Circle"},   {10, "Auto"},  {11, "RTL"},     {12, "Smart RTL"},
    {15, "Guided"}, {16, "Initialising"},
};

const std::pair<int, const char*> SUB_MODES[] = {
    {0, "Stabilize"}, {1, "Acro"}, {2, "Depth Hold"}, {3, "Auto"}, {4, "Guided"},
    {7, "Circle"},    {9, "Surface"}, {16, "PosHold"}, {19, "Manual"},
};

const std::pair<int, const char*> PX4_MAIN_MODES[] = {
    {1, "Manual"},     {2, "Altitude"}, {3, "Position"}, {4, "Auto"},       {5, "Acro"},
    {6, "Offboard"},   {7, "Stabilized"}, {8, "Rattitude"}, {9, "Simple"}, {10, "Termination"},
};

const std::pair<int, const char*> PX4_AUTO_MODES[] = {
    {1, "Ready"},         {2, "Takeoff"},        {3, "Hold"},          {4, "Mission"}, {5, "Return"},
    {6, "Land"},          {7, "Return to GCS"},  {8, "Follow Target"}, {9, "Precision Land"},
    {10, "VTOL Takeoff"},
};

const std::pair<int, const char*> MAV_TYPES[] = {
    {0, "generic"},       {1, "fixed wing"},     {2, "quadrotor"},      {3, "coaxial"},
    {4, "helicopter"},    {5, "antenna tracker"}, {6, "ground station"}, {7, "airship"},
    {8, "balloon"},       {9, "rocket"},         {10, "ground rover"},  {11, "surface boat"},
    {12, "submarine"},    {13, "hexarotor"},     {14, "octorotor"},     {15, "tricopter"},
    {16, "flapping wing"}, {17, "kite"},         {18, "onboard companion"}, {19, "VTOL tailsitter (duo)"},
    {20, "VTOL tailsitter (quad)"}, {21, "VTOL tiltrotor"}, {22, "VTOL quadplane"}, {23, "VTOL tailsitter"},
    {24, "VTOL"},         {25, "VTOL tiltwing"}, {26, "gimbal"},        {27, "ADS-B"},
    {28, "parafoil"},     {29, "dodecarotor"},   {30, "camera"},        {35, "decarotor"},
    {43, "multirotor"},
};

const std::pair<int, const char*> MAV_AUTOPILOTS[] = {
    {0, "generic"}, {3, "ArduPilot"}, {8, "none"}, {12, "PX4"},
};

const std::pair<int, const char*> EVENTS[] = {
    {10, "Armed"},                  {11, "Disarmed"},               {15, "Auto-armed"},
    {17, "Land complete maybe"},    {18, "Land complete"},          {19, "Lost GPS"},
    {21, "Flip start"},             {22, "Flip end"},               {25, "Set home"},
    {26, "Simple mode on"},         {27, "Simple mode off"},        {28, "Not landed"},
    {29, "Super simple mode on"},   {30, "Autotune initialised"},   {31, "Autotune off"},
    {32, "Autotune restart"},       {33, "Autotune success"},       {34, "Autotune failed"},
    {35, "Autotune reached limit"}, {36, "Autotune pilot testing"}, {37, "Autotune saved gains"},
    {38, "Save trim"},              {39, "Waypoint added"},         {41, "Fence enabled"},
    {42, "Fence disabled"},         {43, "Acro trainer off"},       {44, "Acro trainer levelling"},
    {45, "Acro trainer limited"},   {46, "Gripper grab"},           {47, "Gripper release"},
    {49, "Parachute disabled"},     {50, "Parachute enabled"},      {51, "Parachute released"},
    {52, "Landing gear deployed"},  {53, "Landing gear retracted"}, {54, "Motors emergency stopped"},
    {55, "Motors emergency stop cleared"}, {56, "Motor interlock disabled"}, {57, "Motor interlock enabled"},
    {58, "Rotor run-up complete"},  {59, "Rotor speed below critical"}, {60, "EKF altitude reset"},
    {61, "Land cancelled by pilot"}, {62, "EKF yaw reset"},         {63, "ADS-B avoidance enabled"},
    {64, "ADS-B avoidance disabled"}, {65, "Proximity avoidance enabled"}, {66, "Proximity avoidance disabled"},
    {67, "GPS primary changed"},    {71, "ZigZag point A stored"},  {72, "ZigZag point B stored"},
    {73, "Land repositioning"},     {74, "Standby enabled"},        {75, "Standby disabled"},
    {80, "Fence floor enabled"},    {81, "Fence floor disabled"},   {163, "Surfaced"},
    {164, "Not surfaced"},          {165, "Bottomed"},              {166, "Not bottomed"},
};

const std::pair<int, const char*> ERROR_SUBSYSTEMS[] = {
    {1, "main"},               {2, "radio"},              {3, "compass"},           {4, "optical flow"},
    {5, "radio failsafe"},     {6, "battery failsafe"},   {7, "GPS failsafe"},      {8, "GCS failsafe"},
    {9, "fence failsafe"},     {10, "flight mode"},       {11, "GPS"},              {12, "crash check"},
    {13, "flip"},              {14, "autotune"},          {15, "parachutes"},       {16, "EKF check"},
    {17, "EKF failsafe"},      {18, "barometer"},         {19, "CPU"},              {20, "ADS-B failsafe"},
    {21, "terrain"},           {22, "navigation"},        {23, "terrain failsafe"}, {24, "EKF primary"},
    {25, "thrust loss check"}, {26, "sensor failsafe"},   {27, "leak failsafe"},    {28, "pilot input"},
    {29, "vibration failsafe"}, {30, "internal error"},   {31, "dead reckoning failsafe"},
};

} // namespace

std::string px4NavStateName(int navState)
{
    const char* name = lookUp(PX4_NAV_STATES, navState);
    return name ? name : std::to_string(navState);
}

std::string ardupilotModeName(flight::VehicleKind vehicle, int mode)
{
    using flight::VehicleKind;
    const char* name = nullptr;
    switch (vehicle) {
    case VehicleKind::fixedWing:
    case VehicleKind::vtol: name = lookUp(PLANE_MODES, mode); break;
    case VehicleKind::multicopter:
    case VehicleKind::helicopter: name = lookUp(COPTER_MODES, mode); break;
    case VehicleKind::rover:
    case VehicleKind::boat: name = lookUp(ROVER_MODES, mode); break;
    case VehicleKind::submarine: name = lookUp(SUB_MODES, mode); break;
    default: break;
    }
    return name ? name : std::to_string(mode);
}

flight::VehicleKind vehicleKindOfMavType(int type)
{
    using flight::VehicleKind;
    switch (type) {
    case 1: return VehicleKind::fixedWing;
    case 2: case 13: case 14: case 15: case 29: case 35: case 43: return VehicleKind::multicopter;
    case 3: case 4: return VehicleKind::helicopter;
    case 7: return VehicleKind::airship;
    case 10: return VehicleKind::rover;
    case 11: return VehicleKind::boat;
    case 12: return VehicleKind::submarine;
    case 19: case 20: case 21: case 22: case 23: case 24: case 25: return VehicleKind::vtol;
    default: return VehicleKind::unknown;
    }
}

std::string px4CustomModeName(uint32_t customMode)
{
    const int main = static_cast<int>((customMode >> 16) & 0xff);
    const int sub = static_cast<int>((customMode >> 24) & 0xff);
    const char* name = main == 4 ? lookUp(PX4_AUTO_MODES, sub) : nullptr;
    if (!name && !(main == 4 && sub != 0))
        name = lookUp(PX4_MAIN_MODES, main);
    if (main == 3 && sub == 1)
        name = "Orbit";
    return name ? name : std::to_string(main) + "/" + std::to_string(sub);
}

bool isVehicleMavType(int type)
{
    switch (type) {
    case 5: case 6: case 18: case 26: case 27: return false;
    case 35: case 43: return true;
    default: return type >= 0 && type < 30;
    }
}

std::string mavTypeName(int type)
{
    const char* name = lookUp(MAV_TYPES, type);
    return name ? name : "type " + std::to_string(type);
}

std::string mavAutopilotName(int autopilot)
{
    const char* name = lookUp(MAV_AUTOPILOTS, autopilot);
    return name ? name : "autopilot " + std::to_string(autopilot);
}

std::string ardupilotEventName(int id)
{
    const char* name = lookUp(EVENTS, id);
    return name ? name : "event " + std::to_string(id);
}

std::string ardupilotErrorSubsystem(int subsystem)
{
    const char* name = lookUp(ERROR_SUBSYSTEMS, subsystem);
    return name ? name : "subsystem " + std::to_string(subsystem);
}

} // namespace flightreplay::readers
