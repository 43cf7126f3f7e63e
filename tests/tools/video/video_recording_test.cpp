// The recording's frames on the log's time axis and the stretches it takes.

#include <gtest/gtest.h>

#include "tools/common/tool_error.h"
#include "tools/video/video_recording.h"

using flightreplay::video::RecordRequest;

TEST(VideoRecording, FramesAtFixedStepsOfLogTime)
{
    struct Case {
        double from, to, speed;
        int fps;
        int64_t frames;
        double lastTime;
    };
    const Case cases[] = {
        {0.0, 10.0, 1.0, 30, 300, 9.0 + 29.0 / 30.0},
        {100.0, 103.0, 2.0, 30, 45, 103.0 - 2.0 / 30.0},
        {250.5, 252.5, 1.0, 12, 24, 252.5 - 1.0 / 12.0},
        {0.0, 1.0, 0.25, 10, 40, 0.975},
        {5.0, 5.01, 1.0, 30, 1, 5.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " ... " << c.to << " x" << c.speed << " at " << c.fps);
        const int64_t frames = flightreplay::video::recordingFrameCount(c.from, c.to, c.speed, c.fps);
        EXPECT_EQ(frames, c.frames);
        EXPECT_DOUBLE_EQ(flightreplay::video::recordingFrameTime(c.from, c.speed, c.fps, 0), c.from);
        EXPECT_NEAR(flightreplay::video::recordingFrameTime(c.from, c.speed, c.fps, frames - 1), c.lastTime, 1e-9);
    }
}

TEST(VideoRecording, StretchWithinTheFlight)
{
    struct Case {
        double from, to, speed;
        bool accepted;
        double resolvedTo;
    };
    const Case cases[] = {
        {0.0, -1.0, 1.0, true, 600.0},  // the whole flight
        {100.0, 200.0, 4.0, true, 200.0},
        {590.0, 600.0, 1.0, true, 600.0},
        {200.0, 100.0, 1.0, false, 0.0}, // backwards
        {100.0, 100.0, 1.0, false, 0.0}, // empty
        {100.0, 601.0, 1.0, false, 0.0}, // past the end
        {600.0, -1.0, 1.0, false, 0.0},  // starts at the end
        {0.0, 10.0, 0.0, false, 0.0},    // no speed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " ... " << c.to << " x" << c.speed);
        RecordRequest request;
        request.video.path = testing::TempDir() + "video_recording_test_never_written.mp4";
        request.from = c.from;
        request.to = c.to;
        request.speed = c.speed;
        try {
            const RecordRequest checked = flightreplay::video::checkRecordRequest(request, 600.0);
            EXPECT_TRUE(c.accepted);
            EXPECT_DOUBLE_EQ(checked.to, c.resolvedTo);
        } catch (const flightreplay::tools::ToolError& error) {
            EXPECT_FALSE(c.accepted) << error.what();
        }
    }
}
