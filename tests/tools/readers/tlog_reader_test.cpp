#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "log/units.h"
#include "tests/fuzz/convert_fuzz_checks.h"
#include "tlog_writer.h"
#include "tools/common/tool_error.h"
#include "tools/readers/autopilot_names.h"
#include "tools/readers/read_flight.h"
#include "tools/readers/tlog_reader.h"

using namespace flightreplay::readers;
using namespace flightreplay::flight;
using namespace reader_test;

namespace {

constexpr double BOOT_AT_START = 20.0; // the generated vehicle's boot clock when the recording starts
constexpr double LATENCY = 0.015;

std::string telemetry(const TelemetryFlight& options)
{
    TlogWriter w;
    writeTelemetryFlight(w, options);
    return w.bytes();
}

std::vector<Flight> readAll(const std::string& bytes)
{
    return readFlightsOfBytes(bytes, ReadOptions{});
}

// GLOBAL_POSITION_INT at 5 Hz with a position from 3 s on, none while the
// radio is silent.
size_t expectedFixes(const TelemetryFlight& f, double firstFix = 3.0)
{
    size_t n = 0;
    for (int k = 0; k < static_cast<int>(std::lround(f.seconds * 10)); k += 2) {
        const double t = k * 0.1;
        n += t >= firstFix - 1e-9 && !(t >= f.gapFrom && t < f.gapFrom + f.gapSeconds) ? 1 : 0;
    }
    return n;
}

double expectedLongitude(const TelemetryFlight& f, double t)
{
    return f.longitude + flightEastM(t) / (MEAN_EARTH_RADIUS * RADIANS_PER_DEGREE * std::cos(f.latitude * RADIANS_PER_DEGREE));
}

const Fix& fixNear(const Flight& flight, double t)
{
    return *std::min_element(flight.position.begin(), flight.position.end(),
                             [&](const Fix& a, const Fix& b) { return std::fabs(a.t - t) < std::fabs(b.t - t); });
}

bool hasNote(const Flight& flight, const std::string& part)
{
    return std::any_of(flight.notes.begin(), flight.notes.end(),
                       [&](const std::string& note) { return note.find(part) != std::string::npos; });
}

} // namespace

