#include <cmath>

#include <gtest/gtest.h>
#include <osg/Geode>
#include <osg/Geometry>

#include "frame/elevation_tile.h"
#include "frame/grid_geography.h"
#include "frame/map_frame.h"
#include "support/test_support.h"
#include "terrain_files.h"
#include "tools/studio/drop_lines.h"
#include "tools/studio/studio_ground.h"

using namespace flightreplay::studio;
using flightreplay::flight::Flight;

namespace {

class StudioGroundTest : public TerrainFilesTest {
protected:
    void SetUp() override
    {
        TerrainFilesTest::SetUp();
        saved = mapFrame;
        // Take-off 300 m from the first fix at 412 m, the rest higher or far off.
        flight.position = {{0, 48.0, 11.5, 415.0}, {1, 48.0027, 11.5, 412.0}, {2, 48.1, 11.5, 380.0},
                           {3, 48.0, 11.5, 600.0}};
        captureStdout([] { setupMapFrame(48.0 * 60, 48.1 * 60, 11.5 * 60, 11.5 * 60); });
    }
    void TearDown() override
    {
        mapFrame = saved;
        TerrainFilesTest::TearDown();
    }
    void writeFlatElevation(int metres)
    {
        for (const ElevationFileIndex& file : terrainElevationFiles(mapFrame.CI, mapFrame.CJ))
            writeFile(elevationFileName(file.row * EGM_SPAN, file.col * EGM_SPAN),
                      elevationFileBytes([metres](int, int) { return metres; }));
        clearElevationCache();
    }
    Flight flight;
    MapFrame saved{};
};

} // namespace

TEST_F(StudioGroundTest, FlatGroundAndOneLineWithoutData)
{
    StudioGround ground;
    const std::string out = captureStdout([&] { ground = buildStudioGround(flight, "f.ulg"); });
    EXPECT_EQ(out, "");
    EXPECT_FALSE(ground.info.known);
    EXPECT_DOUBLE_EQ(ground.info.flatHeight, 412.0);
    const auto files = terrainElevationFiles(mapFrame.CI, mapFrame.CJ).size();
    EXPECT_EQ(ground.note, "no terrain for this flight (" + std::to_string(files)
                               + " elevation files, 249 image tiles missing): flat ground at 412 m; "
                                 "`flightreplay-prep fetch f.ulg` fetches it");
    // The flat ground lies at 412 m under the whole patch.
    const osg::BoundingSphere bound = ground.node->getBound();
    EXPECT_NEAR(bound.center().z() / mapFrame.k, 412.0, 1e-3);
    EXPECT_GT(bound.radius(), 150.0f);
}

TEST_F(StudioGroundTest, ElevationWithoutImageryGetsTheLines)
{
    writeFlatElevation(500);
    StudioGround ground;
    captureStdout([&] { ground = buildStudioGround(flight, "f.ulg"); });
    EXPECT_TRUE(ground.info.known);
    EXPECT_EQ(ground.note, "no imagery for this flight (249 image tiles missing): a grid on the ground; "
                           "`flightreplay-prep fetch f.ulg` fetches it");
    auto* terrain = ground.node->asGroup();
    ASSERT_NE(terrain, nullptr);
    ASSERT_EQ(terrain->getNumChildren(), 249u);
    for (unsigned i : {0u, 248u}) {
        const osg::StateSet* tile = terrain->getChild(i)->asGeode()->getDrawable(0)->getStateSet();
        EXPECT_EQ(tile->getTextureAttribute(0, osg::StateAttribute::TEXTURE), nullptr) << i;
        EXPECT_NE(tile->getAttribute(osg::StateAttribute::PROGRAM), nullptr) << i;
        EXPECT_NE(tile->getUniform("metresPerUnit"), nullptr) << i;
    }
}

TEST_F(StudioGroundTest, DropMeetsTheTopOfTheGroundOnItsVertical)
{
    // The map frame's centre, where the finest terrain tiles lie.
    const double lat = 48.05;
    const double lon = 11.5;
    struct Case {
        bool terrain;
        double aircraftMetres;
        double groundMetres;
    };
    // Flat ground at the take-off's 412 m; terrain at 500 m, its finest
    // tiles lifted by 18 levels of 0.1 m. The aircraft above or below it.
    const Case cases[] = {{false, 600.0, 412.0}, {false, 300.0, 412.0}, {true, 900.0, 501.8}, {true, 450.0, 501.8}};
    for (const Case& c : cases) {
        if (c.terrain)
            writeFlatElevation(500);
        StudioGround ground;
        captureStdout([&] { ground = buildStudioGround(flight, "f.ulg"); });
        const osg::Vec3d aircraft(geoToScene(lat, lon, c.aircraftMetres));
        osg::Vec3d hit;
        osg::Vec3d normal;
        ASSERT_TRUE(groundBelow(*ground.node, aircraft, hit, normal)) << c.aircraftMetres;
        EXPECT_NEAR(hit.z() / mapFrame.k, c.groundMetres, 0.01) << c.aircraftMetres;
        EXPECT_NEAR(hit.x(), aircraft.x(), 1e-6);
        EXPECT_NEAR(hit.y(), aircraft.y(), 1e-6);
        EXPECT_NEAR(normal.z(), 1.0, 1e-6);
        // 1.5 degrees north, 167 km off: beyond the ground.
        EXPECT_FALSE(groundBelow(*ground.node, osg::Vec3d(geoToScene(lat + 1.5, lon, 600.0)), hit, normal));
    }
}

TEST(TakeoffGround, LowestFixNearTheFirst)
{
    Flight flight;
    EXPECT_DOUBLE_EQ(takeoffGroundAltitude(flight), 0.0);
    flight.position = {{0, 48.0, 11.5, 415.0}, {1, 48.0044, 11.5, 300.0}, {2, 48.0, 11.506, 402.0}};
    // 489 m north is near; 446 m east is near too; nothing lower within 500 m.
    EXPECT_DOUBLE_EQ(takeoffGroundAltitude(flight), 300.0);
    flight.position[1].latDeg = 48.0046; // 511 m: too far
    EXPECT_DOUBLE_EQ(takeoffGroundAltitude(flight), 402.0);
}
