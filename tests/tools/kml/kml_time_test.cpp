#include <gtest/gtest.h>

#include <cmath>

#include "tools/kml/kml_time.h"

namespace fk = flightreplay::kml;

TEST(KmlTime, IsoTextOfUtcSeconds)
{
    // Seconds since 1970 counted by hand from days per year and month.
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {0.0, "1970-01-01T00:00:00.000Z"},
        {946684800.0, "2000-01-01T00:00:00.000Z"},
        {1686823200.5, "2023-06-15T10:00:00.500Z"},
        {1709208000.0, "2024-02-29T12:00:00.000Z"},
        {1686823259.9996, "2023-06-15T10:01:00.000Z"},
        {-0.5, "1969-12-31T23:59:59.500Z"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fk::isoUtc(c.seconds), c.text) << c.seconds;
}

TEST(KmlTime, UndatedFlightsStartOnTheMadeUpDay)
{
    flightreplay::flight::Flight dated;
    dated.utcAtClockZero = 1e9;
    dated.position = {{5.0, 48.0, 11.0, 500.0}};
    EXPECT_DOUBLE_EQ(fk::utcAtClockZero(dated), 1e9);

    flightreplay::flight::Flight undated = dated;
    undated.utcAtClockZero = NAN;
    undated.position.front().t = 12.0;
    EXPECT_EQ(fk::isoUtc(fk::utcAtClockZero(undated) + 12.0), "2000-01-01T00:00:00.000Z");
}
