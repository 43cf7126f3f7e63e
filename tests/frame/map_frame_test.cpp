#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "frame/map_frame.h"
#include "support/test_support.h"

namespace {

// Sets up the frame around a centre given in degrees and returns what it printed.
std::string centreOn(double lat, double lon)
{
    return captureStdout([&] { setupMapFrame(lat * 60, lat * 60, lon * 60, lon * 60); });
}

TEST(MapFrame, MercatorConversions)
{
    EXPECT_EQ(latToMercatorY(0), 0.5);
    EXPECT_EQ(latToMercatorY(90), 1e20);
    EXPECT_EQ(latToMercatorY(-90), -1e20);
    EXPECT_NEAR(latToMercatorY(85.0511287798), 0.0, 1e-12);
    EXPECT_NEAR(latToMercatorY(-85.0511287798), 1.0, 1e-12);
    // y = 0.5 - atanh(sin(lat)) / (2 pi), worked out independently
    EXPECT_NEAR(latToMercatorY(45), 0.5 - std::atanh(std::sin(MAP_PI / 4)) / (2 * MAP_PI), 1e-15);

    EXPECT_EQ(lonToMercatorX(-180), 0.0);
    EXPECT_EQ(lonToMercatorX(180), 0.0);
    EXPECT_EQ(lonToMercatorX(0), 0.5);
    EXPECT_NEAR(lonToMercatorX(-190), -10.0 / 360.0, 1e-15);
    EXPECT_NEAR(lonToMercatorX(90), 0.75, 1e-15);
}

TEST(MapFrame, SetupPrintsScaleAndCentre)
{
    EXPECT_EQ(centreOn(0, 0), "1/k=152.774899 (latc=0.000000)\nCI,CJ=131072 131072\n");
    EXPECT_NEAR(mapFrame.k, 1 / 152.77489925, 1e-9);

    EXPECT_EQ(centreOn(55, 37.5), "1/k=87.628082 (latc=55.000000)\nCI,CJ=82915 158378\n");

    centreOn(-33.9, 151.2);
    EXPECT_EQ(mapFrame.CI, 157337);
    EXPECT_EQ(mapFrame.CJ, 241172);
    centreOn(48, -122);
    EXPECT_EQ(mapFrame.CI, 91125);
    EXPECT_EQ(mapFrame.CJ, 42234);

    // The driver's start values for a log without rows centre on 0, 0.
    const std::string noRows = captureStdout([] { setupMapFrame(100000.0, -100000.0, 100000.0, -100000.0); });
    EXPECT_EQ(noRows, "1/k=152.774899 (latc=0.000000)\nCI,CJ=131072 131072\n");
}

TEST(MapFrame, CentreOutsideTheGridIsClamped)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double lat, lon;
        int32_t ci, cj;
    };
    const Case cases[] = {
        {90, 0, 262143, 131072},   // pole guard 1e20
        {-90, 0, 0, 131072},       // pole guard -1e20
        {89.9, 179.9999999, 0, 262143},
        {-89.9, -200, 262143, 0},  // below -180 the Mercator x is negative
        {inf, 0, 0, 131072},       // sin(inf) is NaN
        {0, -inf, 131072, 0},
    };
    for (const Case& c : cases) {
        const std::string printed = centreOn(c.lat, c.lon);
        EXPECT_EQ(mapFrame.CI, c.ci) << c.lat << " " << c.lon;
        EXPECT_EQ(mapFrame.CJ, c.cj) << c.lat << " " << c.lon;
        EXPECT_NE(printed.find("CI,CJ=" + std::to_string(c.ci) + " " + std::to_string(c.cj) + "\n"), std::string::npos);
    }
    EXPECT_EQ(mercatorToTileIndex(std::nan("")), 0);
    EXPECT_EQ(mercatorToTileIndex(-0.5 / 262144), 0);
    EXPECT_EQ(mercatorToTileIndex(262143.9 / 262144), 262143);
}

TEST(MapFrame, ScenePoints)
{
    centreOn(55, 37.5);
    const double lat = std::atan(std::sinh(MAP_PI * (1 - 2.0 * 82915 / 262144))) * 180 / MAP_PI;
    const double lon = 158378.0 / 262144 * 360 - 180;
    const osg::Vec3f corner = geoToScene(lat, lon, 100);
    EXPECT_NEAR(corner.x(), 0, 1e-5);
    EXPECT_NEAR(corner.y(), 0, 1e-5);
    EXPECT_FLOAT_EQ(corner.z(), static_cast<float>(100 / 87.628082));

    const double south = std::atan(std::sinh(MAP_PI * (1 - 2.0 * 82916 / 262144))) * 180 / MAP_PI;
    EXPECT_NEAR(geoToScene(south, lon, 0).x(), 1, 1e-4);

    EXPECT_EQ(gridToScene(82915, 158378, 0), osg::Vec3f(0, 0, 0));
    EXPECT_EQ(gridToScene(82912, 158381, 0), osg::Vec3f(-3, 3, 0));
    const osg::Vec3f far = gridToScene(INT32_MIN, INT32_MAX, 1);
    EXPECT_EQ(far.x(), static_cast<float>(static_cast<double>(INT32_MIN) - 82915));
    EXPECT_EQ(far.y(), static_cast<float>(static_cast<double>(INT32_MAX) - 158378));

    // The two routes to a grid corner agree.
    const osg::Vec3f viaGrid = gridToScene(82920, 158370, 50);
    const double gridLat = std::atan(std::sinh(MAP_PI * (1 - 2.0 * 82920 / 262144))) * 180 / MAP_PI;
    const osg::Vec3f viaGeo = geoToScene(gridLat, 158370.0 / 262144 * 360 - 180, 50);
    EXPECT_NEAR((viaGrid - viaGeo).length(), 0, 1e-4);
}

} // namespace
