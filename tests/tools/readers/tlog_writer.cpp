#include "tlog_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "log/units.h"
#include "log_writers.h"

namespace reader_test {

uint16_t bitwiseX25(const std::string& bytes, uint16_t crc)
{
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>((crc & 1) ? (crc >> 1) ^ 0x8408 : crc >> 1);
    }
    return crc;
}

void TlogWriter::packet(uint64_t stampUs, uint8_t system, uint8_t component, uint32_t id, uint8_t crcExtra,
                        const std::string& payload, PacketForm form)
{
    std::string body = payload;
    if (form.version == 2 && !form.keepZeros)
        while (body.size() > 1 && body.back() == '\0')
            body.pop_back();
    std::string header;
    const auto byte = [&](unsigned v) { header += static_cast<char>(v & 0xff); };
    byte(static_cast<unsigned>(body.size()));
    if (form.version == 2) {
        byte(form.sign ? 1 : 0);
        byte(0);
    }
    byte(sequence_[system]++);
    byte(system);
    byte(component);
    byte(id);
    if (form.version == 2) {
        byte(id >> 8);
        byte(id >> 16);
    }
    const uint16_t crc = bitwiseX25(std::string(1, static_cast<char>(crcExtra)), bitwiseX25(header + body));
    std::string record;
    for (int i = 7; i >= 0; --i)
        record += static_cast<char>((stampUs >> (8 * i)) & 0xff);
    record += static_cast<char>(form.version == 2 ? 0xfd : 0xfe);
    record += header + body;
    record += static_cast<char>(crc & 0xff);
    record += static_cast<char>(crc >> 8);
    if (form.sign) {
        // Link id, a 48-bit timestamp and a 48-bit signature: the reader
        // checks none of them.
        record += '\x01';
        for (int i = 0; i < 12; ++i)
            record += static_cast<char>(0x5a + i);
    }
    records_.push_back({stampUs, records_.size(), record});
}

void TlogWriter::raw(uint64_t stampUs, const std::string& bytes)
{
    records_.push_back({stampUs, records_.size(), bytes});
}

std::vector<TlogWriter::Record> TlogWriter::sorted() const
{
    std::vector<Record> records = records_;
    std::stable_sort(records.begin(), records.end(), [](const Record& a, const Record& b) { return a.stamp < b.stamp; });
    return records;
}

std::string TlogWriter::bytes() const
{
    std::string out;
    for (const Record& r : sorted())
        out += r.bytes;
    return out;
}

size_t TlogWriter::offsetOf(size_t index) const
{
    const std::vector<Record> records = sorted();
    size_t at = 0;
    for (size_t i = 0; i < index && i < records.size(); ++i)
        at += records[i].bytes.size();
    return at;
}

