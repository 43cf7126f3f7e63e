#pragma once
// A writer of ground station telemetry logs (.tlog) for the tests, the fuzz
// seeds and the benchmark: records of a big-endian µs stamp and a MAVLink 1
// or 2 packet, payloads laid out here in wire order (not through the
// reader's table), CRCs worked out bit by bit. And a generated flight as a
// station records it over a radio, with the damage real logs carry.

#include <cstdint>
#include <string>
#include <vector>

namespace reader_test {

// CRC-16/MCRF4XX, one bit at a time: polynomial 0x1021 reflected, no final
// XOR, carried on from crc.
uint16_t bitwiseX25(const std::string& bytes, uint16_t crc = 0xffff);

// How a packet goes on the wire.
struct PacketForm {
    int version = 2;         // 1 or 2
    bool sign = false;       // MAVLink 2 signature (13 bytes after the CRC)
    bool keepZeros = false;  // MAVLink 2: keep the payload's trailing zeros
};

class TlogWriter {
public:
    // A record: the station's stamp (µs since 1970) and a packet of message
    // id from system/component with its full payload and CRC extra.
    void packet(uint64_t stampUs, uint8_t system, uint8_t component, uint32_t id, uint8_t crcExtra,
                const std::string& payload, PacketForm form = {});
    // Raw bytes between records: a garbled stretch.
    void raw(uint64_t stampUs, const std::string& bytes);
    // The records in stamp order (those of one stamp as written).
    std::string bytes() const;
    // Where record `index` (in stamp order) starts in bytes().
    size_t offsetOf(size_t index) const;
    size_t size() const { return records_.size(); }

private:
    struct Record {
        uint64_t stamp;
        size_t order;
        std::string bytes;
    };
    std::vector<Record> sorted() const;
    std::vector<Record> records_;
    uint8_t sequence_[256] = {};
};

// Payloads in wire order, with the CRC extra of each message.
namespace mav {
struct Payload {
    uint32_t id;
    uint8_t crcExtra;
    std::string bytes;
    size_t baseLength = 0; // MAVLink 1 sends only the fields before the extensions; 0: all
};
Payload heartbeat(uint32_t customMode, uint8_t type, uint8_t autopilot, uint8_t baseMode, uint8_t systemStatus = 4);
Payload sysStatus(double volts, double amps, int8_t remaining = -1);
Payload vibration(uint64_t timeUs, float x, float y, float z, uint32_t clipping);
Payload ekfStatusReport(uint16_t flags, float velocity, float horizontal, float vertical, float compass);
Payload navControllerOutput(float navRoll, float navPitch);
Payload powerStatus(uint16_t vccMv, uint16_t servoMv, uint16_t flags);
Payload systemTime(uint64_t unixUs, uint32_t bootMs);
Payload gpsRawInt(uint64_t timeUs, double lat, double lon, double altM, double speed, int fix, int satellites);
Payload attitude(uint32_t bootMs, float roll, float pitch, float yaw);
Payload globalPositionInt(uint32_t bootMs, double lat, double lon, double altM, double relativeAltM, double headingDeg);
Payload rcChannels(uint32_t bootMs, const std::vector<uint16_t>& channels);
Payload rcChannelsRaw(uint32_t bootMs, const std::vector<uint16_t>& channels);
Payload servoOutputRaw(uint32_t timeUs, const std::vector<uint16_t>& servos);
Payload missionCount(uint16_t count, uint8_t targetSystem, uint8_t missionType);
Payload missionItemInt(uint16_t seq, uint16_t command, uint8_t frame, double lat, double lon, float alt,
                       uint8_t targetSystem, uint8_t missionType, float param1 = 0, float param2 = 0, float param3 = 0,
                       float param4 = 0);
Payload missionItem(uint16_t seq, uint16_t command, uint8_t frame, float lat, float lon, float alt, uint8_t targetSystem);
Payload missionCurrent(uint16_t seq);
Payload missionItemReached(uint16_t seq);
Payload vfrHud(float airspeed, float groundspeed, float alt, float climb, int16_t heading);
Payload terrainReport(double lat, double lon, float terrainHeight, float currentHeight, uint16_t pending, uint16_t loaded);
Payload batteryStatus(int32_t consumedMah, const std::vector<uint16_t>& cellsMv, int16_t currentCa);
Payload fencePoint(float lat, float lon, uint8_t targetSystem, uint8_t idx, uint8_t count);
Payload wind(float directionDeg, float speed);
Payload rallyPoint(double lat, double lon, int16_t altM, uint8_t targetSystem, uint8_t idx, uint8_t count);
Payload cameraFeedback(double lat, double lon, float altMsl, float roll, float pitch, float yaw, uint16_t index);
Payload homePosition(double lat, double lon, double altM);
Payload statusText(uint8_t severity, const std::string& text, uint16_t id = 0, uint8_t chunk = 0);
// A message the reader does not know (PARAM_VALUE, RAW_IMU, ...): its id and
// `length` bytes from seed.
Payload unknown(uint32_t id, size_t length, uint32_t seed);
} // namespace mav

inline void put(TlogWriter& w, uint64_t stampUs, uint8_t system, uint8_t component, const mav::Payload& p,
                PacketForm form = {})
{
    const bool cut = form.version == 1 && p.baseLength > 0;
    w.packet(stampUs, system, component, p.id, p.crcExtra, cut ? p.bytes.substr(0, p.baseLength) : p.bytes, form);
}

// A flight as a station hears it over telemetry: the vehicle for `seconds`
// of simulated time, its boot clock at bootAtStart when the recording starts.
struct TelemetryFlight {
    uint8_t system = 1;
    uint8_t mavType = 2;    // quadrotor
    uint8_t autopilot = 3;  // ArduPilot
    int version = 2;
    double seconds = 60.0;
    uint64_t startUs = 1781431200000000ull; // 2026-06-14 10:00:00 UTC
    double latitude = 47.3;
    double longitude = 8.5;
    double groundAltitude = 400.0;
    double northOffsetM = 0.0;
    double gapFrom = -1.0;      // the radio is silent from then ...
    double gapSeconds = 0.0;    // ... for this long
    double rebootAt = -1.0;     // the autopilot restarts then (boot clock 0.5 s after)
    double stampRate = 1.0;     // the station's stamps run this much faster than real time
    double bootAtStart = 20.0;  // seconds on the vehicle's boot clock when the recording starts
    bool station = true;        // the station's heartbeats, parameters and mission upload
    bool signedPackets = false; // MAVLink 2 signatures on the vehicle's packets
    bool globalPosition = true; // GLOBAL_POSITION_INT sent (else only GPS_RAW_INT)
    int stationVersion = 0;     // the station's MAVLink version; 0: the vehicle's
};

// Simulated time t: the vehicle climbs 3 m/s for 10 s, then flies east at
// 10 m/s at 30 m; GLOBAL_POSITION_INT reports 0, 0 for t < 3 s.
double flightNorthM(double t);
double flightEastM(double t);
double flightHeightM(double t);

// Writes the flight into w: at telemetry rates ATTITUDE 10 Hz,
// GLOBAL_POSITION_INT, GPS_RAW_INT and VFR_HUD 5 Hz, SYS_STATUS,
// BATTERY_STATUS, RC_CHANNELS, SERVO_OUTPUT_RAW and WIND 2 Hz, HEARTBEAT,
// SYSTEM_TIME, MISSION_CURRENT and TERRAIN_REPORT 1 Hz, unknown messages
// (raw IMU, pressure, AHRS) alongside, and the controller's, EKF's and
// vibration reports; modes Stabilize, then
// Loiter from 10 s and Auto from 30 s, armed from 2 s; STATUSTEXTs. With
// `station`, system 255's heartbeat, parameter requests and a 4-item
// mission upload (MISSION_COUNT, MISSION_ITEM_INT) before the start.
void writeTelemetryFlight(TlogWriter& w, const TelemetryFlight& flight);

// A ground station's log of a long flight at telemetry rates, at least
// `bytes` long: ten-minute stretches of the flight above, each one's stamps
// and boot clock moved on from the last, the station's mission upload in the
// first (the conversion benchmark's file).
std::string longTelemetryTlog(size_t bytes);

} // namespace reader_test

namespace reader_test {

// How a real station's log begins before the vehicle's packets.
enum class FieldStart {
    clean,          // the vehicle's packets from the first record
    stationChatter, // over 4 KB of the station's own packets (system 255:
                    // REQUEST_DATA_STREAM and other ids the reader lacks)
    strayRecords,   // records of a stamp and two stray bytes, no packet
};

// A log as stations record them in the field: a quad (system 1, MAVLink 2,
// signed, with its companion computer as component 191), a rover (system
// 2, MAVLink 1), the station's own packets in MAVLink 1, a radio gap and
// a reboot of the quad, `seconds` long after the start. Deterministic.
std::string fieldTlog(FieldStart start, double seconds = 120.0);

// Where each record of a log without damage starts, its stamp (µs) and
// message id, and whether it holds a fix of system `system`
// (GLOBAL_POSITION_INT off 0, 0). Records without a packet are left out.
struct RecordSpan {
    size_t offset;
    size_t length;
    uint64_t stamp;
    uint32_t id;
    bool fix;
};
std::vector<RecordSpan> recordSpans(const std::string& tlog, uint8_t system);

} // namespace reader_test
