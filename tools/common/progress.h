#pragma once
// The one progress reporter of the tools, on standard error: a bar when
// standard error is a terminal (steps and bytes done, rate, time left), else
// nothing, or for long work a line every few seconds, so that logs and pipes
// get the summary alone.

#include <chrono>
#include <cstdint>
#include <string>

namespace flightreplay::tools {

// What the steps are called ("frames") and, when not empty, the name of
// their rate per second ("fps"), which is then shown.
struct ProgressUnits {
    std::string steps;
    std::string rate;
};

// The figures beside the bar: "done/total steps, bytes MB, rate, m:ss left";
// bytes only when positive, the time left once elapsedSeconds passes one
// second with work still to do.
std::string progressStatus(int64_t done, int64_t total, int64_t bytes, double elapsedSeconds,
                           const ProgressUnits& units);

class Progress {
public:
    // total steps of the work; with linesWhenPiped, a line every few
    // seconds when standard error is no terminal.
    Progress(const std::string& label, int64_t total, bool linesWhenPiped = false, ProgressUnits units = {});
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void advance(int64_t steps = 1);

    // Sets the bytes transferred so far, shown beside the steps.
    void setBytes(int64_t bytes);

private:
    void draw(bool force);
    std::string status() const;

    std::string label_;
    ProgressUnits units_;
    int64_t total_;
    int64_t done_ = 0;
    int64_t bytes_ = 0;
    int shownPercent_ = -1;
    bool terminal_;
    bool lines_;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point shown_;
};

} // namespace flightreplay::tools
