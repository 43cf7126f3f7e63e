#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "frame/elevation_tile.h"
#include "frame/terrain_tiles.h"
#include "prep_fixtures.h"
#include "support/test_support.h"

namespace {

TEST(PrepCheck, BeforeAndAfterPreparingThenTheReplayFindsEveryFile)
{
    // 48 N 122 W: centre tile (91125, 42234).
    const std::string base = makeTempDir();
    const std::string work = base + "/work";
    writeFile(base + "/flight.log", logAt(48.0, -122.0));
    writeGeoTiff(base + "/dem.tif", 4326, 120, 80, {-124.0, 0.05, 0, 50.0, 0, -0.05},
                 [](double lon, double lat) { return 300.0 + 10.0 * lon + 20.0 * lat; });
    writeGreyMbtiles(base + "/cache.mbtiles", 91125, 42234);

    ProgramRun run = runCommand(prepPath() + " --dir work check flight.log", base);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("CI,CJ=91125 42234\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("missing zsi-88-41.egm\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("missing ./img/s-91122-42231.jpg\n"), std::string::npos) << run.out;
    EXPECT_EQ(countLines(run.out, "found "), 0);
    const int missing = countLines(run.out, "missing ");
    EXPECT_NE(run.out.find("image tiles: 249, missing 249\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("missing sky12q-1024x512.jpeg\nmissing ./EasyStar/data/body.ac\n"), std::string::npos);

    run = runCommand(prepPath() + " terrain flight.log dem.tif --dir work", base);
    ASSERT_EQ(run.status, 0) << run.err;
    run = runCommand(prepPath() + " --dir work imagery flight.log cache.mbtiles", base);
    ASSERT_EQ(run.status, 0) << run.err;
    run = runCommand(prepPath() + " --dir work assets", base);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "wrote sky12q-1024x512.jpeg\nwrote ./EasyStar/data/body.ac\n");

    run = runCommand(prepPath() + " --dir work check flight.log", base);
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(countLines(run.out, "missing "), 0) << run.out;
    EXPECT_EQ(countLines(run.out, "found "), missing);
    EXPECT_NE(run.out.find("image tiles: 249, missing 0\n"), std::string::npos) << run.out;

    // Existing files are kept unless forced.
    run = runCommand(prepPath() + " --dir work imagery flight.log cache.mbtiles", base);
    EXPECT_NE(run.out.find("imagery: 0 image tiles written, 249 kept, 0 missing"), std::string::npos) << run.out;
    run = runCommand(prepPath() + " --dir work assets", base);
    EXPECT_EQ(run.out, "kept sky12q-1024x512.jpeg\nkept ./EasyStar/data/body.ac\n");
    std::filesystem::resize_file(work + "/zsi-88-41.egm", 2050);
    run = runCommand(prepPath() + " --dir work check flight.log", base);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("incomplete zsi-88-41.egm (2050 bytes)\n"), std::string::npos) << run.out;
    // An incomplete file is no data to keep: it is written again.
    run = runCommand(prepPath() + " --dir work terrain flight.log dem.tif", base);
    EXPECT_NE(run.out.find("wrote zsi-88-41.egm: "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("terrain: 1 elevation files written, 1 kept"), std::string::npos) << run.out;
    EXPECT_EQ(std::filesystem::file_size(work + "/zsi-88-41.egm"), EGM_FILE_BYTES);
    run = runCommand(prepPath() + " --dir work --force terrain flight.log dem.tif", base);
    EXPECT_NE(run.out.find("terrain: 2 elevation files written, 0 kept"), std::string::npos) << run.out;
    EXPECT_EQ(std::filesystem::file_size(work + "/zsi-88-41.egm"), EGM_FILE_BYTES);

    writeFile(work + "/flight.log", logAt(48.0, -122.0));
    run = runCommand(programPath() + " flight.log", work);
    EXPECT_EQ(run.out.find("Not open egm"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Not found model"), std::string::npos) << run.out;
    EXPECT_EQ(countLines(run.out, "img:./img/"), 249) << run.out;
    EXPECT_NE(run.out.find("CI,CJ=91125 42234\n"), std::string::npos) << run.out;
}

} // namespace
