#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "log/units.h"
#include "tools/flight/flight_events.h"

using namespace flightreplay::flight;

namespace {

struct Profile {
    double heightM;  // above the 400 m field
    double speedM_S; // eastwards
};

// Fixes every 0.5 s from t = 100 s to 100 s + seconds, east along 47° N,
// with ±0.4 m of altitude jitter as a GPS gives on the ground.
Flight flightOf(double seconds, const std::function<Profile(double)>& profile)
{
    Flight flight;
    double east = 0.0;
    for (int i = 0; i * 0.5 <= seconds; ++i) {
        const double s = i * 0.5;
        const Profile p = profile(s);
        east += p.speedM_S * 0.5;
        const double lon = 8.0 + east / (MEAN_EARTH_RADIUS * std::cos(47.0 * RADIANS_PER_DEGREE)) * DEGREES_PER_RADIAN;
        flight.position.push_back({100.0 + s, 47.0, lon, 400.0 + p.heightM + (i % 2 ? 0.4 : -0.4)});
    }
    return flight;
}

double ramp(double s, double from, double to, double rate)
{
    return std::fmax(0.0, std::fmin(s, to) - from) * rate;
}

Profile hop(double s)
{
    // Climb at 1 m/s from 10 s to 30 s, hover, come down at 1 m/s from 60 s.
    return {ramp(s, 10, 30, 1.0) - ramp(s, 60, 80, 1.0), 0.0};
}

} // namespace

TEST(FlightEvents, TakeoffAndLandingFromTheTrack)
{
    const struct Case {
        const char* name;
        Flight flight;
        // Studio seconds (t - 100) of the inferred take-off and landing; NAN where none.
        double takeoffFrom, takeoffTo, landingFrom, landingTo;
        size_t events;
    } cases[] = {
        {"quad hop", flightOf(90, hop), 10, 14, 74, 80, 2},
        {"plane: take-off run and roll-out", flightOf(150, [](double s) {
             const double speed = ramp(s, 10, 20, 2.0) - ramp(s, 110, 120, 2.0);
             return Profile{ramp(s, 25, 45, 2.0) - ramp(s, 85, 105, 2.0), speed};
         }), 12, 14, 105, 120, 2},
        {"never leaves the ground", flightOf(60, [](double s) { return Profile{0.0, s < 30 ? 1.0 : 0.0}; }), NAN, NAN, NAN, NAN, 0},
        {"log stops in the air", flightOf(50, hop), 10, 14, NAN, NAN, 1},
        {"landing on the last fix is not yet settled", flightOf(78, hop), 10, 14, NAN, NAN, 1},
    };
    for (const Case& c : cases) {
        Flight flight = c.flight;
        inferFlightEvents(flight);
        ASSERT_EQ(flight.events.size(), c.events) << c.name;
        for (const FlightEvent& e : flight.events) {
            EXPECT_FALSE(e.logged) << c.name;
            const bool takeoff = e.kind == FlightEventKind::takeoff;
            EXPECT_TRUE(takeoff || e.kind == FlightEventKind::landing) << c.name;
            EXPECT_GE(e.t - 100, takeoff ? c.takeoffFrom : c.landingFrom) << c.name;
            EXPECT_LE(e.t - 100, takeoff ? c.takeoffTo : c.landingTo) << c.name;
        }
        if (c.events == 2) {
            EXPECT_EQ(flight.events[0].kind, FlightEventKind::takeoff) << c.name;
        }
    }
}

TEST(FlightEvents, WhatTheLogSaysComesFirst)
{
    // Armed only at 30 s, after a walk up a 6 m slope with the unit in hand:
    // the take-off height is where it was armed.
    Flight walked = flightOf(90, [](double s) {
        return Profile{ramp(s, 0, 10, 0.6) + ramp(s, 40, 55, 1.0) - ramp(s, 60, 75, 1.0), 0.0};
    });
    walked.events = {{130.0, FlightEventKind::armed, true}, {180.0, FlightEventKind::disarmed, true}};
    inferFlightEvents(walked);
    ASSERT_EQ(walked.events.size(), 4u);
    EXPECT_EQ(walked.events[1].kind, FlightEventKind::takeoff);
    EXPECT_EQ(walked.events[2].kind, FlightEventKind::landing);
    EXPECT_GE(walked.events[1].t, 140.0);
    EXPECT_LE(walked.events[2].t, 180.0);

    // A logged take-off and landing stay alone; so does a rover.
    Flight logged = flightOf(90, hop);
    logged.events = {{111.0, FlightEventKind::takeoff, true}, {181.0, FlightEventKind::landing, true}};
    inferFlightEvents(logged);
    EXPECT_EQ(logged.events.size(), 2u);
    Flight rover = flightOf(90, [](double s) { return Profile{0.0, s > 10 && s < 60 ? 8.0 : 0.0}; });
    rover.vehicle = VehicleKind::rover;
    inferFlightEvents(rover);
    EXPECT_TRUE(rover.events.empty());

    // Only the landing missing: found after the logged take-off.
    Flight half = flightOf(90, hop);
    half.events = {{111.0, FlightEventKind::takeoff, true}};
    inferFlightEvents(half);
    ASSERT_EQ(half.events.size(), 2u);
    EXPECT_TRUE(half.events[0].logged);
    EXPECT_EQ(half.events[1].kind, FlightEventKind::landing);
    EXPECT_FALSE(half.events[1].logged);
}

TEST(FlightEvents, StatusColumnModesAndPalette)
{
    const std::vector<ModeChange> modes = modesFromApStatus({{0.0, 3}, {0.5, 3}, {1.0, 7}, {1.5, NAN}, {2.0, 7}, {2.5, 3}});
    ASSERT_EQ(modes.size(), 3u);
    const ModeChange expected[] = {{0.0, 3, "3"}, {1.0, 7, "7"}, {2.5, 3, "3"}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(modes[i].t, expected[i].t);
        EXPECT_EQ(modes[i].code, expected[i].code);
        EXPECT_EQ(modes[i].name, expected[i].name);
    }

    Flight flight;
    flight.modes = modes;
    const struct {
        double t;
        int index;
    } at[] = {{-1.0, -1}, {0.0, 0}, {0.9, 0}, {1.0, 1}, {2.4, 1}, {2.5, 2}, {99.0, 2}};
    for (const auto& a : at)
        EXPECT_EQ(modeAt(flight, a.t), a.index) << a.t;
    EXPECT_EQ(modeColourIndex(flight, 3), 0);
    EXPECT_EQ(modeColourIndex(flight, 7), 1);

    std::set<std::vector<float>> colours;
    for (int i = 0; i < 20; ++i) {
        const osg::Vec4 c = modeColour(i);
        EXPECT_EQ(c.a(), 1.0f);
        colours.insert({c.r(), c.g(), c.b()});
    }
    EXPECT_EQ(colours.size(), 20u);
}