namespace mav {

namespace {

int32_t e7(double degrees)
{
    return static_cast<int32_t>(std::lround(degrees * 1e7));
}

Payload make(uint32_t id, uint8_t crcExtra, const Body& body, size_t baseLength = 0)
{
    return {id, crcExtra, body.bytes, baseLength};
}

Body channels(const std::vector<uint16_t>& values, size_t count)
{
    Body body;
    for (size_t i = 0; i < count; ++i)
        body.put<uint16_t>(i < values.size() ? values[i] : 0);
    return body;
}

} // namespace

Payload heartbeat(uint32_t customMode, uint8_t type, uint8_t autopilot, uint8_t baseMode, uint8_t systemStatus)
{
    Body b;
    b.put<uint32_t>(customMode).put<uint8_t>(type).put<uint8_t>(autopilot).put<uint8_t>(baseMode).put<uint8_t>(systemStatus).put<uint8_t>(3);
    return make(0, 50, b);
}

Payload sysStatus(double volts, double amps, int8_t remaining)
{
    Body b;
    b.put<uint32_t>(0x3fffff).put<uint32_t>(0x3fffff).put<uint32_t>(0x3fffff).put<uint16_t>(250);
    b.put<uint16_t>(static_cast<uint16_t>(std::lround(volts * 1000))).put<int16_t>(static_cast<int16_t>(std::lround(amps * 100)));
    for (int i = 0; i < 6; ++i)
        b.put<uint16_t>(0);
    b.put<int8_t>(remaining);
    for (int i = 0; i < 3; ++i)
        b.put<uint32_t>(0);
    return make(1, 124, b, 31);
}

Payload vibration(uint64_t timeUs, float x, float y, float z, uint32_t clipping)
{
    Body b;
    b.put<uint64_t>(timeUs).put<float>(x).put<float>(y).put<float>(z).put<uint32_t>(clipping).put<uint32_t>(0).put<uint32_t>(0);
    return make(241, 90, b);
}

Payload ekfStatusReport(uint16_t flags, float velocity, float horizontal, float vertical, float compass)
{
    Body b;
    b.put<float>(velocity).put<float>(horizontal).put<float>(vertical).put<float>(compass).put<float>(0.f).put<uint16_t>(flags).put<float>(0.f);
    return make(193, 71, b, 22);
}

Payload navControllerOutput(float navRoll, float navPitch)
{
    Body b;
    b.put<float>(navRoll).put<float>(navPitch).put<float>(0.f).put<float>(0.f).put<float>(0.f);
    b.put<int16_t>(0).put<int16_t>(0).put<uint16_t>(0);
    return make(62, 183, b);
}

Payload powerStatus(uint16_t vccMv, uint16_t servoMv, uint16_t flags)
{
    Body b;
    b.put<uint16_t>(vccMv).put<uint16_t>(servoMv).put<uint16_t>(flags);
    return make(125, 203, b);
}

Payload systemTime(uint64_t unixUs, uint32_t bootMs)
{
    Body b;
    b.put<uint64_t>(unixUs).put<uint32_t>(bootMs);
    return make(2, 137, b);
}

Payload gpsRawInt(uint64_t timeUs, double lat, double lon, double altM, double speed, int fix, int satellites)
{
    Body b;
    b.put<uint64_t>(timeUs).put<int32_t>(e7(lat)).put<int32_t>(e7(lon)).put<int32_t>(static_cast<int32_t>(std::lround(altM * 1000)));
    b.put<uint16_t>(90).put<uint16_t>(120).put<uint16_t>(static_cast<uint16_t>(std::lround(speed * 100))).put<uint16_t>(9000);
    b.put<uint8_t>(static_cast<uint8_t>(fix)).put<uint8_t>(static_cast<uint8_t>(satellites));
    b.put<int32_t>(0).put<uint32_t>(0).put<uint32_t>(0).put<uint32_t>(0).put<uint32_t>(0).put<uint16_t>(0);
    return make(24, 24, b, 30);
}

Payload attitude(uint32_t bootMs, float roll, float pitch, float yaw)
{
    Body b;
    b.put<uint32_t>(bootMs).put<float>(roll).put<float>(pitch).put<float>(yaw).put<float>(0.01f).put<float>(0.0f).put<float>(0.0f);
    return make(30, 39, b);
}

Payload globalPositionInt(uint32_t bootMs, double lat, double lon, double altM, double relativeAltM, double headingDeg)
{
    Body b;
    b.put<uint32_t>(bootMs).put<int32_t>(e7(lat)).put<int32_t>(e7(lon));
    b.put<int32_t>(static_cast<int32_t>(std::lround(altM * 1000))).put<int32_t>(static_cast<int32_t>(std::lround(relativeAltM * 1000)));
    b.put<int16_t>(0).put<int16_t>(0).put<int16_t>(0).put<uint16_t>(static_cast<uint16_t>(std::lround(headingDeg * 100)));
    return make(33, 104, b);
}

Payload rcChannels(uint32_t bootMs, const std::vector<uint16_t>& values)
{
    Body b;
    b.put<uint32_t>(bootMs);
    b.bytes += channels(values, 18).bytes;
    b.put<uint8_t>(static_cast<uint8_t>(values.size())).put<uint8_t>(200);
    return make(65, 118, b);
}

Payload rcChannelsRaw(uint32_t bootMs, const std::vector<uint16_t>& values)
{
    Body b;
    b.put<uint32_t>(bootMs);
    b.bytes += channels(values, 8).bytes;
    b.put<uint8_t>(0).put<uint8_t>(200);
    return make(35, 244, b);
}

Payload servoOutputRaw(uint32_t timeUs, const std::vector<uint16_t>& servos)
{
    Body b;
    b.put<uint32_t>(timeUs);
    b.bytes += channels(servos, 8).bytes;
    b.put<uint8_t>(0);
    b.bytes += channels({}, 8).bytes;
    return make(36, 222, b, 21);
}

Payload missionCount(uint16_t count, uint8_t targetSystem, uint8_t missionType)
{
    Body b;
    b.put<uint16_t>(count).put<uint8_t>(targetSystem).put<uint8_t>(1).put<uint8_t>(missionType).put<uint32_t>(0);
    return make(44, 221, b, 4);
}

Payload missionItemInt(uint16_t seq, uint16_t command, uint8_t frame, double lat, double lon, float alt,
                       uint8_t targetSystem, uint8_t missionType, float param1, float param2, float param3, float param4)
{
    Body b;
    b.put<float>(param1).put<float>(param2).put<float>(param3).put<float>(param4).put<int32_t>(e7(lat)).put<int32_t>(e7(lon)).put<float>(alt);
    b.put<uint16_t>(seq).put<uint16_t>(command).put<uint8_t>(targetSystem).put<uint8_t>(1).put<uint8_t>(frame);
    b.put<uint8_t>(seq == 0 ? 1 : 0).put<uint8_t>(1).put<uint8_t>(missionType);
    return make(73, 38, b, 37);
}

Payload missionItem(uint16_t seq, uint16_t command, uint8_t frame, float lat, float lon, float alt, uint8_t targetSystem)
{
    Body b;
    b.put<float>(0).put<float>(0).put<float>(0).put<float>(0).put<float>(lat).put<float>(lon).put<float>(alt);
    b.put<uint16_t>(seq).put<uint16_t>(command).put<uint8_t>(targetSystem).put<uint8_t>(1).put<uint8_t>(frame);
    b.put<uint8_t>(0).put<uint8_t>(1).put<uint8_t>(0);
    return make(39, 254, b, 37);
}

Payload missionCurrent(uint16_t seq)
{
    Body b;
    b.put<uint16_t>(seq).put<uint16_t>(4).put<uint8_t>(2).put<uint8_t>(0).put<uint32_t>(0).put<uint32_t>(0).put<uint32_t>(0);
    return make(42, 28, b, 2);
}

Payload missionItemReached(uint16_t seq)
{
    Body b;
    b.put<uint16_t>(seq);
    return make(46, 11, b);
}

Payload vfrHud(float airspeed, float groundspeed, float alt, float climb, int16_t heading)
{
    Body b;
    b.put<float>(airspeed).put<float>(groundspeed).put<float>(alt).put<float>(climb).put<int16_t>(heading).put<uint16_t>(45);
    return make(74, 20, b);
}

Payload terrainReport(double lat, double lon, float terrainHeight, float currentHeight, uint16_t pending, uint16_t loaded)
{
    Body b;
    b.put<int32_t>(e7(lat)).put<int32_t>(e7(lon)).put<float>(terrainHeight).put<float>(currentHeight);
    b.put<uint16_t>(100).put<uint16_t>(pending).put<uint16_t>(loaded);
    return make(136, 1, b);
}

Payload batteryStatus(int32_t consumedMah, const std::vector<uint16_t>& cellsMv, int16_t currentCa)
{
    Body b;
    b.put<int32_t>(consumedMah).put<int32_t>(-1).put<int16_t>(2500);
    for (size_t i = 0; i < 10; ++i)
        b.put<uint16_t>(i < cellsMv.size() ? cellsMv[i] : 65535);
    b.put<int16_t>(currentCa).put<uint8_t>(0).put<uint8_t>(1).put<uint8_t>(3).put<int8_t>(80);
    return make(147, 154, b, 36);
}

Payload fencePoint(float lat, float lon, uint8_t targetSystem, uint8_t idx, uint8_t count)
{
    Body b;
    b.put<float>(lat).put<float>(lon).put<uint8_t>(targetSystem).put<uint8_t>(1).put<uint8_t>(idx).put<uint8_t>(count);
    return make(160, 78, b);
}

Payload wind(float directionDeg, float speed)
{
    Body b;
    b.put<float>(directionDeg).put<float>(speed).put<float>(0.1f);
    return make(168, 1, b);
}

Payload rallyPoint(double lat, double lon, int16_t altM, uint8_t targetSystem, uint8_t idx, uint8_t count)
{
    Body b;
    b.put<int32_t>(e7(lat)).put<int32_t>(e7(lon)).put<int16_t>(altM).put<int16_t>(0).put<uint16_t>(0);
    b.put<uint8_t>(targetSystem).put<uint8_t>(1).put<uint8_t>(idx).put<uint8_t>(count).put<uint8_t>(0);
    return make(175, 138, b);
}

Payload cameraFeedback(double lat, double lon, float altMsl, float roll, float pitch, float yaw, uint16_t index)
{
    Body b;
    b.put<uint64_t>(0).put<int32_t>(e7(lat)).put<int32_t>(e7(lon)).put<float>(altMsl).put<float>(30.0f);
    b.put<float>(roll).put<float>(pitch).put<float>(yaw).put<float>(16.0f).put<uint16_t>(index);
    b.put<uint8_t>(0).put<uint8_t>(0).put<uint8_t>(0).put<uint16_t>(index);
    return make(180, 52, b, 45);
}

Payload homePosition(double lat, double lon, double altM)
{
    Body b;
    b.put<int32_t>(e7(lat)).put<int32_t>(e7(lon)).put<int32_t>(static_cast<int32_t>(std::lround(altM * 1000)));
    b.put<float>(0).put<float>(0).put<float>(0).put<float>(1).put<float>(0).put<float>(0).put<float>(0);
    b.put<float>(0).put<float>(0).put<float>(0).put<uint64_t>(0);
    return make(242, 104, b, 52);
}

Payload statusText(uint8_t severity, const std::string& text, uint16_t id, uint8_t chunk)
{
    Body b;
    b.put<uint8_t>(severity);
    std::string field = text.substr(0, 50);
    field.resize(50, '\0');
    b.text(field).put<uint16_t>(id).put<uint8_t>(chunk);
    return make(253, 83, b, 51);
}

Payload unknown(uint32_t id, size_t length, uint32_t seed)
{
    std::string bytes(length, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (char& c : bytes) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>((x >> 24) | 1);
    }
    return {id, 0, bytes};
}

} // namespace mav

