#include <gtest/gtest.h>

#include <string>

#include "reader_test_support.h"
#include "review_logs.h"
#include "tlog_writer.h"
#include "support/test_support.h"

using namespace reader_test;

namespace {

ProgramRun convert(const std::string& arguments, const std::string& dir)
{
    return runCommand(std::string(FLIGHTREPLAY_CONVERT_BINARY) + " " + arguments, dir);
}

} // namespace

TEST(ReviewProgram, TableJsonAndFieldsExitZeroWhateverWasFound)
{
    const std::string dir = makeTempDir();
    Trouble trouble;
    trouble.vibration = true;
    writeFile(dir + "/bad.bin", dataflashReviewFlight(trouble));
    writeFile(dir + "/good.bin", dataflashReviewFlight({}));
    struct Case {
        const char* arguments;
        int status;
        const char* out; // a line the output holds
        const char* err;
    };
    const Case cases[] = {
        {"--review bad.bin", 0, "     39.0 s      49.0 s  failure   vibration  70 / 60 m/s²", ""},
        {"--review bad.bin", 0, "  Vibration on IMU 0 Z axis reached 70.0 m/s²: position and altitude hold are likely to fail\n", ""},
        {"--review good.bin", 0, "no findings\n", ""},
        {"--review-json - good.bin", 0, "{\"findings\": [], \"notes\": []}\n", ""},
        {"--review-json - bad.bin", 0, "{\"kind\": \"vibration\", \"severity\": \"failure\", \"start\": 39.000, \"end\": 49.000, \"value\": 70, "
                                       "\"threshold\": 60, \"unit\": \"m/s²\"", ""},
        {"--fields good.bin", 0, "MAG[1].MagX\tGauss\n", ""},
        {"--field CTUN.ThO good.bin", 0, "CTUN.ThO\t-1.000000\t0.5\n", ""},
        {"--field NOPE.x good.bin", 2, "", "flightreplay-convert: good.bin: no field NOPE.x (--fields lists them)\n"},
        {"--review --list good.bin", 2, "", "flightreplay-convert: --review and --review-json report alone: not with --list, --kmz, --mission, "
                                            "--from, --to, --rate or --max-rows\n"},
    };
    for (const Case& c : cases) {
        const ProgramRun run = convert(c.arguments, dir);
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.err;
        EXPECT_NE(run.out.find(c.out), std::string::npos) << c.arguments << "\n" << run.out;
        EXPECT_EQ(run.err, c.err) << c.arguments;
    }
    ASSERT_EQ(convert("--review-json out.json bad.bin", dir).status, 0);
    EXPECT_EQ(convert("--review-json out.json good.bin", dir).status, 2);
    EXPECT_EQ(convert("--force --review-json out.json good.bin", dir).status, 0);
    EXPECT_EQ(readFile(dir + "/out.json").substr(0, 15), "{\"findings\": []");
}

TEST(ReviewProgram, EveryVehicleOfATelemetryLogIsReviewed)
{
    const std::string dir = makeTempDir();
    TlogWriter w;
    writeTelemetryFlight(w, TelemetryFlight{});
    TelemetryFlight plane;
    plane.system = 2;
    plane.mavType = 1;
    plane.station = false;
    writeTelemetryFlight(w, plane);
    writeFile(dir + "/two.tlog", w.bytes());
    const ProgramRun both = convert("--review two.tlog", dir);
    ASSERT_EQ(both.status, 0) << both.err;
    EXPECT_NE(both.out.find("note: system 1: no compass data in this log\n"), std::string::npos) << both.out;
    EXPECT_NE(both.out.find("note: system 2: motor checks are made for multicopters only\n"), std::string::npos) << both.out;
    const ProgramRun one = convert("--system 2 --review two.tlog", dir);
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.out.find("system 1"), std::string::npos) << one.out;
    EXPECT_NE(one.out.find("note: motor checks are made for multicopters only\n"), std::string::npos) << one.out;
}
