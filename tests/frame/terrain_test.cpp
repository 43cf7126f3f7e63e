#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <utility>
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

// A tile as its image line names it: "img:./img/<'a' + zoom>-<row>-<col>.jpg".
struct NamedTile {
    int zoom;
    long row, col;
};

std::vector<NamedTile> namedTiles(const std::string& printed)
{
    std::vector<NamedTile> tiles;
    std::istringstream lines(printed);
    std::string line;
    const std::string prefix = "img:./img/";
    while (std::getline(lines, line)) {
        if (line.compare(0, prefix.size(), prefix) != 0)
            continue;
        NamedTile tile{line[prefix.size()] - 'a', 0, 0};
        char dash1 = 0, dash2 = 0;
        std::istringstream numbers(line.substr(prefix.size() + 1));
        numbers >> dash1 >> tile.row >> dash2 >> tile.col;
        EXPECT_TRUE(numbers && dash1 == '-' && dash2 == '-') << line;
        tiles.push_back(tile);
    }
    return tiles;
}

// Zoom-18 rows or columns a tile of the given zoom spans: 2^(18 - zoom).
long spanOf(int zoom)
{
    return 1L << (18 - zoom);
}

// A zoom level of the patch: the centre tile at that zoom (the zoom-18
// centre halved once per level, rounded down) and how many tiles it has.
struct Level {
    int zoom;
    long centreRow, centreCol;
    size_t count;
};

// The patch, level by level, finest first: 7 x 7 tiles about the centre,
// the inner 3 x 3 left out below zoom 18 (where the finer level lies), each
// level's tiles north to south and west to east.
void expectPatchLayout(const std::vector<NamedTile>& tiles, const std::vector<Level>& levels)
{
    size_t first = 0;
    for (const Level& level : levels) {
        SCOPED_TRACE(testing::Message() << "zoom " << level.zoom);
        ASSERT_LE(first + level.count, tiles.size());
        for (size_t t = first; t < first + level.count; ++t) {
            const NamedTile& tile = tiles[t];
            const long di = tile.row - level.centreRow, dj = tile.col - level.centreCol;
            EXPECT_EQ(tile.zoom, level.zoom) << t;
            EXPECT_TRUE(di >= -3 && di <= 3 && dj >= -3 && dj <= 3) << t;
            if (level.zoom < 18) {
                EXPECT_FALSE(di >= -1 && di <= 1 && dj >= -1 && dj <= 1) << t;
            }
            if (t > first) {
                const NamedTile& before = tiles[t - 1];
                EXPECT_TRUE(before.row < tile.row || (before.row == tile.row && before.col < tile.col)) << t;
            }
        }
        first += level.count;
    }
    EXPECT_EQ(first, tiles.size());
}

// The four corners of a tile in zoom-18 rows and columns: NW, SW, SE, NE.
std::vector<std::pair<long, long>> cornersOf(const NamedTile& tile)
{
    const long p = spanOf(tile.zoom), n = tile.row * p, w = tile.col * p;
    return {{n, w}, {n + p, w}, {n + p, w + p}, {n, w + p}};
}

