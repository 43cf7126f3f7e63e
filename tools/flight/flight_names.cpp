#include "tools/flight/flight.h"

namespace flightreplay::flight {

const char* formatWord(FlightFormat format)
{
    switch (format) {
    case FlightFormat::ulog: return "ulog";
    case FlightFormat::dataflash: return "dataflash";
    case FlightFormat::gpx: return "gpx";
    case FlightFormat::igc: return "igc";
    case FlightFormat::log: return "log";
    case FlightFormat::csv: return "csv";
    case FlightFormat::tlog: return "tlog";
    }
    return "";
}

const char* formatTitle(FlightFormat format)
{
    switch (format) {
    case FlightFormat::ulog: return "ULog";
    case FlightFormat::dataflash: return "DataFlash";
    case FlightFormat::gpx: return "GPX";
    case FlightFormat::igc: return "IGC";
    case FlightFormat::log: return "log";
    case FlightFormat::csv: return "CSV";
    case FlightFormat::tlog: return "tlog";
    }
    return "";
}

const char* vehicleKindName(VehicleKind kind)
{
    switch (kind) {
    case VehicleKind::unknown: return "unknown";
    case VehicleKind::fixedWing: return "fixed-wing";
    case VehicleKind::multicopter: return "multicopter";
    case VehicleKind::helicopter: return "helicopter";
    case VehicleKind::vtol: return "VTOL";
    case VehicleKind::airship: return "airship";
    case VehicleKind::rover: return "rover";
    case VehicleKind::boat: return "boat";
    case VehicleKind::submarine: return "submarine";
    }
    return "unknown";
}

} // namespace flightreplay::flight
