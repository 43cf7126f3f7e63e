#include <gtest/gtest.h>

#include <cmath>

#include "log/geography.h"

namespace {

// The mean sphere's circumference is 2π × 6371008.8 m = 40030228.88 m, so a
// degree along a meridian is a 360th of it.
constexpr double DEGREE_OF_MERIDIAN = 111195.080;

TEST(Geography, LocalOffsetsOnTheMeanSphere)
{
    const struct {
        double originLat, originLon, lat, lon;
        double east, north; // metres
    } cases[] = {
        {0.0, 0.0, 1.0, 0.0, 0.0, DEGREE_OF_MERIDIAN},
        {0.0, 0.0, 0.0, -1.0, -DEGREE_OF_MERIDIAN, 0.0},
        // cos 60° = 1/2: a degree of longitude there is half as long.
        {60.0, 10.0, 60.0, 11.0, DEGREE_OF_MERIDIAN / 2.0, 0.0},
        // Across the antimeridian the short way: one degree east.
        {0.0, 179.5, 0.0, -179.5, DEGREE_OF_MERIDIAN, 0.0},
        {0.0, -179.5, 0.0, 179.5, -DEGREE_OF_MERIDIAN, 0.0},
    };
    for (const auto& c : cases) {
        const LocalOffset offset = localOffsetMetres(c.originLat, c.originLon, c.lat, c.lon);
        EXPECT_NEAR(offset.east, c.east, 0.01) << c.originLat << " " << c.originLon << " " << c.lat << " " << c.lon;
        EXPECT_NEAR(offset.north, c.north, 0.01) << c.originLat << " " << c.originLon << " " << c.lat << " " << c.lon;
    }
}

TEST(Geography, OffsetToDegreesUndoesLocalOffset)
{
    const struct {
        double lat, lon, east, north;
    } cases[] = {{47.3, 8.5, 1200.0, -800.0}, {-33.9, 151.2, -300.0, 2500.0}, {0.0, 0.0, 5.0, 5.0}, {69.0, -20.0, 900.0, 900.0}};
    for (const auto& c : cases) {
        double lat = 0.0, lon = 0.0;
        offsetToDegrees(c.lat, c.lon, {c.east, c.north}, lat, lon);
        const LocalOffset back = localOffsetMetres(c.lat, c.lon, lat, lon);
        EXPECT_NEAR(back.east, c.east, 1e-6) << c.lat;
        EXPECT_NEAR(back.north, c.north, 1e-6) << c.lat;
        // And the point is where the offset says, by the sphere's own measure.
        EXPECT_NEAR(groundDistanceMetres(c.lat, c.lon, lat, lon), std::hypot(c.east, c.north),
                    0.001 * std::hypot(c.east, c.north) / 1000.0 + 1e-6)
            << c.lat;
    }
}

TEST(Geography, GreatCircleDistances)
{
    const double quarter = 10007557.22; // π/2 × 6371008.8 m
    const struct {
        double lat1, lon1, lat2, lon2, metres;
    } cases[] = {
        {0, 0, 0, 90, quarter},
        {0, 0, 90, 0, quarter},
        {0, 0, 0, 180, 2.0 * quarter},
        {0, 0, 0, -180, 2.0 * quarter},
        // cos d = sin² 45° + cos² 45° cos 90° = 1/2: d is 60°, a sixth of the way round.
        {45, 0, 45, 90, 2.0 * quarter / 3.0},
        {0, 0, 1, 0, DEGREE_OF_MERIDIAN},
        {12.3, 45.6, 12.3, 45.6, 0.0},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(groundDistanceMetres(c.lat1, c.lon1, c.lat2, c.lon2), c.metres, 0.01)
            << c.lat1 << " " << c.lon1 << " " << c.lat2 << " " << c.lon2;
        EXPECT_NEAR(groundDistanceMetres(c.lat2, c.lon2, c.lat1, c.lon1), c.metres, 0.01) << "reversed";
    }
}

TEST(Geography, WebMercatorEdgesAndRoundTrips)
{
    EXPECT_NEAR(mercatorYOfLatitude(0.0), 0.5, 1e-15);
    EXPECT_NEAR(mercatorYOfLatitude(85.0511287798066), 0.0, 1e-12);
    EXPECT_NEAR(mercatorYOfLatitude(-85.0511287798066), 1.0, 1e-12);
    EXPECT_DOUBLE_EQ(mercatorXOfLongitude(-180.0), 0.0);
    EXPECT_DOUBLE_EQ(mercatorXOfLongitude(0.0), 0.5);
    EXPECT_DOUBLE_EQ(mercatorXOfLongitude(180.0), 1.0);
    EXPECT_NEAR(latitudeOfMercatorY(0.0), MERCATOR_LATITUDE_LIMIT, 1e-12);
    EXPECT_NEAR(latitudeOfMercatorY(0.5), 0.0, 1e-12);
    EXPECT_NEAR(latitudeOfMercatorY(1.0), -MERCATOR_LATITUDE_LIMIT, 1e-12);
    EXPECT_DOUBLE_EQ(longitudeOfMercatorX(0.25), -90.0);
    // ln tan(45° + 30°) = ln(2 + √3) = 1.3169579: 60° N lies that over 2π above the middle.
    EXPECT_NEAR(mercatorYOfLatitude(60.0), 0.5 - std::log(2.0 + std::sqrt(3.0)) / (2.0 * MAP_PI), 1e-15);
    for (double lat : {-85.0, -33.9, 0.0, 12.5, 47.3, 66.5, 85.0})
        EXPECT_NEAR(latitudeOfMercatorY(mercatorYOfLatitude(lat)), lat, 1e-11) << lat;
    for (double lon : {-180.0, -77.1, 0.0, 8.5, 179.9})
        EXPECT_NEAR(longitudeOfMercatorX(mercatorXOfLongitude(lon)), lon, 1e-12) << lon;
    // A zoom-0 tile is the whole equator: 2π × 6378137 m.
    EXPECT_NEAR(EARTH_EQUATOR_METRES, 40075016.686, 0.001);
}

} // namespace
