// Recording figures on a data set (the demo's): run in the data folder, under
// an X server or headless (DISPLAY unset, EGL). Renders the same stretch of the flight several times at the
// video's size with the studio's panels, alternately with the read-back
// alone and with the read-back feeding the encoder, and prints the median
// frames per second of each and the cost of encoding on standard error.
// Usage: record_bench DATA_FOLDER [FROM_S SECONDS ROUNDS]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "frame/map_frame.h"
#include "log/log_reader.h"
#include "tools/studio/offscreen_frame.h"
#include "tools/studio/studio_app.h"
#include "tools/video/video_encoder.h"
#include "tools/video/video_recording.h"

namespace {

using namespace flightreplay::studio;
using namespace flightreplay::video;
using Clock = std::chrono::steady_clock;

// The read-back's destination without an encoder behind it.
class DiscardFrames : public FrameSink {
public:
    explicit DiscardFrames(size_t bytes) : buffer_(bytes) {}
    uint8_t* nextFrame() override { return buffer_.data(); }
    void submitFrame() override {}

private:
    std::vector<uint8_t> buffer_;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: %s DATA_FOLDER (with demo.log) [FROM_S SECONDS ROUNDS]\n", argv[0]);
        return 2;
    }
    const double from = argc > 2 ? std::atof(argv[2]) : 120.0;
    const double seconds = argc > 3 ? std::atof(argv[3]) : 20.0;
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
    if (!std::freopen("/dev/null", "w", stdout))
        return 1;
    FILE* log = std::fopen("demo.log", "r");
    if (!log) {
        std::fprintf(stderr, "no demo.log in %s\n", argv[1]);
        return 1;
    }
    std::fclose(log);

    StudioOptions options;
    options.logPaths = {"demo.log"};
    options.time = from;
    StudioState state;
    initStudioState(state, options);
    RecordRequest request;
    request.video.path = "/tmp/record_bench_" + std::to_string(getpid()) + ".mp4";
    request.video.force = true;
    request.from = from;
    request.to = from + seconds;
    std::string error;
    OffscreenStudio studio;
    if (!makeOffscreenStudio(state, request.video.width, request.video.height, true, options, studio, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    osgViewer::Viewer& viewer = studio.frame->viewer();
    viewer.realize();
    state.clock.setPaused(true);
    const SeekFunction seek = [&state](double at) { state.clock.seek(at); };
    const char* surface = studio.frame->headless() ? "headless (EGL)" : "X display";
    const int64_t frames = recordingFrameCount(request.from, request.to, request.speed, request.video.fps);
    auto noStop = [] { return true; };
    auto nothing = [] {};
    // Textures are uploaded in the first frames; they are not the figure.
    DiscardFrames discard(static_cast<size_t>(request.video.width) * static_cast<size_t>(request.video.height) * 4);
    renderFrames(viewer, seek, request, 10, discard, noStop, nothing);

    std::vector<double> readBackFps, encodeFps, added;
    for (int round = 0; round < rounds; ++round) {
        Clock::time_point start = Clock::now();
        renderFrames(viewer, seek, request, frames, discard, noStop, nothing);
        readBackFps.push_back(static_cast<double>(frames) / std::chrono::duration<double>(Clock::now() - start).count());

        start = Clock::now();
        {
            VideoEncoder encoder(request.video);
            renderFrames(viewer, seek, request, frames, encoder, noStop, nothing);
            encoder.finish();
        }
        encodeFps.push_back(static_cast<double>(frames) / std::chrono::duration<double>(Clock::now() - start).count());
        added.push_back(100.0 * (readBackFps.back() / encodeFps.back() - 1.0));
        std::fprintf(stderr, "round %d: render+read-back %.1f fps, render+read-back+encode %.1f fps (+%.0f%%)\n",
                     round + 1, readBackFps.back(), encodeFps.back(), added.back());
    }
    std::remove(request.video.path.c_str());
    const double plain = median(readBackFps);
    const double encoded = median(encodeFps);
    std::fprintf(stderr,
                 "%s: %lld frames (%.0f s of the flight from %.0f s) at %dx%d, %d fps, panels on; medians of %d rounds:\n"
                 "  render + read-back          %6.1f fps\n"
                 "  render + read-back + encode %6.1f fps\n"
                 "  encoding adds %.0f%% to the time per frame (median of the rounds' own ratios %.0f%%; goal: at "
                 "most 30%%)\n",
                 surface, static_cast<long long>(frames), seconds, from, request.video.width, request.video.height, request.video.fps, rounds,
                 plain, encoded, 100.0 * (plain / encoded - 1.0), median(added));
    return 0;
}