double flightNorthM(double)
{
    return 0.0;
}

double flightEastM(double t)
{
    return t > 10.0 ? 10.0 * (t - 10.0) : 0.0;
}

double flightHeightM(double t)
{
    return 3.0 * std::min(t, 10.0);
}

void writeTelemetryFlight(TlogWriter& w, const TelemetryFlight& f)
{
    using namespace mav;
    const PacketForm form{f.stationVersion > 0 ? f.stationVersion : f.version, false, false};
    const PacketForm vehicleForm{f.version, f.signedPackets && f.version == 2, false};
    const uint8_t sys = f.system;
    const auto stamp = [&](double t) { return f.startUs + static_cast<uint64_t>(std::llround((t * f.stampRate + 0.015) * 1e6)); };
    const auto boot = [&](double t) {
        const double ms = f.rebootAt >= 0.0 && t >= f.rebootAt ? 500.0 + 1000.0 * (t - f.rebootAt) : 1000.0 * (f.bootAtStart + t);
        return static_cast<uint32_t>(std::llround(ms));
    };
    const double metresPerDegree = MEAN_EARTH_RADIUS * RADIANS_PER_DEGREE;
    const auto lat = [&](double t) { return f.latitude + (f.northOffsetM + flightNorthM(t)) / metresPerDegree; };
    const auto lon = [&](double t) {
        return f.longitude + flightEastM(t) / (metresPerDegree * std::cos(f.latitude * RADIANS_PER_DEGREE));
    };
    const auto send = [&](double t, const Payload& p) { put(w, stamp(t), sys, 1, p, vehicleForm); };

    if (f.station) {
        // Before the flight: the station asks for the parameters and
        // uploads a mission; the vehicle answers with messages this reader
        // does not read (PARAM_VALUE, MISSION_REQUEST_INT, MISSION_ACK).
        put(w, stamp(0.0), 255, 190, unknown(21, 2, 1), form);
        for (int i = 0; i < 40; ++i)
            put(w, stamp(0.01 + 0.02 * i), sys, 1, unknown(22, 25, static_cast<uint32_t>(i)), form);
        put(w, stamp(0.9), 255, 190, missionCount(4, sys, 0), form);
        const double wpLat = lat(40.0), wpLon = lon(40.0);
        const Payload items[] = {
            missionItemInt(0, 16, 0, f.latitude, f.longitude, static_cast<float>(f.groundAltitude), sys, 0),
            missionItemInt(1, 22, 3, 0, 0, 30, sys, 0),
            missionItemInt(2, 16, 3, wpLat, wpLon, 30, sys, 0),
            missionItemInt(3, 20, 3, 0, 0, 0, sys, 0),
        };
        for (int i = 0; i < 4; ++i) {
            put(w, stamp(0.91 + 0.04 * i), sys, 1, unknown(51, 5, static_cast<uint32_t>(100 + i)), form);
            put(w, stamp(0.93 + 0.04 * i), 255, 190, items[i], form);
        }
        put(w, stamp(1.1), sys, 1, unknown(47, 4, 7), form);
    }

    const int ticks = static_cast<int>(std::lround(f.seconds * 10.0));
    for (int k = 0; k < ticks; ++k) {
        const double t = k * 0.1;
        if (f.station && k % 10 == 0)
            put(w, stamp(t), 255, 190, heartbeat(0, 6, 8, 0), form);
        if (t >= f.gapFrom && t < f.gapFrom + f.gapSeconds)
            continue;
        const double height = flightHeightM(t);
        const double alt = f.groundAltitude + height;
        const bool cruising = t > 10.0;
        send(t, attitude(boot(t), static_cast<float>(0.1 * std::sin(t)), -0.05f, static_cast<float>(MAP_PI / 2)));
        if (k % 2 == 0) {
            // Before the estimator has an origin it reports 0, 0.
            if (f.globalPosition)
                send(t, t < 3.0 ? globalPositionInt(boot(t), 0, 0, 0, 0, 0)
                                : globalPositionInt(boot(t), lat(t), lon(t), alt, height, 90));
            send(t, gpsRawInt(static_cast<uint64_t>(boot(t)) * 1000, lat(t), lon(t), alt, cruising ? 10 : 0, t >= 2.0 ? 3 : 1, 12));
            send(t, vfrHud(cruising ? 11.0f : 0.0f, cruising ? 10.0f : 0.0f, static_cast<float>(alt), t < 10 ? 3.0f : 0.0f, 90));
            send(t, mav::unknown(27, 26, static_cast<uint32_t>(k))); // RAW_IMU
            send(t, navControllerOutput(0.f, 0.f));
        }
        if (k % 5 == 0) {
            send(t, sysStatus(16.8 - 0.01 * t, 12.0));
            send(t, batteryStatus(static_cast<int32_t>(std::lround(12.0 * t / 3.6)), {4200, 4200, 4200, 4200}, 1200));
            send(t, rcChannels(boot(t), {1500, 1500, 1600, 1500, 1800, 1000, 1000, 1000}));
            send(t, servoOutputRaw(boot(t) * 1000u, {1600, 1610, 1620, 1630}));
            send(t, wind(270.0f, 4.0f));
            send(t, mav::unknown(29, 14, static_cast<uint32_t>(k))); // SCALED_PRESSURE
            send(t, mav::unknown(163, 28, static_cast<uint32_t>(k))); // AHRS
        }
        if (k % 10 == 0) {
            const bool armed = t >= 2.0;
            const uint32_t mode = t < 10.0 ? 0 : t < 30.0 ? 5 : 3;
            send(t, heartbeat(mode, f.mavType, f.autopilot, static_cast<uint8_t>(1 | 0x10 | 0x40 | (armed ? 128 : 0))));
            send(t, systemTime(f.startUs + static_cast<uint64_t>(t * 1e6), boot(t)));
            send(t, missionCurrent(static_cast<uint16_t>(t < 30.0 ? 1 : std::min(3, 2 + static_cast<int>((t - 30.0) / 10.0)))));
            const bool loaded = t >= 5.0;
            send(t, terrainReport(lat(t), lon(t), static_cast<float>(f.groundAltitude), static_cast<float>(height),
                                  loaded ? 0 : 4, loaded ? 56 : 0));
            send(t, ekfStatusReport(0x1ff, 0.1f, 0.1f, 0.1f, 0.1f));
            send(t, vibration(static_cast<uint64_t>(boot(t)) * 1000, 8.f, 8.f, 12.f, 0));
        }
        if (k == 0)
            send(t, statusText(6, f.autopilot != 3 ? "PX4 v1.15.0"
                                  : f.mavType == 1 ? "ArduPlane V4.5.7 (2a3dc4b2)"
                                  : f.mavType == 10 || f.mavType == 11 ? "ArduRover V4.5.7 (2a3dc4b2)"
                                                    : "ArduCopter V4.5.7 (2a3dc4b2)"));
        if (k == 1)
            send(t, homePosition(f.latitude, f.longitude, f.groundAltitude));
    }
}

