#include "tools/readers/time_unit_guess.h"

#include <algorithm>
#include <cmath>

namespace flightreplay::readers {

namespace {

constexpr double YEAR2000 = 946684800.0;  // s since 1970
constexpr double YEAR2100 = 4102444800.0; // s since 1970
constexpr double LONGEST_LOG = 2 * 86400.0;
constexpr double USUAL_SPACING = 0.2; // s

struct Candidate {
    TimeUnit unit;
    double seconds; // per unit written
    const char* name;
};
constexpr Candidate UNITS[] = {
    {TimeUnit::Seconds, 1.0, "seconds"},
    {TimeUnit::Milliseconds, 1e-3, "milliseconds"},
    {TimeUnit::Microseconds, 1e-6, "microseconds"},
};

} // namespace

TimeUnitGuess guessTimeUnit(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::vector<double> steps;
    for (size_t i = 1; i < times.size(); ++i)
        if (times[i] > times[i - 1])
            steps.push_back(times[i] - times[i - 1]);
    if (steps.empty()) {
        for (const Candidate& c : UNITS)
            if (times.front() * c.seconds >= YEAR2000 && times.front() * c.seconds < YEAR2100)
                return {c.unit, std::string(c.name) + " since 1970"};
        return {TimeUnit::Seconds, "seconds"};
    }
    std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2), steps.end());
    const double spacing = steps[steps.size() / 2];
    const double span = times.back() - times.front();
    // Microseconds since boot can look like a date in seconds: a date counts
    // only where its rows come at a log's pace too. On a tie the date wins.
    const Candidate* best = nullptr;
    bool bestEpoch = false;
    double bestDistance = 0.0;
    for (const bool epoch : {true, false}) {
        for (const Candidate& c : UNITS) {
            const double first = times.front() * c.seconds;
            if (span * c.seconds > LONGEST_LOG || (epoch && !(first >= YEAR2000 && first < YEAR2100)))
                continue;
            const double distance = std::fabs(std::log10(spacing * c.seconds / USUAL_SPACING));
            if (!best || distance < bestDistance) {
                best = &c;
                bestEpoch = epoch;
                bestDistance = distance;
            }
        }
    }
    if (!best)
        return {TimeUnit::Seconds, "seconds"};
    return {best->unit, std::string(best->name) + (bestEpoch ? " since 1970" : " since the clock's start")};
}

} // namespace flightreplay::readers
