#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reader_test_support.h"
#include "log_writers.h"
#include "support/test_support.h"
#include "tools/readers/flight_happenings.h"
#include "tools/convert/flight_listing.h"

using namespace flightreplay::readers;
using namespace flightreplay::convert;
using namespace flightreplay::flight;
using namespace reader_test;

namespace {

struct ExpectedMode {
    double t;
    int code;
    const char* name;
};

struct ExpectedEvent {
    double t;
    FlightEventKind kind;
};

void expectModes(const Flight& data, const std::vector<ExpectedMode>& modes, const std::string& what)
{
    ASSERT_EQ(data.modes.size(), modes.size()) << what;
    for (size_t i = 0; i < modes.size(); ++i) {
        EXPECT_NEAR(data.modes[i].t, modes[i].t, 1e-6) << what << " mode " << i;
        EXPECT_EQ(data.modes[i].code, modes[i].code) << what << " mode " << i;
        EXPECT_EQ(data.modes[i].name, modes[i].name) << what << " mode " << i;
    }
}

void expectEvents(const Flight& data, const std::vector<ExpectedEvent>& events, const std::string& what)
{
    ASSERT_EQ(data.events.size(), events.size()) << what;
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_NEAR(data.events[i].t, events[i].t, 1e-6) << what << " event " << i;
        EXPECT_EQ(data.events[i].kind, events[i].kind) << what << " event " << i;
        EXPECT_TRUE(data.events[i].logged) << what << " event " << i;
    }
}

std::string ulogText(char type, uint8_t level, double t, const std::string& text)
{
    Body body;
    body.put<uint8_t>(level);
    if (type == 'C')
        body.put<uint16_t>(7);
    body.put<uint64_t>(static_cast<uint64_t>(t * 1e6)).text(text);
    return body.bytes;
}

} // namespace

TEST(FlightHappenings, UlogModesArmingLandingAndMessages)
{
    UlogWriter w;
    w.format("vehicle_status:uint64_t timestamp;uint8_t nav_state;uint8_t arming_state;uint8_t[6] _padding0;");
    w.format("actuator_armed:uint64_t timestamp;bool armed;uint8_t[7] _padding0;");
    w.format("vehicle_land_detected:uint64_t timestamp;bool freefall;bool landed;uint8_t[6] _padding0;");
    w.subscribe(0, 1, "vehicle_status");
    w.subscribe(0, 2, "actuator_armed");
    w.subscribe(0, 3, "vehicle_land_detected");
    const auto status = [&](double t, uint8_t nav, uint8_t arming) {
        w.data(1, Body().put<uint64_t>(static_cast<uint64_t>(t * 1e6)).put<uint8_t>(nav).put<uint8_t>(arming).text(std::string(6, '\0')));
    };
    const auto landed = [&](double t, bool on) {
        w.data(3, Body().put<uint64_t>(static_cast<uint64_t>(t * 1e6)).put<uint8_t>(0).put<uint8_t>(on).text(std::string(6, '\0')));
    };
    // The actuators claim an arming the vehicle status does not: the status wins.
    w.data(2, Body().put<uint64_t>(1500000).put<uint8_t>(1).text(std::string(7, '\0')));
    status(1.0, 2, 1);
    landed(1.0, true);
    status(2.0, 2, 2);
    w.message('L', ulogText('L', '4', 2.2, "[commander] \x1b[32mReady for takeoff!\x1b[0m\t"));
    landed(2.5, false);
    status(3.0, 2, 2);
    w.message('C', ulogText('C', '3', 3.3, "[navigator] mission failure"));
    status(4.0, 3, 2);
    status(5.0, 5, 2);
    landed(5.5, true);
    status(6.0, 5, 1);
    status(7.0, 99, 1);
    w.message('L', ulogText('L', 6, 7.5, "raw level"));

    const Flight data = readUlogBytes(w.bytes);
    expectModes(data, {{1.0, 2, "Position"}, {4.0, 3, "Mission"}, {5.0, 5, "Return"}, {7.0, 99, "99"}}, "ULog");
    expectEvents(data, {{2.0, FlightEventKind::armed}, {2.5, FlightEventKind::takeoff},
                        {5.5, FlightEventKind::landing}, {6.0, FlightEventKind::disarmed}}, "ULog");
    ASSERT_EQ(data.messages.size(), 3u);
    const struct {
        double t;
        int severity;
        const char* text;
    } messages[] = {{2.2, 4, "[commander] Ready for takeoff!"}, {3.3, 3, "[navigator] mission failure"}, {7.5, 6, "raw level"}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(data.messages[i].t, messages[i].t, 1e-6) << i;
        EXPECT_EQ(data.messages[i].severity, messages[i].severity) << i;
        EXPECT_EQ(data.messages[i].text, messages[i].text) << i;
    }
}