std::string longTelemetryTlog(size_t bytes)
{
    constexpr double STRETCH = 600.0;
    std::string out;
    for (int round = 0; out.size() < bytes; ++round) {
        TlogWriter w;
        TelemetryFlight f;
        f.seconds = STRETCH;
        f.station = round == 0;
        f.startUs += static_cast<uint64_t>(round * STRETCH * 1e6);
        f.bootAtStart += round * STRETCH;
        writeTelemetryFlight(w, f);
        out += w.bytes();
    }
    return out;
}

namespace {

uint32_t nextRandom(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

// The station asking for streams and parameters and driving by joystick:
// ids the reader has no layout for, so none of their CRCs can be checked.
void stationChatter(TlogWriter& w, uint64_t fromUs, int count)
{
    const PacketForm v1{1, false, false};
    for (int i = 0; i < count; ++i) {
        const uint64_t stamp = fromUs + static_cast<uint64_t>(i) * 50000u;
        const uint32_t ids[] = {66, 66, 69, 21, 20, 43};
        const size_t lengths[] = {6, 6, 11, 2, 20, 2};
        const size_t which = static_cast<size_t>(i) % 6;
        put(w, stamp, 255, 190, mav::unknown(ids[which], lengths[which], static_cast<uint32_t>(i)), v1);
    }
}

// A radio that wrote its stamps without a packet behind them.
void strayRecords(TlogWriter& w, uint64_t fromUs, int count)
{
    uint32_t state = 11;
    for (int i = 0; i < count; ++i) {
        const uint64_t stamp = fromUs + static_cast<uint64_t>(i) * 20000u;
        std::string record;
        for (int b = 7; b >= 0; --b)
            record += static_cast<char>((stamp >> (8 * b)) & 0xff);
        record += static_cast<char>(nextRandom(state) & 0x7f); // never a packet's start byte
        record += static_cast<char>(nextRandom(state));
        w.raw(stamp, record);
    }
}

} // namespace

std::string fieldTlog(FieldStart start, double seconds)
{
    TlogWriter w;
    const uint64_t recordingUs = 1781431200000000ull;
    uint64_t flightUs = recordingUs;
    if (start == FieldStart::stationChatter) {
        stationChatter(w, recordingUs, 250);
        flightUs += 13000000u;
    } else if (start == FieldStart::strayRecords) {
        strayRecords(w, recordingUs, 400);
        flightUs += 9000000u;
    }
    TelemetryFlight quad;
    quad.seconds = seconds;
    quad.startUs = flightUs;
    quad.signedPackets = true;
    quad.stationVersion = 1;
    quad.gapFrom = seconds * 0.4;
    quad.gapSeconds = 5.0;
    quad.rebootAt = seconds * 0.7;
    writeTelemetryFlight(w, quad);
    TelemetryFlight rover;
    rover.system = 2;
    rover.mavType = 10;
    rover.version = 1;
    rover.station = false;
    rover.seconds = seconds;
    rover.startUs = flightUs + 40000u;
    rover.northOffsetM = 200.0;
    writeTelemetryFlight(w, rover);
    // The quad's companion computer: its heartbeat and a message of a
    // three-byte id.
    const PacketForm v2{2, false, false};
    for (int s = 0; s < static_cast<int>(seconds); ++s) {
        const uint64_t stamp = flightUs + static_cast<uint64_t>(s) * 1000000u + 70000u;
        put(w, stamp, 1, 191, mav::heartbeat(0, 18, 8, 0), v2);
        put(w, stamp, 1, 191, mav::unknown(12901, 40, static_cast<uint32_t>(s)), v2);
    }
    return w.bytes();
}

std::vector<RecordSpan> recordSpans(const std::string& tlog, uint8_t system)
{
    std::vector<RecordSpan> spans;
    size_t at = 0;
    while (at + 10 <= tlog.size()) {
        const auto byte = [&](size_t i) { return static_cast<uint8_t>(tlog[at + i]); };
        const bool v2 = byte(8) == 0xfd;
        if (!v2 && byte(8) != 0xfe) {
            at += 10; // a stamp and two stray bytes
            continue;
        }
        const size_t length = 8 + (v2 ? 10 : 6) + byte(9) + 2 + (v2 && (byte(10) & 1) ? 13 : 0);
        const size_t header = v2 ? 18 : 14;
        const uint32_t id = v2 ? byte(15) | byte(16) << 8 | byte(17) << 16 : byte(13);
        const uint8_t sender = byte(v2 ? 13 : 11);
        bool fix = false;
        if (id == 33 && sender == system && byte(9) >= 8) {
            int32_t lat = 0;
            std::memcpy(&lat, tlog.data() + at + header + 4, 4);
            fix = lat != 0;
        }
        uint64_t stamp = 0;
        for (size_t i = 0; i < 8; ++i)
            stamp = stamp << 8 | byte(i);
        spans.push_back({at, length, stamp, id, fix});
        at += length;
    }
    return spans;
}

} // namespace reader_test
