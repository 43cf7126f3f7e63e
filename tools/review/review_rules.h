#pragma once
// The review's checks, each a small named rule over the fields it names;
// every rule uses what the log's format has and notes what it lacks.

#include <vector>

#include "tools/review/review_context.h"

namespace flightreplay::review {

struct Rule {
    const char* name;
    std::vector<FieldKey> fields;
    void (*check)(ReviewContext&);
};

// Every rule, in the order they run.
const std::vector<Rule>& reviewRules();

void checkVibration(ReviewContext& review);
void checkClipping(ReviewContext& review);
void checkEstimator(ReviewContext& review);
void checkGpsFix(ReviewContext& review);
void checkGpsQuality(ReviewContext& review);
void checkGpsJumps(ReviewContext& review);
void checkBattery(ReviewContext& review);
void checkBoardPower(ReviewContext& review);
void checkMotors(ReviewContext& review);
void checkAutopilotErrors(ReviewContext& review);
void checkMessages(ReviewContext& review);
void checkLink(ReviewContext& review);
void checkCompass(ReviewContext& review);

// The series' value at t: its latest sample at or before t, at most 2 s old;
// NaN where none. For times met in order: one walk of the series in all
// (times that go back are looked up afresh).
class SeriesCursor {
public:
    explicit SeriesCursor(flight::FieldSeries series) : series_(series) {}
    double at(double t)
    {
        if (t < last_)
            next_ = 0;
        last_ = t;
        while (next_ < series_.size() && series_.time(next_) <= t)
            ++next_;
        return next_ > 0 && t - series_.time(next_ - 1) <= 2.0 ? series_[next_ - 1].value : NAN;
    }

private:
    flight::FieldSeries series_;
    size_t next_ = 0;
    double last_ = -INFINITY;
};

} // namespace flightreplay::review
