#pragma once
// Progress of a recording on standard error: a bar with frames, frames per
// second and time left, redrawn in place on a terminal; a plain line every
// few seconds otherwise, so that logs stay readable.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace flightreplay::video {

// One line of progress for frames done of total after elapsed seconds; with
// a bar when forTerminal.
std::string progressLine(int64_t done, int64_t total, double elapsedSeconds, bool forTerminal);

class RecordProgress {
public:
    // Draws to out; as a bar when out is a terminal.
    RecordProgress(int64_t totalFrames, std::FILE* out = stderr);
    // Ends the bar's line.
    ~RecordProgress();
    RecordProgress(const RecordProgress&) = delete;
    RecordProgress& operator=(const RecordProgress&) = delete;

    void frameDone();

private:
    using Clock = std::chrono::steady_clock;

    int64_t total_;
    int64_t done_ = 0;
    std::FILE* out_;
    bool terminal_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point shown_ = start_;
};

} // namespace flightreplay::video
