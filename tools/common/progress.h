#pragma once
// The one progress reporter of the tools, on standard error: a bar when
// standard error is a terminal (steps and bytes done, time left), else
// nothing, or for long network work a line every few seconds, so that logs
// and pipes get the summary alone.

#include <chrono>
#include <cstdint>
#include <string>

namespace flightreplay::tools {

class Progress {
public:
    // total steps of the work; with linesWhenPiped, a line every few
    // seconds when standard error is no terminal.
    Progress(const std::string& label, int64_t total, bool linesWhenPiped = false);
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
