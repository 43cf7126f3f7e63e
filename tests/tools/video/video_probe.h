#pragma once
// What ffprobe and ffmpeg say about a video file, for the recording tests.

#include <cstdint>
#include <string>
#include <vector>

namespace videotest {

struct VideoFacts {
    std::string codec;
    std::string pixelFormat;
    int width = 0;
    int height = 0;
    int64_t frames = 0;
    double durationS = 0;
};

// Standard output of a shell command.
std::string commandOutput(const std::string& command);

// The first video stream's facts, frames counted by decoding.
VideoFacts probeVideo(const std::string& path);

// The frame at index decoded as RGB, 3 bytes a pixel, rows top-down.
std::vector<uint8_t> decodeFrame(const std::string& path, int index, int width, int height);

// Peak signal-to-noise ratio in dB of two RGB pictures of the same size.
double psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

bool exists(const std::string& path);

} // namespace videotest
