#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <sqlite3.h>

#include "frame/terrain_tiles.h"
#include "prep_fixtures.h"
#include "support/test_support.h"

namespace {

// The patch around zoom-18 tile (82915, 158378), 55 N 37.5 E.
constexpr int32_t CI = 82915;
constexpr int32_t CJ = 158378;

struct PatchTile {
    int zoom;
    int32_t row;
    int32_t col;
    osg::Vec3 colour; // one of 7 x 7 x 7 levels, never white
    std::string name; // "img/<letter>-<row>-<col>.jpg"
};

std::vector<PatchTile> patchTiles()
{
    std::vector<PatchTile> tiles;
    forEachTerrainTile(CI, CJ, [&](const TerrainTile& t) {
        const int i = static_cast<int>(tiles.size());
        const auto level = [](int v) { return 0.1f + 0.8f * static_cast<float>(v) / 6.0f; };
        const osg::Vec3 colour(level(i % 7), level(i / 7 % 7), level(i / 49));
        const std::string name = std::string("img/") + static_cast<char>('a' + t.zoom) + "-" + std::to_string(t.row)
                                 + "-" + std::to_string(t.col) + ".jpg";
        tiles.push_back({t.zoom, t.row, t.col, colour, name});
    });
    return tiles;
}

void sql(sqlite3* db, const std::string& statement)
{
    ASSERT_EQ(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
}

void insertTile(sqlite3* db, int zoom, int64_t column, int64_t row, const std::string& bytes)
{
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO tiles VALUES (?1, ?2, ?3, ?4)", -1, &insert, nullptr);
    sqlite3_bind_int(insert, 1, zoom);
    sqlite3_bind_int64(insert, 2, column);
    sqlite3_bind_int64(insert, 3, row);
    sqlite3_bind_blob(insert, 4, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
    sqlite3_finalize(insert);
}

// Every patch tile except those skipped at its TMS row, and a white decoy
// at the row counted southward, where a reader that forgets the flip looks.
void writeMbtiles(const std::string& path, const std::vector<PatchTile>& tiles, const std::vector<size_t>& skipped)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sql(db, "CREATE TABLE metadata (name text, value text)");
    sql(db, "INSERT INTO metadata VALUES ('format', 'png')");
    sql(db, "CREATE TABLE tiles (zoom_level integer, tile_column integer, tile_row integer, tile_data blob)");
    sql(db, "BEGIN");
    const std::string decoy = tileBytes(osg::Vec3(1, 1, 1), "png");
    for (size_t i = 0; i < tiles.size(); ++i) {
        const PatchTile& t = tiles[i];
        insertTile(db, t.zoom, t.col, t.row, decoy);
        if (std::find(skipped.begin(), skipped.end(), i) == skipped.end())
            insertTile(db, t.zoom, t.col, (int64_t{1} << t.zoom) - 1 - t.row, tileBytes(t.colour, "png"));
    }
    sql(db, "COMMIT");
    sqlite3_close(db);
}

// Each written tile is a JPEG showing its own colour with the black quarter on top.
void expectTiles(const std::string& dir, const std::vector<PatchTile>& tiles, const std::vector<size_t>& skipped)
{
    for (size_t i = 0; i < tiles.size(); ++i) {
        const PatchTile& t = tiles[i];
        const std::string path = dir + "/" + t.name;
        if (std::find(skipped.begin(), skipped.end(), i) != skipped.end()) {
            EXPECT_FALSE(std::filesystem::exists(path)) << t.name;
            continue;
        }
        EXPECT_EQ(readFile(path).substr(0, 3), "\xff\xd8\xff") << t.name;
        osg::Vec3 body;
        float top = 1;
        ASSERT_TRUE(readTileColours(path, body, top)) << t.name;
        EXPECT_LT(top, 0.08f) << t.name;
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(body[k], t.colour[k], 0.05f) << t.name << " channel " << k;
    }
}

TEST(PrepImagery, MbtilesRowsAreFlippedIntoTheReplaysNames)
{
    const std::string dir = makeTempDir();
    writeFile(dir + "/flight.log", logAt(55.0, 37.5));
    const std::vector<PatchTile> tiles = patchTiles();
    ASSERT_EQ(tiles.size(), 249u);
    const std::vector<size_t> skipped = {0, 248};
    writeMbtiles(dir + "/cache.mbtiles", tiles, skipped);

    const ProgramRun run = runCommand(prepPath() + " imagery flight.log cache.mbtiles", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    // The zoom-18 tile is cut from the top half of its zoom-17 parent; the
    // zoom-13 one has no ancestor in the file.
    EXPECT_NE(run.out.find("imagery: 248 image tiles written, 0 kept, 1 missing from the source\n"
                           "imagery: 1 of them cut and scaled from a shallower zoom\n"
                           "missing ./img/n-2594-4952.jpg (cache.mbtiles zoom_level 13 tile_column 4952 tile_row 5597)\n"),
              std::string::npos)
        << run.out;
    osg::Vec3 body;
    float top = 1;
    ASSERT_TRUE(readTileColours(dir + "/" + tiles[0].name, body, top));
    EXPECT_LT(top, 0.08f);
    std::filesystem::remove(dir + "/" + tiles[0].name);
    expectTiles(dir, tiles, skipped);
}

TEST(PrepImagery, XyzFolderOfPngJpegAndWebp)
{
    const std::string dir = makeTempDir();
    writeFile(dir + "/flight.log", logAt(55.0, 37.5));
    const std::vector<PatchTile> tiles = patchTiles();
    std::string jpegSource;
    for (const PatchTile& t : tiles) {
        const std::string format = t.zoom == 18 ? "webp" : t.zoom == 17 ? "jpg" : "png";
        const std::string folder = dir + "/cache/" + std::to_string(t.zoom) + "/" + std::to_string(t.col);
        std::filesystem::create_directories(folder);
        const std::string bytes = tileBytes(t.colour, format);
        writeFile(folder + "/" + std::to_string(t.row) + "." + format, bytes);
        if (t.zoom == 17 && jpegSource.empty())
            jpegSource = bytes;
    }

    // The PNG template alone lacks zooms 18 and 17: those with an ancestor
    // in the patch are cut from it, the others missing.
    ProgramRun run = runCommand(prepPath() + " imagery flight.log 'cache/{z}/{x}/{y}.png'", dir);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("imagery: 173 image tiles written, 0 kept, 76 missing from the source\n"
                           "imagery: 13 of them cut and scaled from a shallower zoom\n"), std::string::npos)
        << run.out;

    run = runCommand(prepPath() + " --force imagery flight.log cache", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("imagery: 249 image tiles written, 0 kept, 0 missing from the source\n"), std::string::npos)
        << run.out;
    expectTiles(dir, tiles, {});
    // A JPEG source tile is kept byte for byte.
    EXPECT_EQ(readFile(dir + "/" + tiles[49].name), jpegSource);
}

TEST(PrepImagery, BadSourcesEndWithOneLineAndWriteNothing)
{
    const std::string dir = makeTempDir();
    writeFile(dir + "/flight.log", logAt(55.0, 37.5));
    writeFile(dir + "/text.mbtiles", "this is no database, just text long enough to be looked at\n");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir + "/empty.mbtiles").c_str(), &db), SQLITE_OK);
    sql(db, "CREATE TABLE metadata (name text, value text)");
    sqlite3_close(db);
    // One corrupt tile among good ones.
    for (const PatchTile& t : patchTiles()) {
        const std::string folder = dir + "/cache/" + std::to_string(t.zoom) + "/" + std::to_string(t.col);
        std::filesystem::create_directories(folder);
        writeFile(folder + "/" + std::to_string(t.row) + ".png", t.zoom == 15 ? std::string("\x89PNG\r\n\x1a\nbroken") : tileBytes(t.colour, "png"));
    }

    struct Case {
        std::string source;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"text.mbtiles", "text.mbtiles: not an MBTiles file: file is not a database\n"},
        {"empty.mbtiles", "empty.mbtiles: not an MBTiles file: no such table: tiles\n"},
        {"none.mbtiles", "none.mbtiles: no such MBTiles file\n"},
        {"'nowhere/{z}/{x}/{y}.png'", "nowhere/{z}/{x}/{y}.png: no such folder nowhere\n"},
        {"'cache/{z}/{y}.png'", "cache/{z}/{y}.png: a tile template needs {z}, {x} and {y}\n"},
    };
    for (const Case& c : cases) {
        const ProgramRun run = runCommand(prepPath() + " imagery flight.log " + c.source, dir);
        EXPECT_EQ(run.status, 2) << c.source;
        EXPECT_EQ(run.err, "flightreplay-prep: " + c.message) << c.source;
    }

    const ProgramRun run = runCommand(prepPath() + " imagery flight.log 'cache/{z}/{x}/{y}.png'", dir);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("flightreplay-prep: cache/15/", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(".png: cannot decode the png image\n"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir + "/img"));
}

} // namespace
