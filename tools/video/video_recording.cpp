#include "tools/video/video_recording.h"

#include <cmath>
#include <csignal>
#include <cstdio>

#include <osg/GL>

#include "tools/common/progress.h"
#include "tools/common/tool_error.h"
#include "tools/video/video_encoder.h"

namespace flightreplay::video {

using tools::ToolError;

namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void onStopSignal(int signal)
{
    stopSignal = signal;
}

// Reads the finished picture (scene and panels) into the buffer the encoder
// lends for the frame; rows come bottom-up, which the encoder turns.
class ReadBack : public osg::Camera::DrawCallback {
public:
    ReadBack(int width, int height) : width_(width), height_(height) {}

    void setTarget(uint8_t* target)
    {
        target_ = target;
        done_ = false;
    }
    bool done() const { return done_; }

    void operator()(osg::RenderInfo& renderInfo) const override
    {
        if (!target_)
            return;
        const GLenum buffer = renderInfo.getCurrentCamera()->getReadBuffer();
        if (buffer != GL_NONE)
            glReadBuffer(buffer);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, target_);
        target_ = nullptr;
        done_ = true;
    }

private:
    int width_;
    int height_;
    mutable uint8_t* target_ = nullptr;
    mutable bool done_ = false;
};

struct SignalGuard {
    SignalGuard()
    {
        stopSignal = 0;
        previousInt_ = std::signal(SIGINT, onStopSignal);
        previousTerm_ = std::signal(SIGTERM, onStopSignal);
    }
    ~SignalGuard()
    {
        std::signal(SIGINT, previousInt_);
        std::signal(SIGTERM, previousTerm_);
    }
    void (*previousInt_)(int);
    void (*previousTerm_)(int);
};

} // namespace

int64_t recordingFrameCount(double from, double to, double speed, int fps)
{
    const double frames = std::floor((to - from) * fps / speed + 1e-6);
    return frames >= 1.0 ? static_cast<int64_t>(frames) : 1;
}

double recordingFrameTime(double from, double speed, int fps, int64_t index)
{
    return from + static_cast<double>(index) * speed / fps;
}

int64_t renderFrames(osgViewer::Viewer& viewer, const SeekFunction& seek, const RecordRequest& request, int64_t count,
                     FrameSink& sink, const std::function<bool()>& keepGoing,
                     const std::function<void()>& frameDone)
{
    // In place of any read-back the viewer has, so that a frame is read once.
    osg::Camera& camera = *viewer.getCamera();
    const osg::ref_ptr<osg::Camera::DrawCallback> previous = camera.getFinalDrawCallback();
    osg::ref_ptr<ReadBack> readBack = new ReadBack(request.video.width, request.video.height);
    camera.setFinalDrawCallback(readBack.get());
    int64_t rendered = 0;
    try {
        // ImGui sizes a new panel in its first frame and shows it from the
        // second; the first frame of the video must show the panels.
        seek(recordingFrameTime(request.from, request.speed, request.video.fps, 0));
        readBack->setTarget(nullptr);
        viewer.frame();
        for (; rendered < count && keepGoing(); ++rendered) {
            seek(recordingFrameTime(request.from, request.speed, request.video.fps, rendered));
            readBack->setTarget(sink.nextFrame());
            viewer.frame();
            if (!readBack->done())
                throw ToolError("the offscreen picture could not be read back");
            sink.submitFrame();
            frameDone();
        }
    } catch (...) {
        camera.setFinalDrawCallback(previous.get());
        throw;
    }
    camera.setFinalDrawCallback(previous.get());
    return rendered;
}

RecordRequest checkRecordRequest(const RecordRequest& request, double duration)
{
    RecordRequest checked = request;
    checked.to = request.to < 0.0 ? duration : request.to;
    if (!(checked.speed > 0.0) || checked.video.fps <= 0)
        throw ToolError("--speed and --fps must be positive");
    if (checked.from < 0.0 || checked.from >= checked.to || checked.to > duration + 1e-9) {
        char text[160];
        std::snprintf(text, sizeof text, "--from %g --to %g: the stretch must lie within the flight's 0 ... %.2f s",
                      checked.from, checked.to, duration);
        throw ToolError(text);
    }
    checkVideoSettings(checked.video);
    return checked;
}

int recordVideo(osgViewer::Viewer& viewer, double duration, const SeekFunction& seek, const RecordRequest& request,
                const char* program)
{
    const RecordRequest checked = checkRecordRequest(request, duration);
    const int64_t frames = recordingFrameCount(checked.from, checked.to, checked.speed, checked.video.fps);
    VideoEncoder encoder(checked.video);

    SignalGuard signals;
    try {
        tools::Progress progress("recording", frames, true, {"frames", "fps"});
        renderFrames(viewer, seek, checked, frames, encoder, [] { return stopSignal == 0; },
                     [&progress] { progress.advance(); });
    } catch (const ToolError&) {
        // ffmpeg gets the terminal's Ctrl-C as well and stops taking frames.
        if (!stopSignal)
            throw;
    }
    if (stopSignal) {
        encoder.abort();
        std::fprintf(stderr, "%s: recording interrupted; %s not written\n", program, checked.video.path.c_str());
        const int signal = stopSignal;
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return 2;
    }
    encoder.finish();
    std::printf("%s: %lld frames, %dx%d, %d fps, log time %.2f ... %.2f s at x%g\n", checked.video.path.c_str(),
                static_cast<long long>(frames), checked.video.width, checked.video.height, checked.video.fps,
                checked.from, recordingFrameTime(checked.from, checked.speed, checked.video.fps, frames - 1),
                checked.speed);
    return 0;
}

} // namespace flightreplay::video
