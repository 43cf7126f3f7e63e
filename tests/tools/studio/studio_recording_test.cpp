// flightreplay-studio --record on the demo flight with no display (drawn
// through EGL): what ffprobe reads from the video, its frames against the
// studio's snapshots, and the video's name untouched by an interrupted or
// refused recording.

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"
#include "video_probe.h"

namespace {

std::string studio()
{
    return std::string("'") + STUDIO_BINARY + "' demo.log ";
}

// runCommand leaves DISPLAY out, so the studio draws through EGL.
ProgramRun runStudio(const std::string& arguments)
{
    return runCommand(studio() + arguments, DEMO_DIR);
}

// True when the MP4's index (moov) comes before the frames (mdat), as
// +faststart leaves it for players that start before the whole file is in.
bool indexFirst(const std::string& path)
{
    const std::string bytes = readFile(path);
    const size_t moov = bytes.find("moov");
    const size_t mdat = bytes.find("mdat");
    return moov != std::string::npos && mdat != std::string::npos && moov < mdat;
}

} // namespace

TEST(StudioRecording, ShortRecordingIsBrowserReadyH264)
{
    struct Case {
        const char* arguments;
        int width, height;
        double logSeconds, speed;
        int fps;
    };
    const Case cases[] = {
        {"--from 100 --to 103 --speed 2 --fps 30 --size 320x240", 320, 240, 3.0, 2.0, 30},
        {"--from 250.5 --to 252.5 --fps 12 --size 256x144 --camera cockpit --no-panels", 256, 144, 2.0, 1.0, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const std::string dir = makeTempDir();
        const std::string out = dir + "/clip.mp4";
        const ProgramRun run = runStudio("--record '" + out + "' " + c.arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        const videotest::VideoFacts facts = videotest::probeVideo(out);
        EXPECT_EQ(facts.codec, "h264");
        EXPECT_EQ(facts.pixelFormat, "yuv420p");
        EXPECT_EQ(facts.width, c.width);
        EXPECT_EQ(facts.height, c.height);
        const double expectedFrames = c.fps * c.logSeconds / c.speed;
        EXPECT_NEAR(static_cast<double>(facts.frames), expectedFrames, 1.0);
        EXPECT_NEAR(facts.durationS, c.logSeconds / c.speed, 1.0 / c.fps + 1e-3);
        EXPECT_TRUE(indexFirst(out));
        EXPECT_FALSE(videotest::exists(out + ".part"));
        runCommand("rm -rf '" + dir + "'");
    }
}

TEST(StudioRecording, FrameMatchesTheSnapshotAtItsTime)
{
    // The chase camera follows turns with a lag, so beyond the first frame
    // only the cockpit's view depends on the moment alone.
    struct Case {
        const char* camera;
        bool panels;
        int frame;
        double time; // 300 s + frame / 10 fps
    };
    const Case cases[] = {{"chase", true, 0, 300.0}, {"cockpit", false, 7, 300.7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.camera);
        const std::string dir = makeTempDir();
        const std::string out = dir + "/clip.mp4";
        const std::string common =
            std::string(" --size 320x240 --camera ") + c.camera + (c.panels ? " --panels" : " --no-panels");
        ProgramRun run = runStudio("--record '" + out + "' --from 300 --to 301 --fps 10" + common);
        ASSERT_EQ(run.status, 0) << run.err;
        for (double time : {c.time, c.time + 15.0}) {
            const std::string png = dir + "/at-" + std::to_string(time) + ".png";
            run = runStudio("--snapshot '" + png + "' --time " + std::to_string(time) + common);
            ASSERT_EQ(run.status, 0) << run.err;
        }
        const std::vector<uint8_t> frame = videotest::decodeFrame(out, c.frame, 320, 240);
        const double same = videotest::psnr(frame, videotest::decodeFrame(dir + "/at-" + std::to_string(c.time) + ".png", 0, 320, 240));
        const double later =
            videotest::psnr(frame, videotest::decodeFrame(dir + "/at-" + std::to_string(c.time + 15.0) + ".png", 0, 320, 240));
        EXPECT_GT(same, 30.0);
        EXPECT_LT(later, same - 8.0) << "a picture 15 s later must not match as well";
        runCommand("rm -rf '" + dir + "'");
    }
}

TEST(StudioRecording, NoVideoUnderItsNameUnlessComplete)
{
    const std::string dir = makeTempDir();
    const std::string out = dir + "/clip.mp4";

    writeFile(out, "old");
    ProgramRun run = runStudio("--record '" + out + "' --from 10 --to 11 --size 64x64");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--force"), std::string::npos) << run.err;
    EXPECT_EQ(readFile(out), "old");
    runCommand("rm -f '" + out + "'");

    run = runCommand("env PATH=/nonexistent " + studio() + "--record '" + out + "'", DEMO_DIR);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("Debian package ffmpeg"), std::string::npos) << run.err;
    EXPECT_FALSE(videotest::exists(out));

    // A signal once frames reach the encoder: the process ends by it, and
    // neither the video nor its partial file is left.
    for (const char* signal : {"INT", "TERM"}) {
        SCOPED_TRACE(signal);
        writeFile(dir + "/interrupt.sh",
                  studio() + "--record '" + out + "' --size 320x240 & pid=$!\n"
                  "for i in $(seq 600); do [ -s '" + out + ".part' ] && break; sleep 0.1; done\n"
                  "kill -" + signal + " $pid; wait $pid; echo status $?\n");
        run = runCommand("sh '" + dir + "/interrupt.sh'", DEMO_DIR);
        EXPECT_NE(run.out.find("status " + std::to_string(128 + (std::string(signal) == "INT" ? 2 : 15))),
                  std::string::npos)
            << run.out << run.err;
        EXPECT_NE(run.err.find("recording interrupted"), std::string::npos) << run.err;
        EXPECT_FALSE(videotest::exists(out));
        EXPECT_FALSE(videotest::exists(out + ".part"));
    }
    runCommand("rm -rf '" + dir + "'");
}

TEST(StudioRecording, TwoFlightsOnOneClock)
{
    // The second flight 30 s later on the clock: the clock spans 30 s more
    // than one flight (1939.8 s), and the stretch past the first one's end
    // is recorded on that clock.
    const std::string dir = makeTempDir();
    runCommand("cp demo.log '" + dir + "/second.log'", DEMO_DIR);
    const std::string out = dir + "/two.mp4";
    const ProgramRun run = runStudio("'" + dir + "/second.log' --offset second=30 --record '" + out +
                                     "' --from 1950 --to 1952 --fps 10 --size 160x96 --no-panels");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(videotest::probeVideo(out).frames, 20);
    runCommand("rm -rf '" + dir + "'");
}

// Every refusal is one line on standard error in the companion programs'
// style, "flightreplay-studio: reason", with exit status 2.
TEST(StudioErrors, OneLineWithTheProgramsName)
{
    const std::string dir = makeTempDir();
    writeFile(dir + "/old.mp4", "old");
    const struct {
        std::string arguments;
        std::string line;
    } cases[] = {
        {"--time 5000 --snapshot '" + dir + "/late.png'",
         "flightreplay-studio: --time 5000 is past the end of the flight (1939.8 s)\n"},
        {"--time 10 --size 64x64 --snapshot '" + dir + "/no/such/folder.png'",
         "flightreplay-studio: cannot write '" + dir + "/no/such/folder.png'\n"},
        {"--record '" + dir + "/old.mp4' --from 10 --to 11",
         "flightreplay-studio: " + dir + "/old.mp4: exists already (--force replaces it)\n"},
        {"--record '" + dir + "/new.mp4' --from 5 --to 4",
         "flightreplay-studio: --from 5 --to 4: the stretch must lie within the flight's 0 ... 1939.80 s\n"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = runStudio(c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments;
        EXPECT_EQ(run.err, c.line) << c.arguments;
    }
    runCommand("rm -rf '" + dir + "'");
}
