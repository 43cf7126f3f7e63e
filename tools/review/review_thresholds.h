#pragma once
// The one table of the review's thresholds: each with its unit and where it
// comes from (the autopilot projects' published levels, else our reason).
// The README reproduces it; the tests read it.

#include <string>
#include <vector>

namespace flightreplay::review {

struct Threshold {
    const char* id;     // "vibration.ardupilot.failure", ...
    double value;
    const char* unit;   // as findings carry it
    const char* source; // the published level it follows, or why we chose it
};

const std::vector<Threshold>& reviewThresholds();

// The value of the threshold id; throws std::logic_error for an id the
// table lacks (a mistake in the review, not in a log).
double threshold(const std::string& id);

} // namespace flightreplay::review