TEST(FlightHappenings, DataflashModesEventsAndErrorsPerVehicle)
{
    struct Case {
        const char* firmware;
        bool olderLayout;
        std::vector<ExpectedMode> modes;
    } cases[] = {
        {"ArduPlane V4.3.1 (abcdef12)", false, {{2.0, 5, "FBWA"}, {6.0, 11, "RTL"}}},
        {"ArduCopter V4.4.0 (abcdef12)", false, {{2.0, 5, "Loiter"}, {6.0, 11, "Drift"}}},
        {"ArduRover V4.2.0 (abcdef12)", false, {{2.0, 5, "Loiter"}, {6.0, 11, "RTL"}}},
        {"ArduCopter V3.2.1 (36b405fb)", true, {{2.0, 5, "Loiter"}, {6.0, 11, "Drift"}}},
    };
    for (const Case& c : cases) {
        DataflashWriter w;
        const double us = c.olderLayout ? 1e3 : 1e6;
        if (c.olderLayout) {
            // The oldest logs stamp neither MODE nor MSG: they take the time
            // of the message before.
            w.define(130, "ATT", "IccccCCCC", "TimeMS,DesRoll,Roll,DesPitch,Pitch,DesYaw,Yaw,ErrRP,ErrYaw");
            w.define(131, "MODE", "Mh", "Mode,ThrCrs");
            w.define(132, "MSG", "Z", "Message");
            w.define(133, "EV", "IB", "TimeMS,Id");
            w.define(134, "ERR", "IBB", "TimeMS,Subsys,ECode");
        } else {
            w.define(130, "ATT", "QccccCCCC", "TimeUS,DesRoll,Roll,DesPitch,Pitch,DesYaw,Yaw,ErrRP,ErrYaw");
            w.define(131, "MODE", "QMBB", "TimeUS,Mode,ModeNum,Rsn");
            w.define(132, "MSG", "QZ", "TimeUS,Message");
            w.define(133, "EV", "QB", "TimeUS,Id");
            w.define(134, "ERR", "QBB", "TimeUS,Subsys,ECode");
        }
        const auto at = [&](double t) { w.write(130, {t * us, 0, 0, 0, 0, 0, 0, 0, 0}); };
        const auto mode = [&](double t, int number) {
            at(t);
            if (c.olderLayout)
                w.write(131, {number, 0});
            else
                w.write(131, {t * us, number, number, 1});
        };
        const auto message = [&](double t, const char* text) {
            at(t);
            if (c.olderLayout)
                w.write(132, {text});
            else
                w.write(132, {t * us, text});
        };
        // The mode comes before the firmware names the vehicle.
        mode(2.0, 5);
        message(2.5, c.firmware);
        w.write(133, {3.0 * us, 10});
        w.write(133, {3.5 * us, 28});
        w.write(133, {4.0 * us, 25});
        w.write(134, {4.5 * us, 5, 1});
        w.write(134, {5.0 * us, 5, 0});
        mode(6.0, 11);
        mode(6.5, 11);
        w.write(133, {7.0 * us, 18});
        w.write(133, {8.0 * us, 11});

        const Flight data = readDataflashBytes(w.bytes);
        expectModes(data, c.modes, c.firmware);
        expectEvents(data, {{3.0, FlightEventKind::armed}, {3.5, FlightEventKind::takeoff},
                            {7.0, FlightEventKind::landing}, {8.0, FlightEventKind::disarmed}}, c.firmware);
        ASSERT_EQ(data.messages.size(), 4u) << c.firmware;
        const struct {
            double t;
            int severity;
            std::string text;
        } messages[] = {{2.5, 6, c.firmware}, {4.0, 6, "Set home"}, {4.5, 3, "Error: radio failsafe (code 1)"},
                        {5.0, 3, "Error resolved: radio failsafe"}};
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_NEAR(data.messages[i].t, messages[i].t, 1e-6) << c.firmware << " " << i;
            EXPECT_EQ(data.messages[i].severity, messages[i].severity) << c.firmware << " " << i;
            EXPECT_EQ(data.messages[i].text, messages[i].text) << c.firmware << " " << i;
        }
        const std::string listing = listFlight(data);
        EXPECT_NE(listing.find("modes: 2, messages: 4, events: 4\n"), std::string::npos) << listing;
        EXPECT_NE(listing.find("      6.000 s  " + std::string(c.modes[1].name) + "\n"), std::string::npos) << listing;
    }
}

