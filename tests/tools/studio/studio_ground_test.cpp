#include <cmath>

#include <gtest/gtest.h>
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Texture2D>

#include "frame/elevation_tile.h"
#include "frame/grid_geography.h"
#include "frame/map_frame.h"
#include "support/test_support.h"
#include "terrain_files.h"
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

TEST_F(StudioGroundTest, ElevationWithoutImageryGetsTheGrid)
{
    for (const ElevationFileIndex& file : terrainElevationFiles(mapFrame.CI, mapFrame.CJ))
        writeFile(elevationFileName(file.row * EGM_SPAN, file.col * EGM_SPAN), elevationFileBytes([](int, int) { return 500; }));
    clearElevationCache();
    StudioGround ground;
    captureStdout([&] { ground = buildStudioGround(flight, "f.ulg"); });
    EXPECT_TRUE(ground.info.known);
    EXPECT_EQ(ground.note, "no imagery for this flight (249 image tiles missing): a grid on the ground; "
                           "`flightreplay-prep fetch f.ulg` fetches it");
    auto* terrain = ground.node->asGroup();
    ASSERT_NE(terrain, nullptr);
    ASSERT_EQ(terrain->getNumChildren(), 249u);
    const osg::StateSet* tile = terrain->getChild(0)->asGeode()->getDrawable(0)->getStateSet();
    const auto* texture = dynamic_cast<const osg::Texture2D*>(tile->getTextureAttribute(0, osg::StateAttribute::TEXTURE));
    ASSERT_NE(texture, nullptr);
    ASSERT_NE(texture->getImage(), nullptr);
    EXPECT_EQ(texture->getWrap(osg::Texture::WRAP_S), osg::Texture::REPEAT);
}

TEST(GroundGrid, LinesEvery100MetresAndStrongerAtTheKilometre)
{
    const osg::ref_ptr<osg::Image> grid = groundGridImage();
    ASSERT_EQ(grid->s(), 512);
    auto grey = [&](int row, int col) { return static_cast<int>(grid->data(col, row)[0]); };
    const int plain = grey(25, 25);
    EXPECT_GT(grey(25, 51), plain);          // the 100 m line
    EXPECT_GT(grey(25, 0), grey(25, 51));    // the kilometre line, stronger
    EXPECT_EQ(grey(25, 25), grey(30, 70));   // plain between lines
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