// What the terrain prints for a tile when no elevation file is there: its
// image line, then one line per corner inside the grid (NW, SW, SE, NE)
// naming the file of 1024 x 1024 zoom-18 tiles the corner lies in.
std::string linesWithoutFiles(const NamedTile& tile)
{
    std::string lines = "img:./img/" + std::string(1, static_cast<char>('a' + tile.zoom)) + "-" + std::to_string(tile.row)
                        + "-" + std::to_string(tile.col) + ".jpg\n";
    for (const auto& [row, col] : cornersOf(tile)) {
        if (row < 0 || row >= 262144 || col < 0 || col >= 262144)
            continue;
        lines += "Not open egm 'zsi-" + std::to_string(row / 1024) + "-" + std::to_string(col / 1024) + ".egm'\n";
    }
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
    // 7 x 7 at zoom 18 and 7 x 7 - 3 x 3 at each of zooms 17 to 13.
    ASSERT_EQ(group->getNumChildren(), 49u + 5 * 40u);
    const std::vector<NamedTile> tiles = namedTiles(printed);
    ASSERT_EQ(tiles.size(), 249u);
    expectPatchLayout(tiles, {{18, 82915, 158378, 49}, {17, 41457, 79189, 40}, {16, 20728, 39594, 40},
                              {15, 10364, 19797, 40}, {14, 5182, 9898, 40}, {13, 2591, 4949, 40}});
    EXPECT_EQ(printed.substr(0, printed.find('\n') + 1), "img:./img/s-82912-158375.jpg\n");
    EXPECT_EQ(printed.substr(printed.rfind('\n', printed.size() - 2) + 1), "img:./img/n-2594-4952.jpg\n");
    EXPECT_NE(printed.find("img:./img/s-82915-158378.jpg\n"), std::string::npos);
    EXPECT_EQ(printed.find("img:./img/r-41457-79189.jpg\n"), std::string::npos);
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

    // Every corner of the tile each child's image line names, including
    // those on the line between the two files (row 82944 comes from row 0
    // of zsi-81-154).
    const std::vector<NamedTile> tiles = namedTiles(printed);
    ASSERT_EQ(tiles.size(), 249u);
    for (unsigned t = 0; t < 249; ++t) {
        const std::vector<std::pair<long, long>> corners = cornersOf(tiles[t]);
        const osg::Vec3Array& vertices = tileVertices(*group, t);
        for (int v = 0; v < 4; ++v) {
            const auto [row, col] = corners[static_cast<size_t>(v)];
            const double height = fileHeight(row, col) + tiles[t].zoom * 0.1;
            EXPECT_EQ(vertices[v], osg::Vec3(static_cast<float>(row - 82915), static_cast<float>(col - 158378),
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

    // After each image line, one line per corner; the corners lie in rows
    // 2588 * 32 = 82816 to 2595 * 32 = 83040 and columns 4946 * 32 = 158272
    // to 4953 * 32 = 158496, inside files 80 and 81 of column 154.
    const std::vector<NamedTile> tiles = namedTiles(printed);
    ASSERT_EQ(tiles.size(), 249u);
    std::string expected;
    for (const NamedTile& tile : tiles)
        expected += linesWithoutFiles(tile);
    EXPECT_EQ(printed, expected);
    const std::string fileLine80 = "Not open egm 'zsi-80-154.egm'\n";
    const std::string fileLine81 = "Not open egm 'zsi-81-154.egm'\n";
    const std::string firstTile = "img:./img/s-82912-158375.jpg\n";
    EXPECT_EQ(printed.substr(0, firstTile.size() + 4 * fileLine80.size()),
              firstTile + fileLine80 + fileLine80 + fileLine80 + fileLine80);
    EXPECT_EQ(printed.substr(printed.size() - 4 * fileLine81.size()), fileLine81 + fileLine81 + fileLine81 + fileLine81);
    std::set<std::string> named;
    std::istringstream lines(printed);
    for (std::string line; std::getline(lines, line);)
        if (line.compare(0, 4, "img:") != 0)
            named.insert(line);
    EXPECT_EQ(named, (std::set<std::string>{fileLine80.substr(0, fileLine80.size() - 1),
                                            fileLine81.substr(0, fileLine81.size() - 1)}));

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

    const std::vector<NamedTile> tiles = namedTiles(printed);
    expectPatchLayout(tiles, {{18, 2, 262141, 49}, {17, 1, 131070, 40}, {16, 0, 65535, 40},
                              {15, 0, 32767, 40}, {14, 0, 16383, 40}, {13, 0, 8191, 40}});
    std::string expected;
    for (const NamedTile& tile : tiles)
        expected += linesWithoutFiles(tile);
    EXPECT_EQ(printed, expected);
    EXPECT_EQ(printed.substr(0, printed.find('\n') + 1), "img:./img/s--1-262138.jpg\n");
}

} // namespace
