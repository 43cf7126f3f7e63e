#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Texture2D>

#include "frame/elevation_tile.h"
#include "frame/map_frame.h"
#include "frame/terrain.h"
#include "support/test_support.h"
#include "terrain_files.h"

namespace {

// The patch worked out on its own: six levels, 7 x 7 tiles each, the inner
// 3 x 3 left out below the finest level.
struct PatchTile {
    int zoom;
    long row, col, span;
    std::string image;
};

std::vector<PatchTile> patchAround(long ci, long cj)
{
    std::vector<PatchTile> tiles;
    for (int zoom = 18; zoom >= 13; --zoom) {
        const long span = 1L << (18 - zoom);
        for (long i = -3; i <= 3; ++i) {
            for (long j = -3; j <= 3; ++j) {
                if (zoom < 18 && i * i <= 1 && j * j <= 1)
                    continue;
                const long row = ci / span + i;
                const long col = cj / span + j;
                const char letter = "nopqrs"[zoom - 13];
                tiles.push_back({zoom, row, col, span,
                                 std::string("./img/") + letter + "-" + std::to_string(row) + "-"
                                     + std::to_string(col) + ".jpg"});
            }
        }
    }
    return tiles;
}

std::string imageLines(const std::vector<PatchTile>& tiles)
{
    std::string lines;
    for (const PatchTile& tile : tiles)
        lines += "img:" + tile.image + "\n";
    return lines;
}

// The two files under the example centre; file 81 sits 3000 m higher so that
// a corner on the line between them shows which file it came from.
int fileHeight(long row, long col)
{
    const long fileRow = row / 1024;
    if (col / 1024 != 154 || (fileRow != 80 && fileRow != 81))
        return 0;
    return static_cast<int>(2 * (row % 1024) - col % 1024 + 3000 * (fileRow - 80));
}

class Terrain : public TerrainFilesTest {
protected:
    void centreOn(int32_t ci, int32_t cj, double k = 0.5)
    {
        mapFrame.CI = ci;
        mapFrame.CJ = cj;
        mapFrame.k = k;
    }

    void writeExampleElevations()
    {
        writeFile("zsi-80-154.egm", elevationFileBytes([](int r, int c) { return 2 * r - c; }));
        writeFile("zsi-81-154.egm", elevationFileBytes([](int r, int c) { return 2 * r - c + 3000; }));
    }

    osg::ref_ptr<osg::Group> build()
    {
        osg::Group* raw = nullptr;
        printed = captureStdout([&] { raw = buildTerrain(); });
        EXPECT_NE(raw, nullptr);
        // Handed over unowned: the caller's reference is the only one.
        EXPECT_EQ(raw->referenceCount(), 0);
        return raw;
    }

