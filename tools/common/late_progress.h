#pragma once
// The tools' progress bar for work that is usually quick: it appears only
// once the work has gone on for a while, so that a short export prints
// nothing.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "tools/common/progress.h"

namespace flightreplay::tools {

class LateProgress {
public:
    // The bar (Progress with these arguments) appears at the first step
    // after `delaySeconds`.
    LateProgress(std::string label, int64_t total, ProgressUnits units, double delaySeconds = 2.0,
                 bool linesWhenPiped = true);

    void advance();

private:
    std::string label_;
    int64_t total_;
    ProgressUnits units_;
    double delaySeconds_;
    bool linesWhenPiped_;
    int64_t done_ = 0;
    std::chrono::steady_clock::time_point started_;
    std::unique_ptr<Progress> bar_;
};

} // namespace flightreplay::tools
