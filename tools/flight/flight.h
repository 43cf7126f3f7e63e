#pragma once
// The flight: what every companion program reads and draws, and the place
// to start reading the companion programs.
//
//   file --(tools/readers, readFlightFile)--> Flight
//   replay's own log --(log_table_flight.h)--------> Flight
//   Flight --(tools/convert resample)--> the replay's log rows
//   Flight --(flight_sampler.h)--> any moment: scene position, attitude,
//                                  every series (the studio draws this)
//
// A reader turns a file (ULog, DataFlash, GPX, IGC, CSV, a ground station's
// telemetry log or the replay's own log) into timed samples per stream, every time in seconds on the file's
// own clock (the boot clock of an autopilot, UTC of day or epoch for a
// tracker), each stream in time order once tidied. Units and angle
// conventions are those of log/units.h: degrees, metres, aerospace angles.
// The converter writes a flight as the replay's log; the studio draws it;
// prep finds its area.

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace flightreplay::flight {

// A position fix: WGS84 degrees, metres above mean sea level.
struct Fix {
    double t;
    double latDeg;
    double lonDeg;
    double altM;
};

// Aerospace angles in radians: roll positive right wing down, pitch positive
// nose up, yaw clockwise from north.
struct Attitude {
    double t;
    double roll;
    double pitch;
    double yaw;
};

struct Sample {
    double t;
    double value;
};
using Series = std::vector<Sample>;

// The kind of vehicle, as far as the model drawn for it goes.
enum class VehicleType { unknown, fixedWing, multicopter, helicopter, glider, vtol, ground };

// What flew, as finely as the file tells it (MAVLink's vehicle type, the
// firmware's name): the autopilot's mode names and the model drawn follow it.
enum class VehicleKind { unknown, fixedWing, multicopter, helicopter, vtol, airship, rover, boat, submarine };

// The file format a flight came from.
enum class FlightFormat { ulog, dataflash, gpx, igc, log, csv, tlog };

// From t on the vehicle flies in this mode, until the next change.
struct ModeChange {
    double t;
    int code;         // the autopilot's own number (navigation state, mode number, ap_status)
    std::string name; // "Position", "AUTO", ... ; the number as text where the name is unknown
};

// A line the autopilot logged: ULog logged messages, DataFlash MSG, EV, ERR.
struct FlightMessage {
    double t;
    int severity;     // syslog levels: 0 emergency ... 3 error, 4 warning, 6 info, 7 debug
    std::string text;
};

enum class FlightEventKind {
    armed,
    disarmed,
    takeoff,
    landing,
    linkLost,        // no packet from the vehicle for `duration` seconds (a ground station's log)
    missionCurrent,  // from t on the vehicle flies towards mission item `item`
    missionReached,  // the vehicle reached mission item `item`
};

struct FlightEvent {
    double t;
    FlightEventKind kind;
    bool logged;          // the log says so; false when inferred from the data
    double duration = 0;  // seconds, for linkLost
    int item = -1;        // mission item sequence number, for the mission kinds
};

// One item of a mission as the autopilot holds it (MAVLink mission items,
// DataFlash CMD). Item 0 of an ArduPilot mission is home.
struct MissionItem {
    int seq = 0;
    int command = 0;             // MAV_CMD: 16 waypoint, 21 land, 22 take-off, 177 do-jump, ...
    int frame = 0;               // MAV_FRAME: 0/5 AMSL, 3/6 above home, 10/11 above the terrain
    std::array<double, 4> param = {0, 0, 0, 0};
    double latDeg = 0;           // 0, 0 where the command has no position
    double lonDeg = 0;
    double alt = 0;              // metres, in the item's frame
    bool autocontinue = true;
};

struct GeoPoint {
    double latDeg;
    double lonDeg;
};

// A fence region: a polygon or a circle the vehicle must stay inside
// (inclusion) or outside (exclusion).
struct FenceRegion {
    bool inclusion = true;
    std::vector<GeoPoint> polygon; // empty for a circle
    GeoPoint centre = {0, 0};      // a circle's
    double radiusM = 0;            // a circle's; 0 for a polygon
};

struct RallyPoint {
    double latDeg;
    double lonDeg;
    double altM; // above home
};

// What was planned: the mission, the fence and the rally points as the last
// complete list the file holds of each, and home.
struct Plan {
    std::vector<MissionItem> mission;
    std::vector<FenceRegion> fence;
    double fenceCeilingM = NAN;     // the fence's highest altitude above home, where known
    std::vector<RallyPoint> rally;
    Fix home = {NAN, NAN, NAN, NAN}; // t: when it was set; NaN latitude where unknown
    // Items of a list that held no mission (loaded_mission.h), left out of
    // mission: the autopilot had none loaded. 0 where there was none such.
    size_t unloadedItems = 0;
    bool empty() const { return mission.empty() && fence.empty() && rally.empty(); }
};

// The autopilot's own terrain data under the vehicle.
struct TerrainReport {
    double t;
    int status;              // 0 disabled, 1 waiting for data / unhealthy, 2 healthy (heights valid)
    double latDeg;
    double lonDeg;
    double terrainHeightM;   // AMSL
    double heightAboveM;     // the vehicle's height above that terrain
};

// A camera shutter.
struct CameraShot {
    double t;
    int index;
    double latDeg;
    double lonDeg;
    double altM;             // AMSL
    double roll, pitch, yaw; // aerospace radians, yaw clockwise from north; NaN where not logged
};

// A MAVLink system a ground station's log heard from.
struct LinkSystem {
    int id;           // system id
    int type;         // MAV_TYPE of its first heartbeat (of its vehicle's, where it has one); -1 without
    int autopilot;    // MAV_AUTOPILOT of that heartbeat; -1 without
    uint64_t packets; // packets heard from it
};

class FieldCatalogue;
class FieldSource;

struct Flight {
    FlightFormat format = FlightFormat::log;
    std::string firmware;       // firmware name and version where the file says; else empty
    VehicleKind vehicle = VehicleKind::unknown;
    int systemId = 0;           // the MAVLink system of a ground station's log; 0 otherwise
    std::string positionSource; // the stream the fixes came from, e.g. "vehicle_global_position"

    std::vector<Fix> position;
    std::vector<Attitude> attitude;
    bool attitudeDerived = false; // computed from the track, not recorded

    Series groundSpeed; // m/s
    Series satellites;
    Series fixMode;     // 0 none, 1 no fix, 2 2-D, 3 3-D, higher: better than 3-D
    Series voltage;     // V
    Series current;     // A
    Series mah;         // mAh drawn so far
    Series baroAlt;     // m
    Series airspeed;    // m/s
    Series windSpeed;     // m/s
    Series windDirection; // degrees clockwise from north the wind blows from
    std::array<Series, 5> rcIn;     // µs, channels 1 to 5
    std::array<Series, 4> servoOut; // µs, outputs 1 to 4

    std::vector<ModeChange> modes;       // in time order
    std::vector<FlightMessage> messages; // in time order
    std::vector<FlightEvent> events;     // in time order

    Plan plan;
    std::vector<TerrainReport> terrain;  // in time order
    std::vector<CameraShot> shots;       // in time order

    // Every system of a ground station's log, by id; empty for other formats.
    std::vector<LinkSystem> linkSystems;

    // UTC (seconds since 1970) at t = 0 of the file's clock, where known.
    double utcAtClockZero = NAN;

    // Every numeric field of the log's own messages (field_catalogue.h) and
    // where to read them from; null for formats without messages of their own.
    std::shared_ptr<const FieldCatalogue> fields;
    std::shared_ptr<const FieldSource> fieldSource;

    // One line each: damaged stretches skipped, where a truncated file
    // stopped; printed on standard error by the programs.
    std::vector<std::string> notes;
};

// "ulog", "dataflash", "gpx", "igc", "log", "csv", "tlog": the word of --format.
const char* formatWord(FlightFormat format);
// "ULog", "DataFlash", "GPX", "IGC", "log", "CSV", "tlog": the name people know.
const char* formatTitle(FlightFormat format);
// "fixed-wing", "multicopter", "helicopter", "VTOL", "airship", "rover",
// "boat", "submarine"; "unknown".
const char* vehicleKindName(VehicleKind kind);

} // namespace flightreplay::flight