    std::string printed;
};

osg::Geometry* tileGeometry(const osg::Group& group, unsigned index)
{
    const osg::Geode* geode = dynamic_cast<const osg::Geode*>(group.getChild(index));
    if (!geode || geode->getNumDrawables() != 1)
        return nullptr;
    return const_cast<osg::Geometry*>(dynamic_cast<const osg::Geometry*>(geode->getDrawable(0)));
}

const osg::Vec3Array& tileVertices(const osg::Group& group, unsigned index)
{
    return *static_cast<const osg::Vec3Array*>(tileGeometry(group, index)->getVertexArray());
}

osg::Texture2D* tileTexture(const osg::Group& group, unsigned index)
{
    const osg::StateSet* stateSet = tileGeometry(group, index)->getStateSet();
    if (!stateSet)
        return nullptr;
    return const_cast<osg::Texture2D*>(dynamic_cast<const osg::Texture2D*>(
        stateSet->getTextureAttribute(0, osg::StateAttribute::TEXTURE)));
}

TEST_F(Terrain, PrintsOneImageLinePerTileInPatchOrder)
{
    centreOn(82915, 158378);
    writeExampleElevations();
    const osg::ref_ptr<osg::Group> group = build();
    ASSERT_EQ(group->getNumChildren(), 249u);

    const std::vector<PatchTile> tiles = patchAround(82915, 158378);
    ASSERT_EQ(tiles.size(), 249u);
    EXPECT_EQ(printed, imageLines(tiles));
    EXPECT_EQ(printed.substr(0, printed.find('\n') + 1), "img:./img/s-82912-158375.jpg\n");
    EXPECT_EQ(printed.substr(printed.rfind('\n', printed.size() - 2) + 1), "img:./img/n-2594-4952.jpg\n");
}

// What is drawn: one white quad per tile, its picture upright on texture
// unit 0 and clamped at the edges so that no seam shows the next texel row.
TEST_F(Terrain, EveryTileIsOneTexturedQuadOfItsOwn)
{
    centreOn(82915, 158378);
    const osg::ref_ptr<osg::Group> group = build();
    ASSERT_EQ(group->getNumChildren(), 249u);
    std::set<const osg::Texture2D*> textures;
    for (unsigned t = 0; t < 249; ++t) {
        SCOPED_TRACE(t);
        osg::Geometry* geometry = tileGeometry(*group, t);
        ASSERT_NE(geometry, nullptr);
        EXPECT_EQ(tileVertices(*group, t).size(), 4u);
        ASSERT_EQ(geometry->getNumPrimitiveSets(), 1u);
        EXPECT_EQ(geometry->getPrimitiveSet(0)->getMode(), static_cast<GLenum>(GL_QUADS));

        // North-west corner at the top of the picture.
        const auto* texCoords = dynamic_cast<const osg::Vec2Array*>(geometry->getTexCoordArray(0));
        ASSERT_TRUE(texCoords && texCoords->size() == 4u);
        EXPECT_EQ((*texCoords)[0], osg::Vec2(0, 1));
        EXPECT_EQ((*texCoords)[2], osg::Vec2(1, 0));
        const auto* colours = dynamic_cast<const osg::Vec4Array*>(geometry->getColorArray());
        ASSERT_TRUE(colours && colours->size() == 1u);
        EXPECT_EQ((*colours)[0], osg::Vec4(1, 1, 1, 1));

        const osg::Texture2D* texture = tileTexture(*group, t);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(geometry->getStateSet()->getTextureMode(0, GL_TEXTURE_2D), osg::StateAttribute::ON);
        EXPECT_EQ(texture->getWrap(osg::Texture::WRAP_S), osg::Texture::CLAMP_TO_EDGE);
        EXPECT_EQ(texture->getWrap(osg::Texture::WRAP_T), osg::Texture::CLAMP_TO_EDGE);
        EXPECT_TRUE(textures.insert(texture).second) << "shared between tiles";
    }
}

TEST_F(Terrain, CornersAreLiftedOntoTheElevationSamples)
{
    centreOn(82915, 158378);
    writeExampleElevations();
    const osg::ref_ptr<osg::Group> group = build();
    ASSERT_EQ(group->getNumChildren(), 249u);

    struct Corner {
        float x, y, z;
    };
    struct Case {
        unsigned child;
        Corner corners[4]; // NW, SW, SE, NE
    };
    // Heights 2r - c (+3000 in file 81) at k = 0.5, lifted 0.1 m per zoom level.
    const Case cases[] = {
        // Zoom 18, offsets (0, 0): samples (995, 682) ... (996, 683) of zsi-80-154.
        {24, {{0, 0, (1308 + 1.8f) / 2}, {1, 0, (1310 + 1.8f) / 2}, {1, 1, (1309 + 1.8f) / 2}, {0, 1, (1307 + 1.8f) / 2}}},
        // Zoom 17, offsets (-2, 0): tile (41455, 79189), p = 2, samples two apart.
        {49 + 7 + 3, {{-5, 0, (1298 + 1.7f) / 2}, {-3, 0, (1302 + 1.7f) / 2}, {-3, 2, (1300 + 1.7f) / 2},
                      {-5, 2, (1296 + 1.7f) / 2}}},
        // Zoom 13, offsets (-3, -3): tile (2588, 4946), p = 32.
        {209, {{-99, -106, (1216 + 1.3f) / 2}, {-67, -106, (1280 + 1.3f) / 2}, {-67, -74, (1248 + 1.3f) / 2},
               {-99, -74, (1184 + 1.3f) / 2}}},
        // Zoom 13, offsets (3, 3): tile (2594, 4952), wholly in zsi-81-154.
        {248, {{93, 86, (2360 + 1.3f) / 2}, {125, 86, (2424 + 1.3f) / 2}, {125, 118, (2392 + 1.3f) / 2},
               {93, 118, (2328 + 1.3f) / 2}}},
    };
    for (const Case& c : cases) {
        const osg::Vec3Array& vertices = tileVertices(*group, c.child);
        for (int v = 0; v < 4; ++v) {
            SCOPED_TRACE(testing::Message() << "child " << c.child << " vertex " << v);
            EXPECT_EQ(vertices[v].x(), c.corners[v].x);
            EXPECT_EQ(vertices[v].y(), c.corners[v].y);
            EXPECT_FLOAT_EQ(vertices[v].z(), c.corners[v].z);
        }
    }

    // Every corner of every tile, including those on the line between the
    // two files (row 82944 comes from row 0 of zsi-81-154).
    const std::vector<PatchTile> tiles = patchAround(82915, 158378);
    for (unsigned t = 0; t < 249; ++t) {
        const PatchTile& tile = tiles[t];
        const long n = tile.row * tile.span, w = tile.col * tile.span, p = tile.span;
        const long corners[4][2] = {{n, w}, {n + p, w}, {n + p, w + p}, {n, w + p}};
        const osg::Vec3Array& vertices = tileVertices(*group, t);
        for (int v = 0; v < 4; ++v) {
            const double height = fileHeight(corners[v][0], corners[v][1]) + tile.zoom * 0.1;
            EXPECT_EQ(vertices[v], osg::Vec3(static_cast<float>(corners[v][0] - 82915),
                                             static_cast<float>(corners[v][1] - 158378),
                                             static_cast<float>(height * 0.5)))
                << "child " << t << " vertex " << v;
        }
    }
}

TEST_F(Terrain, ImagesAreReadForTheirOwnTiles)
{
    centreOn(82915, 158378);
    writeJpegTile("img/s-82915-158378.jpg", osg::Vec4ub(200, 30, 40, 255));
    writeJpegTile("img/n-2594-4952.jpg", osg::Vec4ub(20, 40, 220, 255));
    const osg::ref_ptr<osg::Group> group = build();
    ASSERT_EQ(group->getNumChildren(), 249u);

    for (unsigned t = 0; t < 249; ++t) {
        const osg::Image* image = tileTexture(*group, t)->getImage();
        if (t != 24 && t != 248) {
            EXPECT_EQ(image, nullptr) << t;
            continue;
        }
        ASSERT_NE(image, nullptr) << t;
        EXPECT_EQ(image->s(), 256);
        EXPECT_EQ(image->t(), 256);
        ASSERT_EQ(image->getPixelFormat(), static_cast<GLenum>(GL_RGB));
        const unsigned char* pixel = image->data(128, 128);
        const int expected[2][3] = {{200, 30, 40}, {20, 40, 220}};
        for (int channel = 0; channel < 3; ++channel)
            EXPECT_NEAR(pixel[channel], expected[t == 248][channel], 6) << t;
    }
}

TEST_F(Terrain, WithoutAnyFilesEveryHeightRequestIsReported)
{
    centreOn(82915, 158378);
    const osg::ref_ptr<osg::Group> group = build();
    ASSERT_EQ(group->getNumChildren(), 249u);

    const std::vector<PatchTile> tiles = patchAround(82915, 158378);
    std::string expected;
    std::set<std::string> named;
    for (const PatchTile& tile : tiles) {
        expected += "img:" + tile.image + "\n";
        const long n = tile.row * tile.span, w = tile.col * tile.span, p = tile.span;
        const long corners[4][2] = {{n, w}, {n + p, w}, {n + p, w + p}, {n, w + p}};
        for (const auto& corner : corners) {
            const std::string name = "zsi-" + std::to_string(corner[0] / 1024) + "-" + std::to_string(corner[1] / 1024) + ".egm";
            expected += "Not open egm '" + name + "'\n";
            named.insert(name);
        }
    }
    EXPECT_EQ(printed, expected);
    EXPECT_EQ(named, (std::set<std::string>{"zsi-80-154.egm", "zsi-81-154.egm"}));

    for (unsigned t = 0; t < 249; ++t) {
        const float lift = static_cast<float>(tiles[t].zoom * 0.1 * 0.5);
        for (const osg::Vec3& v : tileVertices(*group, t))
            EXPECT_EQ(v.z(), lift) << t;
        EXPECT_EQ(tileTexture(*group, t)->getImage(), nullptr) << t;
    }
}

TEST_F(Terrain, CentreAtTheEdgeOfTheGrid)
{
    // Tiles past the north and east edges: their corners read 0 without a
    // message, the others are asked for as usual.
    centreOn(2, 262141);
    const osg::ref_ptr<osg::Group> group = build();
    ASSERT_EQ(group->getNumChildren(), 249u);

    std::string expected;
    for (const PatchTile& tile : patchAround(2, 262141)) {
        expected += "img:" + tile.image + "\n";
        const long n = tile.row * tile.span, w = tile.col * tile.span, p = tile.span;
        const long corners[4][2] = {{n, w}, {n + p, w}, {n + p, w + p}, {n, w + p}};
        for (const auto& corner : corners) {
            if (corner[0] < 0 || corner[0] >= 262144 || corner[1] < 0 || corner[1] >= 262144)
                continue;
            expected += "Not open egm 'zsi-" + std::to_string(corner[0] / 1024) + "-"
                        + std::to_string(corner[1] / 1024) + ".egm'\n";
        }
    }
    EXPECT_EQ(printed, expected);
    EXPECT_EQ(printed.substr(0, printed.find('\n') + 1), "img:./img/s--1-262138.jpg\n");
}

} // namespace
