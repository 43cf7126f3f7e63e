#include <cmath>

#include <gtest/gtest.h>

#include "tools/studio/flight_clock.h"

using flightreplay::studio::FlightClock;

TEST(FlightClock, AdvancesBySpeedUnlessPaused)
{
    FlightClock clock(100.0);
    EXPECT_DOUBLE_EQ(clock.speed(), 1.0);
    clock.advance(2.0);
    EXPECT_DOUBLE_EQ(clock.time(), 2.0);

    clock.togglePause();
    clock.advance(5.0);
    EXPECT_TRUE(clock.paused());
    EXPECT_DOUBLE_EQ(clock.time(), 2.0);
    clock.togglePause();
    clock.advance(1.0);
    EXPECT_DOUBLE_EQ(clock.time(), 3.0);

    // A backward or broken frame time never moves the clock.
    clock.advance(-4.0);
    clock.advance(std::nan(""));
    EXPECT_DOUBLE_EQ(clock.time(), 3.0);
}

TEST(FlightClock, SpeedStepsStopAtQuarterAndSixtyFour)
{
    FlightClock clock(1000.0);
    const double faster[] = {2, 4, 8, 16, 32, 64, 64};
    for (double expected : faster) {
        clock.faster();
        EXPECT_DOUBLE_EQ(clock.speed(), expected);
    }
    const double slower[] = {32, 16, 8, 4, 2, 1, 0.5, 0.25, 0.25};
    for (double expected : slower) {
        clock.slower();
        EXPECT_DOUBLE_EQ(clock.speed(), expected);
    }
    clock.advance(4.0);
    EXPECT_DOUBLE_EQ(clock.time(), 1.0);
}

TEST(FlightClock, SeeksClampToTheFlight)
{
    struct Case {
        double start;
        double by;
        double expected;
    };
    const Case cases[] = {{50, 5, 55}, {50, -5, 45}, {2, -5, 0}, {98, 5, 100}, {50, 60, 100}, {50, -60, 0}};
    for (const Case& c : cases) {
        FlightClock clock(100.0);
        clock.seek(c.start);
        clock.seekBy(c.by);
        EXPECT_DOUBLE_EQ(clock.time(), c.expected) << c.start << " + " << c.by;
    }
    FlightClock clock(100.0);
    clock.seek(-3.0);
    EXPECT_DOUBLE_EQ(clock.time(), 0.0);
    clock.seek(1e9);
    EXPECT_DOUBLE_EQ(clock.time(), 100.0);
    clock.seek(std::nan(""));
    EXPECT_DOUBLE_EQ(clock.time(), 100.0);
}

TEST(FlightClock, LoopWrapsOrStopsAtTheEnd)
{
    FlightClock looping(10.0);
    EXPECT_TRUE(looping.loop());
    looping.seek(9.0);
    looping.advance(3.0);
    EXPECT_DOUBLE_EQ(looping.time(), 2.0);
    EXPECT_FALSE(looping.paused());

    FlightClock once(10.0);
    once.setLoop(false);
    once.seek(9.0);
    once.advance(3.0);
    EXPECT_DOUBLE_EQ(once.time(), 10.0);
    EXPECT_TRUE(once.paused());
    // Play at the end starts the flight again.
    once.togglePause();
    EXPECT_DOUBLE_EQ(once.time(), 0.0);
    EXPECT_FALSE(once.paused());

    // A flight of no length stays at 0 whatever happens.
    FlightClock empty(0.0);
    empty.advance(1.0);
    empty.seekBy(5.0);
    EXPECT_DOUBLE_EQ(empty.time(), 0.0);
}
