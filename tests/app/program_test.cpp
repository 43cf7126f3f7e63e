#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace {

// Everything the program prints before the viewer starts (the viewer library
// adds its own notices after it).
std::string summaryOf(const ProgramRun& run)
{
    const size_t frame = run.out.find("CI,CJ=");
    if (frame == std::string::npos)
        return run.out;
    return run.out.substr(0, run.out.find('\n', frame) + 1);
}

ProgramRun replay(const std::string& logText)
{
    const std::string dir = makeTempDir();
    writeFile(dir + "/flight.log", logText);
    return runCommand(programPath() + " flight.log", dir);
}

TEST(Program, UsageAndUnreadableLog)
{
    ProgramRun run = runCommand(programPath());
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(run.out, "U: " + programPath() + " smltm.log\n");

    run = runCommand(programPath() + " /no/such/flight.log extra");
    EXPECT_EQ(run.status, 254);
    EXPECT_EQ(run.out, "Not open '/no/such/flight.log'\n");
}

TEST(Program, ScannerInputFaultEndsWithStatusTwo)
{
    const ProgramRun run = runCommand(programPath() + " " + makeTempDir());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "input in flex scanner failed\n");
    EXPECT_EQ(run.out, "");
}

TEST(Program, SummaryOfHeaderOnlyLog)
{
    const ProgramRun run = replay("gps_time\tgps_curlat\tgps_curlon\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(summaryOf(run),
              "cols[0]=4\ncols[1]=11\ncols[2]=12\n"
              "lat(mn,mx)=(1666.666667 -1666.666667)\n"
              "lon(mn,mx)=(1666.666667 -1666.666667)\n"
              "time(mn,mx)=(100000000000000000000.000000 -100000000000000000000.000000)\n"
              "1/k=152.774899 (latc=0.000000)\n"
              "CI,CJ=131072 131072\n");
}

TEST(Program, SummaryEchoesJunkAndSkipsTheUnterminatedLine)
{
    const ProgramRun run = replay("\"gps_time\",\"gps_curlat\",\"gps_curlon\",Extra\r\n"
                                  "10.5,3300,2250\r\n"
                                  "12,-2034,9072\r\n"
                                  "99,0,0");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(summaryOf(run),
              "Extracols[0]=4\ncols[1]=11\ncols[2]=12\n"
              "lat(mn,mx)=(-33.900000 55.000000)\n"
              "lon(mn,mx)=(37.500000 151.200000)\n"
              "time(mn,mx)=(10.500000 12.000000)\n"
              "1/k=150.192316 (latc=10.550000)\n"
              "CI,CJ=123345 199775\n");
}

TEST(Program, SingleRowAndNoKeyword)
{
    ProgramRun run = replay("gps_curlat,gps_curlon\n3000.0,-7200.0\n");
    EXPECT_NE(summaryOf(run).find("lat(mn,mx)=(50.000000 50.000000)\nlon(mn,mx)=(-120.000000 -120.000000)\n"),
              std::string::npos);

    run = replay("1 2 3\n");
    EXPECT_EQ(summaryOf(run).rfind("cols[0]=0\nlat(mn,mx)=(1666.666667 -1666.666667)\n", 0), 0u);
}

TEST(Program, OverlongLogReportsIgnoredLinesOnStandardError)
{
    std::string text = "gps_time\n";
    for (int i = 0; i < 10003; ++i)
        text += std::to_string(i) + "\n";
    const ProgramRun run = replay(text);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(summaryOf(run).find("time(mn,mx)=(0.000000 9999.000000)\n"), std::string::npos);
    EXPECT_EQ(run.err.rfind("Ignored 3 data lines beyond the first 10000\n", 0), 0u) << run.err;
}

} // namespace