TEST(TlogReader, CrcMatchesTheStandardCheckValueAndTheBitwiseSum)
{
    const std::string check = "123456789";
    EXPECT_EQ(mavlinkCrc(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0x6F91);
    EXPECT_EQ(bitwiseX25(check), 0x6F91);
    std::mt19937 random(7);
    for (size_t length = 0; length < 40; ++length) {
        std::string bytes(length, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        EXPECT_EQ(mavlinkCrc(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 0x1234), bitwiseX25(bytes, 0x1234))
            << length;
    }
}

TEST(TlogReader, ReadsAFlightInEitherProtocolVersion)
{
    const struct {
        const char* what;
        int version;
        bool signedPackets;
    } cases[] = {{"MAVLink 1", 1, false}, {"MAVLink 2", 2, false}, {"MAVLink 2 signed", 2, true}};
    for (const auto& c : cases) {
        TelemetryFlight f;
        f.version = c.version;
        f.signedPackets = c.signedPackets;
        const std::string bytes = telemetry(f);
        EXPECT_EQ(recogniseFormat(bytes.substr(0, 65536)), FlightFormat::tlog) << c.what;
        const std::vector<Flight> flights = readAll(bytes);
        ASSERT_EQ(flights.size(), 1u) << c.what;
        const Flight& d = flights[0];
        EXPECT_EQ(d.format, FlightFormat::tlog);
        EXPECT_EQ(d.systemId, 1);
        EXPECT_EQ(d.vehicle, VehicleKind::multicopter) << c.what;
        EXPECT_EQ(d.firmware, "ArduCopter V4.5.7") << c.what;
        EXPECT_EQ(d.positionSource, "GLOBAL_POSITION_INT");
        ASSERT_EQ(d.position.size(), expectedFixes(f)) << c.what;
        EXPECT_NEAR(d.position.front().t, BOOT_AT_START + 3.0, 1e-6);
        const Fix& cruise = fixNear(d, BOOT_AT_START + 40.0);
        EXPECT_NEAR(cruise.latDeg, f.latitude, 1e-7);
        EXPECT_NEAR(cruise.lonDeg, expectedLongitude(f, 40.0), 1e-7) << c.what;
        EXPECT_NEAR(cruise.altM, f.groundAltitude + 30.0, 1e-3);
        EXPECT_NEAR(d.utcAtClockZero, static_cast<double>(f.startUs) * 1e-6 + LATENCY - BOOT_AT_START, 1e-3) << c.what;
        EXPECT_TRUE(d.notes.empty()) << c.what << ": " << (d.notes.empty() ? "" : d.notes[0]);

        // Modes by ArduCopter's numbers, arming from base_mode, the mission
        // items flown, the wind, the battery, RC and servos.
        ASSERT_EQ(d.modes.size(), 3u) << c.what;
        const std::pair<double, const char*> modes[] = {{20.0, "Stabilize"}, {30.0, "Loiter"}, {50.0, "Auto"}};
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_NEAR(d.modes[i].t, modes[i].first, 1e-6);
            EXPECT_EQ(d.modes[i].name, modes[i].second);
        }
        std::vector<std::pair<double, int>> current;
        double armedAt = NAN;
        for (const FlightEvent& e : d.events) {
            if (e.kind == FlightEventKind::missionCurrent)
                current.push_back({e.t, e.item});
            if (e.kind == FlightEventKind::armed)
                armedAt = e.t;
        }
        EXPECT_EQ(current, (std::vector<std::pair<double, int>>{{20.0, 1}, {50.0, 2}, {60.0, 3}})) << c.what;
        EXPECT_NEAR(armedAt, 22.0, 1e-6);
        ASSERT_FALSE(d.windSpeed.empty());
        EXPECT_NEAR(d.windSpeed.back().value, 4.0, 1e-6);
        EXPECT_NEAR(d.windDirection.back().value, 270.0, 1e-6);
        EXPECT_NEAR(d.voltage.front().value, 16.8, 1e-3);
        EXPECT_NEAR(d.current.front().value, 12.0, 1e-3);
        EXPECT_NEAR(d.mah.back().value, std::lround(12.0 * 59.5 / 3.6), 1e-9);
        EXPECT_EQ(d.rcIn[2].front().value, 1600);
        EXPECT_EQ(d.servoOut[3].front().value, 1630);
        EXPECT_EQ(d.satellites.front().value, 12);

        // The station's upload, home, terrain reports.
        ASSERT_EQ(d.plan.mission.size(), 4u) << c.what;
        EXPECT_EQ(d.plan.mission[1].command, 22);
        EXPECT_EQ(d.plan.mission[2].frame, 3);
        EXPECT_NEAR(d.plan.mission[2].lonDeg, expectedLongitude(f, 40.0), 2e-7);
        EXPECT_NEAR(d.plan.home.latDeg, f.latitude, 1e-7);
        EXPECT_NEAR(d.plan.home.altM, f.groundAltitude, 1e-3);
        ASSERT_EQ(d.terrain.size(), 60u);
        EXPECT_EQ(d.terrain[4].status, 1); // blocks still pending
        EXPECT_TRUE(std::isnan(d.terrain[4].terrainHeightM));
        EXPECT_EQ(d.terrain[5].status, 2);
        EXPECT_NEAR(d.terrain[5].terrainHeightM, f.groundAltitude, 1e-3);
        EXPECT_NEAR(d.terrain[5].heightAboveM, 15.0, 1e-3);

        // Every record of the vehicle and of the station counted: per tick
        // one at 10 Hz, five at 5 Hz, seven at 2 Hz, six at 1 Hz, then the
        // start text, home, 40 parameters, 4 requests and the
        // acknowledgement; the station's heartbeats, request and upload.
        ASSERT_EQ(d.linkSystems.size(), 2u);
        EXPECT_EQ(d.linkSystems[0].id, 1);
        EXPECT_EQ(d.linkSystems[0].type, 2);
        EXPECT_EQ(d.linkSystems[0].autopilot, 3);
        EXPECT_EQ(d.linkSystems[0].packets, 600u + 300 * 5 + 120 * 7 + 60 * 6 + 2 + 40 + 4 + 1) << c.what;
        EXPECT_EQ(d.linkSystems[1].id, 255);
        EXPECT_EQ(d.linkSystems[1].type, 6);
        EXPECT_EQ(d.linkSystems[1].packets, 60u + 1 + 1 + 4);
    }
}

TEST(TlogReader, PositionsWaitForAFixAndFallBackOnTheGps)
{
    TelemetryFlight f;
    f.globalPosition = false;
    const Flight d = readAll(telemetry(f))[0];
    EXPECT_EQ(d.positionSource, "GPS_RAW_INT");
    // GPS_RAW_INT reports a 3-D fix from 2 s on.
    EXPECT_EQ(d.position.size(), expectedFixes(f, 2.0));
    EXPECT_NEAR(d.position.front().t, BOOT_AT_START + 2.0, 0.2);
}

TEST(TlogReader, AMavlink2PayloadCutAtItsTrailingZerosReadsThemAsZero)
{
    TlogWriter w;
    const uint64_t start = 1781431200000000ull;
    put(w, start, 1, 1, mav::heartbeat(5, 2, 3, 1 | 128));
    // Altitude, speeds and heading zero: only time, latitude and longitude
    // go on the wire.
    put(w, start + 100000, 1, 1, mav::globalPositionInt(20100, 47.3, 8.5, 0, 0, 0));
    put(w, start + 200000, 1, 1, mav::globalPositionInt(20200, 47.3, 8.5, 612.5, 0, 0));
    const std::string bytes = w.bytes();
    EXPECT_EQ(static_cast<uint8_t>(bytes[w.offsetOf(1) + 9]), 12u); // the cut payload's length byte
    const Flight d = readAll(bytes)[0];
    ASSERT_EQ(d.position.size(), 2u);
    EXPECT_NEAR(d.position[0].latDeg, 47.3, 1e-7);
    EXPECT_EQ(d.position[0].altM, 0.0);
    EXPECT_NEAR(d.position[1].altM, 612.5, 1e-9);
}

TEST(TlogReader, DamagedCopiesKeepWhatIsIntact)
{
    TelemetryFlight f;
    f.seconds = 20;
    TlogWriter w;
    writeTelemetryFlight(w, f);
    const std::string good = w.bytes();
    const size_t fixes = expectedFixes(f);
    // A GLOBAL_POSITION_INT record in the middle: the first at 10 s.
    size_t middle = 0;
    for (size_t i = 0; i < w.size() && middle == 0; ++i) {
        const size_t at = w.offsetOf(i);
        if (good[at + 8] == '\xfd' && good[at + 15] == 33 && at > good.size() / 2)
            middle = at;
    }
    ASSERT_GT(middle, 0u);
    std::string badCrc = good;
    badCrc[middle + 8 + 10 + 5] ^= 0x40; // a latitude byte
    std::string garbled = good;
    std::string noise(300, '\0');
    std::mt19937 random(3);
    for (char& c : noise)
        c = static_cast<char>(random() % 4 == 0 ? 0xfd : random());
    garbled.insert(middle, noise);
    std::string damagedLength = good;
    damagedLength[middle + 9] = 3;
    const std::string cut = good.substr(0, good.size() - 7);
    const struct {
        const char* what;
        std::string bytes;
        const char* note;
        size_t fixes;
    } cases[] = {
        {"bad CRC", badCrc, "1 packet with a bad CRC skipped", fixes - 1},
        {"garbled stretch", garbled, "1 damaged stretch skipped (300 bytes", fixes},
        {"damaged length", damagedLength, "damaged stretch skipped", fixes - 1},
        {"cut short", cut, "the file ends inside a message", fixes},
    };
    for (const auto& c : cases) {
        const std::vector<Flight> flights = readAll(c.bytes);
        ASSERT_EQ(flights.size(), 1u) << c.what;
        EXPECT_EQ(flights[0].position.size(), c.fixes) << c.what;
        EXPECT_TRUE(hasNote(flights[0], c.note)) << c.what << ": " << (flights[0].notes.empty() ? "no note" : flights[0].notes[0]);
        EXPECT_EQ(flights[0].modes.size(), 2u) << c.what;
    }

    // Whatever is broken, the reader ends with a flight that converts.
    for (int round = 0; round < 300; ++round) {
        std::string bytes = good;
        const int edits = 1 + round % 12;
        for (int e = 0; e < edits; ++e) {
            const size_t at = random() % bytes.size();
            if (round % 3 == 0)
                bytes.erase(at, random() % 40);
            else
                bytes[at] = static_cast<char>(random());
        }
        if (round % 5 == 0)
            bytes.resize(random() % bytes.size());
        try {
            for (const Flight& flight : readFlightsOfBytes(bytes, ReadOptions{FlightFormat::tlog, {}, 0}))
                checkConversion(flight, bytes.size());
        } catch (const flightreplay::tools::ToolError&) {
        }
    }
}

TEST(TlogReader, TwoVehiclesAreTwoFlights)
{
    TlogWriter w;
    TelemetryFlight copter;
    writeTelemetryFlight(w, copter);
    TelemetryFlight plane;
    plane.system = 2;
    plane.mavType = 1;
    plane.northOffsetM = 100.0;
    plane.station = false;
    writeTelemetryFlight(w, plane);
    const std::string bytes = w.bytes();

    const std::vector<Flight> flights = readAll(bytes);
    ASSERT_EQ(flights.size(), 2u);
    EXPECT_EQ(flights[0].systemId, 1);
    EXPECT_EQ(flights[0].vehicle, VehicleKind::multicopter);
    EXPECT_EQ(flights[1].systemId, 2);
    EXPECT_EQ(flights[1].vehicle, VehicleKind::fixedWing);
    EXPECT_EQ(flights[1].modes[1].name, "FBWA"); // ArduPlane's 5
    EXPECT_EQ(flights[1].position.size(), expectedFixes(plane));
    EXPECT_NEAR(flights[1].position.front().latDeg - flights[0].position.front().latDeg,
                100.0 / (MEAN_EARTH_RADIUS * RADIANS_PER_DEGREE), 1e-7);
    EXPECT_EQ(flights[0].plan.mission.size(), 4u); // uploaded to system 1 only
    EXPECT_TRUE(flights[1].plan.mission.empty());
    EXPECT_EQ(flights[1].linkSystems.size(), 3u);

    EXPECT_EQ(readFlightBytes(bytes, ReadOptions{{}, {}, 2}).systemId, 2);
    EXPECT_EQ(readFlightBytes(bytes, ReadOptions{}).systemId, 1);
    try {
        readFlightBytes(bytes, ReadOptions{{}, {}, 255});
        FAIL() << "the station is no vehicle";
    } catch (const flightreplay::tools::ToolError& e) {
        EXPECT_EQ(std::string(e.what()), "--system 255: no vehicle of that system id (vehicles: 1, 2)");
    }
}

TEST(TlogReader, TheBootClockTimesTheFlight)
{
    // A reboot at 30 s, a 5 s radio gap from 20 s, stamps running twice as
    // fast as real time: each keeps the samples on the vehicle's clock.
    TelemetryFlight reboot;
    reboot.rebootAt = 30.0;
    TelemetryFlight gap;
    gap.gapFrom = 20.0;
    gap.gapSeconds = 5.0;
    TelemetryFlight fast;
    fast.stampRate = 2.0;
    const struct {
        const char* what;
        TelemetryFlight flight;
        const char* note;
    } cases[] = {
        {"reboot", reboot, "the autopilot restarted 1 time"},
        {"radio gap", gap, ""},
        {"fast stamps", fast, "ran at 2.000 times the vehicle's boot clock"},
    };
    for (const auto& c : cases) {
        const Flight d = readAll(telemetry(c.flight))[0];
        EXPECT_EQ(d.position.size(), expectedFixes(c.flight)) << c.what;
        EXPECT_NEAR(fixNear(d, BOOT_AT_START + 40.0).t, BOOT_AT_START + 40.0, 1e-6) << c.what;
        EXPECT_NEAR(fixNear(d, BOOT_AT_START + 40.0).lonDeg, expectedLongitude(c.flight, 40.0), 1e-7) << c.what;
        if (*c.note)
            EXPECT_TRUE(hasNote(d, c.note)) << c.what << ": " << (d.notes.empty() ? "no note" : d.notes[0]);
        else
            EXPECT_TRUE(d.notes.empty()) << c.what;
        std::vector<FlightEvent> losses;
        for (const FlightEvent& e : d.events)
            if (e.kind == FlightEventKind::linkLost)
                losses.push_back(e);
        if (c.flight.gapSeconds > 0) {
            // From the last packet before (19.9 s) to the first after (25 s).
            ASSERT_EQ(losses.size(), 1u);
            EXPECT_NEAR(losses[0].t, BOOT_AT_START + 19.9, 1e-6);
            EXPECT_NEAR(losses[0].duration, 5.1, 1e-6);
        } else {
            EXPECT_TRUE(losses.empty()) << c.what;
        }
    }
    // Stamps that cannot be trusted give way to the vehicle's own UTC.
    const Flight d = readAll(telemetry(fast))[0];
    EXPECT_NEAR(d.utcAtClockZero, static_cast<double>(fast.startUs) * 1e-6 - BOOT_AT_START, 1e-3);
}

TEST(TlogReader, TheLastCompleteTransferOfEachKindIsThePlan)
{
    const uint64_t start = 1781431200000000ull;
    uint64_t at = start;
    TlogWriter w;
    const auto station = [&](const mav::Payload& p) { put(w, at += 1000, 255, 190, p); };
    const auto vehicle = [&](const mav::Payload& p) { put(w, at += 1000, 1, 1, p); };
    vehicle(mav::heartbeat(0, 2, 3, 1));
    vehicle(mav::attitude(1000, 0, 0, 0));
    vehicle(mav::globalPositionInt(1000, 47.3, 8.5, 500, 0, 0));
    // A mission of 3 items, then one of 2, then an upload broken off.
    for (int items : {3, 2}) {
        station(mav::missionCount(static_cast<uint16_t>(items), 1, 0));
        for (int i = 0; i < items; ++i)
            station(mav::missionItemInt(static_cast<uint16_t>(i), 16, 3, 47.3 + i * 1e-3, 8.5, 50, 1, 0));
    }
    station(mav::missionCount(5, 1, 0));
    station(mav::missionItemInt(0, 16, 3, 47.3, 8.5, 50, 1, 0));
    // A fence: a square to stay in and a circle to stay out of.
    station(mav::missionCount(5, 1, 1));
    const double square[4][2] = {{47.29, 8.49}, {47.29, 8.51}, {47.31, 8.51}, {47.31, 8.49}};
    for (int i = 0; i < 4; ++i)
        station(mav::missionItemInt(static_cast<uint16_t>(i), 5001, 0, square[i][0], square[i][1], 0, 1, 1, 4));
    station(mav::missionItemInt(4, 5004, 0, 47.3, 8.5, 0, 1, 1, 50));
    // The vehicle tells its rally points in the older list, the station
    // reads them back.
    for (uint8_t i = 0; i < 2; ++i)
        vehicle(mav::rallyPoint(47.3 + i * 0.01, 8.5, 40, 255, i, 2));
    const Flight d = readAll(w.bytes())[0];
    ASSERT_EQ(d.plan.mission.size(), 2u);
    EXPECT_NEAR(d.plan.mission[1].latDeg, 47.301, 1e-7);
    EXPECT_TRUE(hasNote(d, "1 incomplete transfer of mission, fence or rally items not used (the last: mission, 1 of 5 items)"))
        << (d.notes.empty() ? "no note" : d.notes[0]);
    ASSERT_EQ(d.plan.fence.size(), 2u);
    EXPECT_TRUE(d.plan.fence[0].inclusion);
    ASSERT_EQ(d.plan.fence[0].polygon.size(), 4u);
    EXPECT_NEAR(d.plan.fence[0].polygon[2].latDeg, 47.31, 1e-7);
    EXPECT_FALSE(d.plan.fence[1].inclusion);
    EXPECT_EQ(d.plan.fence[1].radiusM, 50.0);
    ASSERT_EQ(d.plan.rally.size(), 2u);
    EXPECT_NEAR(d.plan.rally[1].latDeg, 47.31, 1e-7);
    EXPECT_EQ(d.plan.rally[1].altM, 40.0);

    // An older fence list after that: return point, four corners, the
    // first again to close it.
    station(mav::fencePoint(47.3f, 8.5f, 1, 0, 6));
    for (uint8_t i = 0; i < 5; ++i)
        station(mav::fencePoint(static_cast<float>(square[i % 4][0]), static_cast<float>(square[i % 4][1]), 1,
                                static_cast<uint8_t>(i + 1), 6));
    const Flight later = readAll(w.bytes())[0];
    ASSERT_EQ(later.plan.fence.size(), 1u);
    ASSERT_EQ(later.plan.fence[0].polygon.size(), 4u);
    EXPECT_NEAR(later.plan.fence[0].polygon[3].lonDeg, 8.49, 1e-5);
}

TEST(TlogReader, TextsAndModeNames)
{
    const uint64_t start = 1781431200000000ull;
    TlogWriter w;
    put(w, start, 1, 1, mav::attitude(5000, 0, 0, 0));
    put(w, start + 1000, 1, 1, mav::heartbeat(4u << 16 | 4u << 24, 2, 12, 1));
    const std::string text = "PreArm: Battery below minimum arming voltage, check the battery";
    put(w, start + 2000, 1, 1, mav::statusText(4, text.substr(0, 50), 7, 0));
    put(w, start + 3000, 1, 1, mav::statusText(4, text.substr(50), 7, 1));
    put(w, start + 4000, 1, 1, mav::statusText(2, "Crash: Disarming", 0, 0));
    put(w, start + 1000000, 1, 1, mav::heartbeat(3u << 16, 2, 12, 1 | 128));
    const Flight d = readAll(w.bytes())[0];
    ASSERT_EQ(d.messages.size(), 2u);
    EXPECT_EQ(d.messages[0].text, text);
    EXPECT_EQ(d.messages[0].severity, 4);
    EXPECT_EQ(d.messages[1].text, "Crash: Disarming");
    ASSERT_EQ(d.modes.size(), 2u);
    EXPECT_EQ(d.modes[0].name, "Mission");
    EXPECT_EQ(d.modes[1].name, "Position");

    const std::pair<uint32_t, const char*> px4[] = {
        {1u << 16, "Manual"}, {4u << 16 | 5u << 24, "Return"}, {4u << 16 | 6u << 24, "Land"}, {7u << 16, "Stabilized"},
        {99u << 16, "99/0"},
    };
    for (const auto& [custom, name] : px4)
        EXPECT_EQ(px4CustomModeName(custom), name);
    const std::pair<int, bool> types[] = {{1, true}, {2, true}, {6, false}, {5, false}, {18, false}, {26, false},
                                          {22, true}, {30, false}, {43, true}};
    for (const auto& [type, vehicle] : types)
        EXPECT_EQ(isVehicleMavType(type), vehicle) << type;
}

TEST(TlogReader, AStationAloneIsNoVehicle)
{
    TlogWriter station;
    for (int i = 0; i < 5; ++i)
        put(station, 1781431200000000ull + i * 1000000ull, 255, 190, mav::heartbeat(0, 6, 8, 0));
    const std::vector<Flight> none = readAll(station.bytes());
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].systemId, 0);
    EXPECT_TRUE(none[0].position.empty());
    ASSERT_EQ(none[0].linkSystems.size(), 1u);
    EXPECT_EQ(none[0].linkSystems[0].packets, 5u);
    EXPECT_EQ(parseFormatWord("tlog"), FlightFormat::tlog);
}
