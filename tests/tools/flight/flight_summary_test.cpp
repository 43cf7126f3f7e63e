#include <cmath>

#include <gtest/gtest.h>

#include "tools/flight/flight_summary.h"

using namespace flightreplay::flight;

TEST(FlightSummary, FiguresOfAWholeFlight)
{
    // 0.001° of latitude on the mean sphere (6371009 m): 111.195 m.
    const double northStep = 6371009.0 * M_PI / 180.0 * 0.001;
    struct Case {
        const char* name;
        Flight flight;
        double duration, distance, maxAlt, takeoffLat, sag;
    };
    Flight undated;
    undated.position = {{5.0, 47.0, 8.0, 400.0}, {6.0, 47.001, 8.0, 420.0}, {15.5, 47.002, 8.0, 410.0}};
    undated.voltage = {{0.0, 12.6}, {30.0, 12.5}, {90.0, 11.1}, {100.0, 11.9}};
    Flight takeoff = undated;
    takeoff.events = {{6.0, FlightEventKind::takeoff, true}};
    takeoff.voltage = {{0.0, 0.0}, {1.0, 0.0}}; // no battery: zeros
    Flight empty;
    const Case cases[] = {
        {"no take-off event: the first fix", undated, 10.5, 2 * northStep, 420.0, 47.0, 1.5},
        {"the fix at take-off, no battery", takeoff, 10.5, 2 * northStep, 420.0, 47.001, NAN},
        {"no fix", empty, NAN, 0.0, NAN, NAN, NAN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FlightSummary s = summariseFlight(c.flight);
        const auto same = [](double want, double got) { return std::isnan(want) ? std::isnan(got) : std::fabs(want - got) < 1e-9; };
        EXPECT_TRUE(same(c.duration, s.durationS)) << s.durationS;
        EXPECT_NEAR(c.distance, s.distanceM, 0.01);
        EXPECT_TRUE(same(c.maxAlt, s.maxAltM)) << s.maxAltM;
        EXPECT_TRUE(same(c.takeoffLat, s.takeoffLat)) << s.takeoffLat;
        EXPECT_TRUE(same(c.sag, s.batterySagV)) << s.batterySagV;
        EXPECT_TRUE(std::isnan(s.startUtc)); // none of them has a date
    }
}

TEST(FlightSummary, UtcTextBothWays)
{
    struct Case {
        double utc;
        const char* text;
        const char* iso;
    };
    const Case cases[] = {
        {0.0, "1970-01-01 00:00:00 UTC", "1970-01-01T00:00:00Z"},
        {1781431200.75, "2026-06-14 10:00:00 UTC", "2026-06-14T10:00:00Z"},
        {951782399.0, "2000-02-28 23:59:59 UTC", "2000-02-28T23:59:59Z"},
        {951868800.0, "2000-03-01 00:00:00 UTC", "2000-03-01T00:00:00Z"}, // after a leap day
        {-1.0, "?", ""},
        {NAN, "?", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.text, utcText(c.utc)) << c.utc;
        EXPECT_EQ(c.iso, isoUtcText(c.utc)) << c.utc;
    }
    Flight dated;
    dated.utcAtClockZero = 1781431200.0;
    dated.position = {{12.0, 47.0, 8.0, 400.0}};
    EXPECT_EQ("2026-06-14T10:00:12Z", isoUtcText(summariseFlight(dated).startUtc));
}
