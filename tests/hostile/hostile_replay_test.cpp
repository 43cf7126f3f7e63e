// The built program on malformed data files: every run must reach the
// viewer (which fails to open a window without DISPLAY) and exit 0 with the
// usual summary, one img line per tile and the model message when the model
// cannot be read.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <osg/Geode>
#include <osg/Texture2D>

#include "frame/elevation_tile.h"
#include "frame/map_frame.h"
#include "frame/terrain.h"
#include "frame/terrain_tiles.h"
#include "hostile_files.h"
#include "scene/aircraft_model.h"
#include "scene/sky_dome.h"
#include "support/test_support.h"

namespace {

const char* const FLIGHT_LOG = "gps_time,gps_curlat,gps_curlon,gps_curalt\n"
                               "0,3300.0,2250.0,150\n"
                               "1,3300.1,2250.1,151\n";
const std::string MODEL_FILE = "EasyStar/data/body.ac";
const std::string SKY_FILE = "sky12q-1024x512.jpeg";
const std::string NOT_FOUND_MODEL = "Not found model './EasyStar/data/body.ac'\n";
// The two elevation files under the terrain of FLIGHT_LOG.
const std::vector<std::string> ELEVATION_FILES = {"zsi-80-154.egm", "zsi-81-154.egm"};

enum class Model { found, notFound, either };

size_t countOf(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

std::string summaryOf(const std::string& out)
{
    const size_t frame = out.find("CI,CJ=");
    return frame == std::string::npos ? out : out.substr(0, out.find('\n', frame) + 1);
}

// The image tiles the terrain of FLIGHT_LOG reads, named by the real code.
std::vector<std::string> tileNames()
{
    std::vector<std::string> names;
    captureStdout([] { setupMapFrame(3300.0, 3300.1, 2250.0, 2250.1); });
    forEachTerrainTile(mapFrame.CI, mapFrame.CJ,
                       [&](const TerrainTile& tile) { names.push_back(terrainImageName(tile)); });
    return names;
}

class HostileReplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = makeTempDir();
        std::filesystem::create_directories(dir + "/img");
        std::filesystem::create_directories(dir + "/EasyStar/data");
        writeFile(dir + "/flight.log", FLIGHT_LOG);
        tiles = tileNames();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    void writeAllTiles(const std::string& bytes)
    {
        for (const std::string& tile : tiles)
            writeFile(dir + "/" + tile, bytes);
    }

    // Good files everywhere, so that each test damages just one kind.
    void writeGoodFiles()
    {
        writeAllTiles(jpegBytes(256, 256));
        writeFile(dir + "/" + SKY_FILE, jpegBytes(1024, 512));
        writeFile(dir + "/" + MODEL_FILE, acModel());
        const std::string grid(EGM_FILE_BYTES, '\x01');
        for (const std::string& file : ELEVATION_FILES)
            writeFile(dir + "/" + file, grid);
    }

    // A hang fails as status 124 instead of blocking the suite.
    void expectNormalReplay(Model model, const std::string& what)
    {
        SCOPED_TRACE(what);
        const ProgramRun run = runCommand("timeout 60 " + programPath() + " flight.log", dir);
        EXPECT_EQ(run.status, 0) << run.err.substr(0, 1000);
        EXPECT_EQ(summaryOf(run.out), summaryOf(cleanRun().out));
        EXPECT_EQ(countOf(run.out, "img:./img/"), 249u);
        if (model != Model::either) {
            EXPECT_EQ(countOf(run.out, NOT_FOUND_MODEL), model == Model::found ? 0u : 1u);
        }
        EXPECT_NE(run.out.find("failed to set up any windows"), std::string::npos) << "never reached the viewer";
    }

    // The program in an empty directory: what it prints without any data file.
    static const ProgramRun& cleanRun()
    {
        static const ProgramRun run = [] {
            const std::string empty = makeTempDir();
            writeFile(empty + "/flight.log", FLIGHT_LOG);
            ProgramRun result = runCommand(programPath() + " flight.log", empty);
            std::filesystem::remove_all(empty);
            return result;
        }();
        return run;
    }

    std::string dir;
    std::vector<std::string> tiles;
};

TEST_F(HostileReplay, GoodFilesAreAllRead)
{
    writeGoodFiles();
    expectNormalReplay(Model::found, "good files");
    const ProgramRun run = runCommand(programPath() + " flight.log", dir);
    EXPECT_EQ(countOf(run.out, "Not open egm"), 0u);
    EXPECT_EQ(countOf(run.err, "Error reading file"), 0u) << run.err.substr(0, 1000);
}

TEST_F(HostileReplay, DamagedImageTiles)
{
    writeGoodFiles();
    for (const HostileFile& picture : hostilePictures()) {
        writeAllTiles(picture.bytes);
        expectNormalReplay(Model::found, "every tile: " + picture.name);
    }
    // Every damage at once, tile by tile in turn.
    const std::vector<HostileFile> pictures = hostilePictures();
    for (size_t i = 0; i < tiles.size(); ++i)
        writeFile(dir + "/" + tiles[i], pictures[i % pictures.size()].bytes);
    expectNormalReplay(Model::found, "mixed tiles");
}

TEST_F(HostileReplay, DamagedSkyPicture)
{
    writeGoodFiles();
    for (const HostileFile& picture : hostilePictures()) {
        writeFile(dir + "/" + SKY_FILE, picture.bytes);
        expectNormalReplay(Model::found, "sky: " + picture.name);
    }
}

TEST_F(HostileReplay, DamagedAircraftModels)
{
    writeGoodFiles();
    const std::string model = acModel();
    const struct {
        const char* name;
        std::string bytes;
        Model model;
    } cases[] = {
        {"numvert -5", acModel("-5"), Model::notFound},
        {"numvert 2000000000", acModel("2000000000"), Model::notFound},
        {"numvert 100000000", acModel("100000000"), Model::notFound},
        {"numsurf 2000000000", acModel("3", "2000000000"), Model::notFound},
        {"refs 2000000000", acModel("3", "1", "2000000000"), Model::notFound},
        {"refs -2", acModel("3", "1", "-2"), Model::notFound},
        {"kids 2000000000", acModel("3", "1", "3", "2000000000"), Model::notFound},
        {"kids -1", acModel("3", "1", "3", "-1"), Model::notFound},
        {"numvert without a count", "AC3Db\nnumvert", Model::notFound},
        {"smallest aborting file", "AC3Db\nnumvert -5\n", Model::notFound},
        {"smallest hanging file", "AC3Db\nkids 2000000000\n", Model::notFound},
        {"not AC3D", "solid cube\nendsolid cube\n", Model::notFound},
        {"random bytes", randomBytes(4000, 5), Model::notFound},
        {"empty", "", Model::notFound},
        {"vertex index out of range", acModel().replace(model.find("2 0 1"), 1, "99"), Model::found},
        {"material out of range", acModel().replace(model.find("mat 0"), 5, "mat 7"), Model::found},
        {"header only", "AC3Db\n", Model::either},
        {"truncated after the first vertex", model.substr(0, model.find("1 0 0\n")), Model::either},
        {"truncated in the references", model.substr(0, model.find("2 0 1")), Model::either},
        {"objects nested 20000 deep, which overflowed the stack", acNested(20000), Model::notFound},
        {"texture with EXIF that crashed the JPEG reader", std::string(model).insert(model.find("numvert"),
                                                                                     "texture \"skin.jpg\"\n"),
         Model::found},
    };
    const std::string jpeg = jpegBytes(16, 16);
    writeFile(dir + "/EasyStar/data/skin.jpg", withExif(jpeg, exifTiff("II", 0xFFFFFFF8u, 1, {{0x112, 3, 1, 6}})));
    for (const auto& c : cases) {
        writeFile(dir + "/" + MODEL_FILE, c.bytes);
        expectNormalReplay(c.model, std::string("model: ") + c.name);
    }
}

TEST_F(HostileReplay, DamagedElevationFiles)
{
    writeGoodFiles();
    const size_t full = EGM_FILE_BYTES;
    const struct {
        const char* name;
        size_t size;
    } cases[] = {
        {"0 bytes", 0}, {"1 byte", 1}, {"odd length", 1001}, {"one byte too many", full + 1}, {"10 MB", 10u << 20},
    };
    for (const auto& c : cases) {
        for (const std::string& file : ELEVATION_FILES)
            writeFile(dir + "/" + file, randomBytes(c.size, 13));
        expectNormalReplay(Model::found, std::string("elevation: ") + c.name);
    }
}

// Files that crashed, hung or exhausted a reader (the reported EXIF crash and
// what the fuzzers found): pictures as every tile and the sky, models as
// the aircraft, each turned away by a check.
TEST_F(HostileReplay, RegressionFiles)
{
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(HOSTILE_REGRESSION_DIR)) {
        writeGoodFiles();
        const std::string bytes = readFile(entry.path().string());
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".jpg") {
            writeAllTiles(bytes);
            writeFile(dir + "/" + SKY_FILE, bytes);
            expectNormalReplay(Model::found, name);
        } else if (entry.path().extension() == ".ac") {
            writeFile(dir + "/" + MODEL_FILE, bytes);
            expectNormalReplay(Model::notFound, name);
        }
        ++files;
    }
    EXPECT_GT(files, 0u);
}

