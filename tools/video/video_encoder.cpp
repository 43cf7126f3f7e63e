#include "tools/video/video_encoder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/common/output_file.h"
#include "tools/common/tool_error.h"
#include "tools/video/process_pipe.h"

namespace flightreplay::video {

using tools::ToolError;

namespace {

std::string ffmpegCommand(const VideoSettings& settings, const std::string& output)
{
    const std::string size = std::to_string(settings.width) + "x" + std::to_string(settings.height);
    // yuv420p and +faststart so that browsers and phone galleries play it
    // and can start before the whole file has arrived. The superfast preset
    // takes about two thirds of veryfast's processor time for a somewhat
    // larger file: encoding shares the processor with a software renderer.
    return "ffmpeg -hide_banner -loglevel error -y"
           " -f rawvideo -pix_fmt rgba -s " + size + " -framerate " + std::to_string(settings.fps) +
           " -i pipe:0 -an -c:v libx264 -preset superfast -crf 20 -pix_fmt yuv420p"
           " -movflags +faststart -f mp4 " + shellQuote(output);
}

} // namespace

void checkVideoSettings(const VideoSettings& settings)
{
    if (settings.width <= 0 || settings.height <= 0 || settings.width % 2 || settings.height % 2)
        throw ToolError("video size " + std::to_string(settings.width) + "x" + std::to_string(settings.height) +
                        ": width and height must be even and positive");
    if (settings.fps <= 0)
        throw ToolError("video frame rate must be positive");
    if (!settings.force && tools::fileExists(settings.path))
        throw ToolError(settings.path + ": exists already (--force replaces it)");
    if (!commandSucceeds("ffmpeg -version"))
        throw ToolError("ffmpeg: not found; it comes in the Debian package ffmpeg (apt-get install ffmpeg)");
}

VideoEncoder::VideoEncoder(const VideoSettings& settings)
    : settings_(settings), partPath_(settings.path + ".part")
{
    checkVideoSettings(settings);
    // Opened here first so that a folder that cannot take the file is
    // reported before any frame is rendered.
    std::FILE* probe = std::fopen(partPath_.c_str(), "wb");
    if (!probe)
        throw ToolError(partPath_ + ": cannot create: " + std::strerror(errno));
    std::fclose(probe);

    ignoreBrokenPipes();
    try {
        pipe_ = std::make_unique<WritePipe>(ffmpegCommand(settings_, partPath_));
    } catch (...) {
        tools::removeQuietly(partPath_);
        throw;
    }
    const size_t frameBytes = static_cast<size_t>(settings.width) * static_cast<size_t>(settings.height) * 4;
    const int count = settings.queueFrames > 0 ? settings.queueFrames + 1 : 2;
    buffers_.resize(static_cast<size_t>(count));
    for (size_t i = 0; i < buffers_.size(); ++i) {
        buffers_[i].resize(frameBytes);
        free_.push_back(i);
    }
    writer_ = std::thread([this] { writeFrames(); });
}

VideoEncoder::~VideoEncoder()
{
    if (!done_)
        abort();
}

uint8_t* VideoEncoder::nextFrame()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !free_.empty() || failed_; });
    if (failed_)
        throw ToolError(settings_.path + ": ffmpeg stopped taking frames");
    filling_ = free_.front();
    free_.pop_front();
    haveFilling_ = true;
    return buffers_[filling_].data();
}

void VideoEncoder::submitFrame()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!haveFilling_)
        return;
    queued_.push_back(filling_);
    haveFilling_ = false;
    changed_.notify_all();
}

void VideoEncoder::writeFrames()
{
    const size_t rowBytes = static_cast<size_t>(settings_.width) * 4;
    const size_t rows = static_cast<size_t>(settings_.height);
    for (;;) {
        size_t index = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return !queued_.empty() || stopping_; });
            if (queued_.empty() || (stopping_ && !drain_))
                return;
            index = queued_.front();
            queued_.pop_front();
        }
        // OpenGL reads rows bottom-up; the video wants them top-down.
        const uint8_t* frame = buffers_[index].data();
        bool ok = true;
        for (size_t row = rows; ok && row-- > 0;)
            ok = pipe_->write(frame + row * rowBytes, rowBytes);
        std::lock_guard<std::mutex> lock(mutex_);
        free_.push_back(index);
        if (ok)
            ++written_;
        else
            failed_ = true;
        changed_.notify_all();
        if (!ok)
            return;
    }
}

void VideoEncoder::stopWriter(bool drain)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        drain_ = drain;
        changed_.notify_all();
    }
    if (writer_.joinable())
        writer_.join();
}

void VideoEncoder::finish()
{
    if (done_)
        return;
    done_ = true;
    stopWriter(true);
    const int status = pipe_->close();
    if (failed_ || status != 0) {
        tools::removeQuietly(partPath_);
        throw ToolError(settings_.path + ": ffmpeg failed" +
                        (status > 0 ? " with exit status " + std::to_string(status) : std::string()));
    }
    tools::renameIntoPlace(partPath_, settings_.path);
}

void VideoEncoder::abort()
{
    if (done_)
        return;
    done_ = true;
    stopWriter(false);
    pipe_->close();
    tools::removeQuietly(partPath_);
}

int64_t VideoEncoder::framesWritten() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return written_;
}

} // namespace flightreplay::video
