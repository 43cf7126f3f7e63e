// The encoder on synthetic frames: what ffprobe reads back, the rows turned
// the right way up, and the final name untouched by anything short of a
// finished video.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

#include "tools/common/tool_error.h"
#include "tools/video/video_encoder.h"
#include "video_probe.h"

using flightreplay::video::VideoEncoder;
using flightreplay::video::VideoSettings;
using flightreplay::tools::ToolError;

namespace {

constexpr int WIDTH = 64;
constexpr int HEIGHT = 48;

struct TempFolder {
    std::string path;
    TempFolder()
    {
        char name[] = "/tmp/video_encoder_test_XXXXXX";
        path = mkdtemp(name);
    }
    ~TempFolder() { std::system(("rm -rf '" + path + "'").c_str()); }
};

// Bottom-up RGBA as OpenGL hands it over: the lower half of the picture
// (the first rows in memory) blue, the upper half red, a grey level that
// grows with the frame number in green.
void fillFrame(uint8_t* rgba, int index)
{
    for (int row = 0; row < HEIGHT; ++row)
        for (int x = 0; x < WIDTH; ++x) {
            uint8_t* p = rgba + (row * WIDTH + x) * 4;
            const bool lower = row < HEIGHT / 2;
            p[0] = lower ? 0 : 255;
            p[1] = static_cast<uint8_t>(index * 8);
            p[2] = lower ? 255 : 0;
            p[3] = 255;
        }
}

VideoSettings settingsFor(const std::string& path, bool force = false)
{
    VideoSettings settings;
    settings.path = path;
    settings.width = WIDTH;
    settings.height = HEIGHT;
    settings.fps = 10;
    settings.force = force;
    return settings;
}

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(VideoEncoder, WritesPlayableH264WithRowsTopDown)
{
    TempFolder folder;
    const std::string out = folder.path + "/clip.mp4";
    {
        VideoEncoder encoder(settingsFor(out));
        for (int i = 0; i < 25; ++i) {
            fillFrame(encoder.nextFrame(), i);
            encoder.submitFrame();
        }
        EXPECT_FALSE(videotest::exists(out)) << "the final name appears only when the video is complete";
        encoder.finish();
        EXPECT_EQ(encoder.framesWritten(), 25);
    }
    EXPECT_FALSE(videotest::exists(out + ".part"));
    const videotest::VideoFacts facts = videotest::probeVideo(out);
    EXPECT_EQ(facts.codec, "h264");
    EXPECT_EQ(facts.pixelFormat, "yuv420p");
    EXPECT_EQ(facts.width, WIDTH);
    EXPECT_EQ(facts.height, HEIGHT);
    EXPECT_EQ(facts.frames, 25);
    EXPECT_NEAR(facts.durationS, 2.5, 0.05);

    const std::vector<uint8_t> rgb = videotest::decodeFrame(out, 20, WIDTH, HEIGHT);
    ASSERT_FALSE(rgb.empty());
    const uint8_t* top = &rgb[(2 * WIDTH + WIDTH / 2) * 3];
    const uint8_t* bottom = &rgb[((HEIGHT - 3) * WIDTH + WIDTH / 2) * 3];
    EXPECT_GT(top[0], 200);
    EXPECT_LT(top[2], 60);
    EXPECT_GT(bottom[2], 200);
    EXPECT_LT(bottom[0], 60);
    EXPECT_NEAR(top[1], 160, 16) << "frame 20 of the video is the 21st frame given";
}

TEST(VideoEncoder, FinalNameOnlyForACompleteVideo)
{
    struct Case {
        const char* what;
        bool existing;
        bool force;
        bool finish;
        bool throws;
        const char* finalContent; // "" for none, "video" for a new video
    };
    const Case cases[] = {
        {"new file, finished", false, false, true, false, "video"},
        {"existing file kept without --force", true, false, true, true, "old"},
        {"existing file replaced with --force", true, true, true, false, "video"},
        {"abandoned recording leaves no file", false, false, false, false, ""},
        {"abandoned recording keeps the old file", true, true, false, false, "old"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const std::string out = folder.path + "/clip.mp4";
        if (c.existing)
            writeFile(out, "old");
        try {
            VideoEncoder encoder(settingsFor(out, c.force));
            for (int i = 0; i < 5; ++i) {
                fillFrame(encoder.nextFrame(), i);
                encoder.submitFrame();
            }
            if (c.finish)
                encoder.finish();
            EXPECT_FALSE(c.throws);
        } catch (const ToolError& error) {
            EXPECT_TRUE(c.throws) << error.what();
            EXPECT_NE(std::string(error.what()).find("--force"), std::string::npos) << error.what();
        }
        EXPECT_FALSE(videotest::exists(out + ".part"));
        const std::string expected = c.finalContent;
        if (expected.empty())
            EXPECT_FALSE(videotest::exists(out));
        else if (expected == "video")
            EXPECT_EQ(videotest::probeVideo(out).frames, 5);
        else
            EXPECT_EQ(readFile(out), expected);
    }
}

TEST(VideoEncoder, RefusesSizesYuv420CannotHold)
{
    // 4:2:0 halves both directions, so an odd side has no whole chroma row.
    const int sizes[][2] = {{63, 48}, {64, 47}, {0, 48}, {64, 0}, {-64, 48}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(testing::Message() << size[0] << "x" << size[1]);
        TempFolder folder;
        const std::string out = folder.path + "/clip.mp4";
        VideoSettings settings = settingsFor(out);
        settings.width = size[0];
        settings.height = size[1];
        std::string message;
        try {
            VideoEncoder encoder(settings);
        } catch (const ToolError& error) {
            message = error.what();
        }
        EXPECT_NE(message.find("must be even and positive"), std::string::npos) << message;
        EXPECT_FALSE(videotest::exists(out));
        EXPECT_FALSE(videotest::exists(out + ".part"));
    }
}

TEST(VideoEncoder, NamesWithSpacesQuotesAndShellCharacters)
{
    const char* names[] = {"flight 12 take-off.mp4", "pilot's view.mp4", "say \"cheese\".mp4",
                           "$(touch injected) `touch injected`; x.mp4"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        TempFolder folder;
        const std::string out = folder.path + "/" + name;
        {
            VideoEncoder encoder(settingsFor(out));
            for (int i = 0; i < 3; ++i) {
                fillFrame(encoder.nextFrame(), i);
                encoder.submitFrame();
            }
            encoder.finish();
        }
        EXPECT_EQ(videotest::probeVideo(out).frames, 3);
        EXPECT_FALSE(videotest::exists(out + ".part"));
        EXPECT_FALSE(videotest::exists("injected"));
        EXPECT_FALSE(videotest::exists(folder.path + "/injected"));
    }
}

TEST(VideoEncoder, MissingFfmpegNamesTheDebianPackage)
{
    TempFolder folder;
    const std::string out = folder.path + "/clip.mp4";
    const std::string savedPath = std::getenv("PATH");
    setenv("PATH", folder.path.c_str(), 1);
    std::string message;
    try {
        VideoEncoder encoder(settingsFor(out));
    } catch (const ToolError& error) {
        message = error.what();
    }
    setenv("PATH", savedPath.c_str(), 1);
    EXPECT_NE(message.find("Debian package ffmpeg"), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos);
    EXPECT_FALSE(videotest::exists(out + ".part"));
}
