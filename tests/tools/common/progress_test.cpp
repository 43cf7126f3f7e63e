// The figures beside every progress bar: downloads with their bytes, the
// recorder with its frames per second, and no time left guessed too early.

#include <gtest/gtest.h>

#include "tools/common/progress.h"

using flightreplay::tools::ProgressUnits;
using flightreplay::tools::progressStatus;

TEST(Progress, StatusFigures)
{
    struct Case {
        int64_t done, total, bytes;
        double elapsed;
        ProgressUnits units;
        const char* expected;
    };
    const Case cases[] = {
        {60, 600, 0, 2.0, {"frames", "fps"}, "60/600 frames, 30.0 fps, 0:18 left"},
        {300, 600, 0, 20.0, {"frames", "fps"}, "300/600 frames, 15.0 fps, 0:20 left"},
        {0, 600, 0, 0.0, {"frames", "fps"}, "0/600 frames"},
        {10, 600, 0, 0.5, {"frames", "fps"}, "10/600 frames, 20.0 fps"},
        {600, 600, 0, 40.0, {"frames", "fps"}, "600/600 frames, 15.0 fps"},
        {3, 12, 2500000, 90.0, {}, "3/12, 2.5 MB, 4:30 left"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(progressStatus(c.done, c.total, c.bytes, c.elapsed, c.units), c.expected);
}
