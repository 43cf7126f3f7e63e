#pragma once
// A progress bar on standard error for long work, drawn only when standard
// error is a terminal so that logs and pipes get the summary alone.

#include <cstdint>
#include <string>

namespace flightreplay::tools {

class Progress {
public:
    Progress(const std::string& label, int64_t total);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void advance(int64_t steps = 1);

private:
    void draw();

    std::string label_;
    int64_t total_;
    int64_t done_ = 0;
    int shownPercent_ = -1;
    bool visible_;
};

} // namespace flightreplay::tools