osg::Texture2D* tileTexture(osg::Group* terrain, unsigned index)
{
    osg::Geode* geode = terrain->getChild(index)->asGeode();
    osg::StateAttribute* attribute =
        geode->getDrawable(0)->getStateSet()->getTextureAttribute(0, osg::StateAttribute::TEXTURE);
    return dynamic_cast<osg::Texture2D*>(attribute);
}

// A file the check turns away reads like an unreadable one: a texture
// without a picture, a sky without a texture, no model and its message.
TEST_F(HostileReplay, TurnedAwayFilesReadAsUnreadable)
{
    const std::string huge = withDeclaredSize(jpegBytes(256, 256), 65000, 65000);
    writeFile(dir + "/" + tiles[0], jpegBytes(256, 256));
    writeFile(dir + "/" + tiles[1], huge);
    writeFile(dir + "/" + SKY_FILE, huge);
    writeFile(dir + "/" + MODEL_FILE, "AC3Db\nnumvert -5\n");

    const std::string saved = std::filesystem::current_path().string();
    std::filesystem::current_path(dir);
    osg::ref_ptr<osg::Group> terrain;
    osg::ref_ptr<osg::Group> sky;
    osg::ref_ptr<osg::MatrixTransform> model;
    captureStdout([&] { terrain = buildTerrain(); });
    captureStdout([&] { sky = buildSkyDome(); });
    const std::string modelOut = captureStdout([&] { model = buildAircraftModel(); });
    clearElevationCache();
    std::filesystem::current_path(saved);

    ASSERT_EQ(terrain->getNumChildren(), 249u);
    ASSERT_NE(tileTexture(terrain.get(), 0), nullptr);
    ASSERT_NE(tileTexture(terrain.get(), 0)->getImage(), nullptr);
    EXPECT_EQ(tileTexture(terrain.get(), 0)->getImage()->s(), 256);
    ASSERT_NE(tileTexture(terrain.get(), 1), nullptr);
    EXPECT_EQ(tileTexture(terrain.get(), 1)->getImage(), nullptr);

    osg::StateSet* skyState = sky->getChild(0)->asGeode()->getStateSet();
    EXPECT_EQ(skyState->getTextureAttribute(0, osg::StateAttribute::TEXTURE), nullptr);

    EXPECT_EQ(model, nullptr);
    EXPECT_EQ(modelOut, NOT_FOUND_MODEL);
}

} // namespace
