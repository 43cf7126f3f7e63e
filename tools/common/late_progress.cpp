#include "tools/common/late_progress.h"

#include <utility>

namespace flightreplay::tools {

LateProgress::LateProgress(std::string label, int64_t total, ProgressUnits units, double delaySeconds,
                           bool linesWhenPiped)
    : label_(std::move(label)), total_(total), units_(std::move(units)), delaySeconds_(delaySeconds),
      linesWhenPiped_(linesWhenPiped),
      started_(std::chrono::steady_clock::now())
{
}

void LateProgress::advance()
{
    ++done_;
    if (!bar_) {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
        if (elapsed < delaySeconds_)
            return;
        bar_ = std::make_unique<Progress>(label_, total_, linesWhenPiped_, units_);
        bar_->advance(done_);
        return;
    }
    bar_->advance();
}

} // namespace flightreplay::tools
