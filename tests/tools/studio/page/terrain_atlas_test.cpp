#include <gtest/gtest.h>

#include <cstring>

#include "tools/studio/page/terrain_atlas.h"

using namespace flightreplay::page;

namespace {

constexpr int32_t CI = 1000;
constexpr int32_t CJ = 2000;

osg::ref_ptr<osg::Image> solid(int side, unsigned char r, unsigned char g, unsigned char b)
{
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(side, side, 1, GL_RGB, GL_UNSIGNED_BYTE);
    for (int i = 0; i < side * side; ++i) {
        image->data()[3 * i] = r;
        image->data()[3 * i + 1] = g;
        image->data()[3 * i + 2] = b;
    }
    return image;
}

// The atlas pixel at x, y counted from the picture's top-left corner.
std::vector<int> pixel(const osg::Image& atlas, int x, int y)
{
    const unsigned char* p = atlas.data(static_cast<unsigned>(x), static_cast<unsigned>(atlas.t() - 1 - y));
    return {p[0], p[1], p[2]};
}

} // namespace

TEST(TerrainAtlas, EachTileInItsLevelsSlot)
{
    // Every tile a colour of its own: its index in the patch's order.
    std::vector<osg::ref_ptr<osg::Image>> tiles;
    std::vector<const osg::Image*> images;
    for (int i = 0; i < TERRAIN_TILE_COUNT; ++i) {
        tiles.push_back(solid(256, static_cast<unsigned char>(i), 7, 9));
        images.push_back(tiles.back().get());
    }
    const osg::ref_ptr<osg::Image> atlas = terrainAtlas(CI, CJ, images, 100.0);
    ASSERT_EQ(atlas->s(), ATLAS_WIDTH);
    ASSERT_EQ(atlas->t(), ATLAS_HEIGHT);
    struct Case {
        const char* what;
        int x, y;   // middle of the tile in the atlas
        int index;  // its place in the patch's order
    };
    const int middle = ATLAS_TILE_PIXELS / 2;
    const std::vector<Case> cases = {
        // Zoom 18: 49 tiles in rows, the north-west one first.
        {"zoom 18 north-west", middle, middle, 0},
        {"zoom 18 second in the first row", ATLAS_TILE_PIXELS + middle, middle, 1},
        {"zoom 18 centre", 3 * ATLAS_TILE_PIXELS + middle, 3 * ATLAS_TILE_PIXELS + middle, 24},
        {"zoom 18 south-east", 6 * ATLAS_TILE_PIXELS + middle, 6 * ATLAS_TILE_PIXELS + middle, 48},
        // Zoom 17 in the next slot: 40 tiles, the inner 3 x 3 left out.
        {"zoom 17 north-west", ATLAS_SLOT_PIXELS + middle, middle, 49},
        {"zoom 17 west of the hole", ATLAS_SLOT_PIXELS + ATLAS_TILE_PIXELS + middle, 2 * ATLAS_TILE_PIXELS + middle, 49 + 15},
        {"zoom 17 east of the hole", ATLAS_SLOT_PIXELS + 5 * ATLAS_TILE_PIXELS + middle, 2 * ATLAS_TILE_PIXELS + middle, 49 + 16},
        // Zoom 13, the sixth slot: second row, second column.
        {"zoom 13 south-east", ATLAS_SLOT_PIXELS + 6 * ATLAS_TILE_PIXELS + middle,
         ATLAS_SLOT_PIXELS + 6 * ATLAS_TILE_PIXELS + middle, 248},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pixel(*atlas, c.x, c.y), (std::vector<int>{c.index, 7, 9})) << c.what;
    // Beyond a level's tiles, its slot repeats their edge.
    EXPECT_EQ(pixel(*atlas, ATLAS_SLOT_PIXELS - 1, middle), (std::vector<int>{6, 7, 9}));
    EXPECT_EQ(pixel(*atlas, middle, ATLAS_SLOT_PIXELS - 1), (std::vector<int>{42, 7, 9}));
}

TEST(TerrainAtlas, ScalesAndAveragesTiles)
{
    // A 256-pixel tile, its left half black and its right half white, and a
    // 64-pixel grey one scaled up.
    osg::ref_ptr<osg::Image> halves = solid(256, 0, 0, 0);
    for (int row = 0; row < 256; ++row)
        std::memset(halves->data(128, static_cast<unsigned>(row)), 255, 128 * 3);
    osg::ref_ptr<osg::Image> small = solid(64, 50, 60, 70);
    std::vector<const osg::Image*> images(TERRAIN_TILE_COUNT, small.get());
    images[0] = halves.get();
    const osg::ref_ptr<osg::Image> atlas = terrainAtlas(CI, CJ, images, 100.0);
    EXPECT_EQ(pixel(*atlas, 10, 10), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(pixel(*atlas, ATLAS_TILE_PIXELS - 10, 10), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(pixel(*atlas, ATLAS_TILE_PIXELS + 5, 5), (std::vector<int>{50, 60, 70}));
}

TEST(TerrainAtlas, GridWhereATileHasNoPicture)
{
    std::vector<const osg::Image*> images(TERRAIN_TILE_COUNT, nullptr);
    // 100 m a scene unit: tile (CI - 3, CJ - 3) starts 300 m north and west of
    // the origin; the kilometre lines lie 10 tiles apart.
    const osg::ref_ptr<osg::Image> atlas = terrainAtlas(CI, CJ, images, 100.0);
    const std::vector<int> ground = {112, 122, 104};
    const std::vector<int> kilometre = {225, 228, 220};
    // The origin (a kilometre line) is the north-west corner of the centre tile.
    EXPECT_EQ(pixel(*atlas, 3 * ATLAS_TILE_PIXELS, 3 * ATLAS_TILE_PIXELS + 40), kilometre);
    EXPECT_EQ(pixel(*atlas, 3 * ATLAS_TILE_PIXELS + 40, 3 * ATLAS_TILE_PIXELS + 40), ground);
}