TEST(FlightHappenings, RealSamples)
{
    const std::string dir = realLogDir();
    if (dir.empty())
        GTEST_SKIP() << "no real ULog samples";
    const Flight small = readUlogBytes(readFile(dir + "/sample_log_small.ulg"));
    ASSERT_EQ(small.modes.size(), 1u);
    EXPECT_EQ(small.modes[0].name, "Manual");
    ASSERT_EQ(small.messages.size(), 3u);
    EXPECT_EQ(small.messages[2].text, "[commander] Disarmed by landing");
    EXPECT_EQ(small.messages[2].severity, 6);

    const Flight events = readUlogBytes(readFile(dir + "/sample_px4_events.ulg"));
    std::vector<std::string> names;
    for (const ModeChange& m : events.modes)
        names.push_back(m.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Hold", "Takeoff", "Hold", "Return", "Hold"}));
    ASSERT_EQ(events.messages.size(), 18u);
    EXPECT_EQ(events.messages[8].text, "[commander] Ready for takeoff!");
    EXPECT_EQ(events.messages[5].severity, 4); // "Preflight: GPS fix too low"
    // The land detector agrees with the commander's own messages.
    const auto messageTime = [&](const std::string& text) {
        for (const FlightMessage& m : events.messages)
            if (m.text == text)
                return m.t;
        return -1.0;
    };
    const std::vector<std::pair<FlightEventKind, const char*>> expected = {
        {FlightEventKind::armed, "[commander] Armed by internal command"},
        {FlightEventKind::takeoff, "[commander] Takeoff detected"},
        {FlightEventKind::landing, "[commander] Landing detected"},
        {FlightEventKind::disarmed, "[commander] Disarmed by landing"},
    };
    ASSERT_EQ(events.events.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(events.events[i].kind, expected[i].first) << i;
        EXPECT_NEAR(events.events[i].t, messageTime(expected[i].second), 0.5) << i;
    }
}

TEST(FlightHappenings, KeptBoundedWithANote)
{
    FlightHappenings happenings;
    for (size_t i = 0; i < HAPPENINGS_CAP + 5; ++i)
        happenings.message(static_cast<double>(i), 6, "again");
    happenings.mode(1.0, 2, "Position");
    Flight data;
    happenings.moveInto(data);
    EXPECT_EQ(data.messages.size(), HAPPENINGS_CAP);
    EXPECT_EQ(data.modes.size(), 1u);
    ASSERT_EQ(data.notes.size(), 1u);
    EXPECT_EQ(data.notes[0], "5 modes, messages and events beyond the first 100000 of each left out");
}
