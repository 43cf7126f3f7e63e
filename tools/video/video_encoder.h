#pragma once
// H.264 MP4 from raw frames through the ffmpeg program. Frames are written
// to the encoder from a thread of its own, through a short queue, so that
// encoding overlaps the rendering of the next frames. The video goes to
// OUT.part and is renamed to OUT only when ffmpeg has finished it.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/video/frame_sink.h"

namespace flightreplay::video {

class WritePipe;

struct VideoSettings {
    std::string path;    // the finished MP4
    int width = 1280;    // pixels, even
    int height = 720;    // pixels, even
    int fps = 30;        // frames per second of the video
    bool force = false;  // replace an existing file at path
    int queueFrames = 3; // frames rendered ahead of the encoder
};

// Throws ToolError when a video with these settings cannot be started: an
// odd or empty size, no frame rate, an existing file at path without force,
// or no ffmpeg (the message then names the Debian package).
void checkVideoSettings(const VideoSettings& settings);

class VideoEncoder : public FrameSink {
public:
    // Starts ffmpeg writing path + ".part". Throws ToolError as
    // checkVideoSettings does, or when the partial file cannot be created.
    explicit VideoEncoder(const VideoSettings& settings);
    // Without finish(): stops the encoder and removes the partial file.
    ~VideoEncoder() override;
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // A buffer of width * height * 4 bytes (RGBA) for the next frame, rows
    // bottom-up as OpenGL reads them back; waits while the queue is full.
    // Throws ToolError when the encoder has failed.
    uint8_t* nextFrame() override;
    // Queues the buffer last returned by nextFrame().
    void submitFrame() override;
    // Writes the queued frames, waits for ffmpeg and renames the file into
    // place; throws ToolError (the partial file removed) on any failure.
    void finish();
    // Stops at once and removes the partial file; finish() no longer applies.
    void abort();

    int64_t framesWritten() const;

private:
    void writeFrames();
    void stopWriter(bool drain);

    VideoSettings settings_;
    std::string partPath_;
    std::unique_ptr<WritePipe> pipe_;
    std::thread writer_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::vector<uint8_t>> buffers_;
    std::deque<size_t> free_;
    std::deque<size_t> queued_;
    size_t filling_ = 0;
    bool haveFilling_ = false;
    bool stopping_ = false;
    bool drain_ = false;
    bool failed_ = false;
    bool done_ = false;
    int64_t written_ = 0;
};

} // namespace flightreplay::video
