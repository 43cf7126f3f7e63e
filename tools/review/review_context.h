#pragma once
// What every check of the review works with: the fields it asked for, read
// once; the armed and airborne windows; the findings and notes gathered.

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/flight/field_catalogue.h"
#include "tools/flight/flight.h"
#include "tools/review/flight_review.h"

namespace flightreplay::review {

// A stretch of the file's clock, seconds.
struct Window {
    double start;
    double end;
};
using Windows = std::vector<Window>;

using flight::FieldKey;

// A stretch where a check's condition held: seconds on the file's clock and
// the worst value met in it.
struct Span {
    double start;
    double end;
    double value;
};

class ReviewContext {
public:
    ReviewContext(const flight::Flight& flight, const std::vector<FieldKey>& keys);

    const flight::Flight& flight;
    Windows armed;    // armed (the whole log when it tells no arming)
    Windows airborne; // armed and in the air
    Windows steady;   // airborne less margin.seconds at each end

    // The series of message[instance].field; nullptr where the log has none.
    const flight::Series* field(const std::string& message, const std::string& name, int instance = 0) const;
    // The instances of message that carry the field, lowest first.
    std::vector<int> instances(const std::string& message, const std::string& name) const;

    // A finding over span (file clock), kept in seconds from the first fix.
    void add(FindingKind kind, Severity severity, const Span& span, double threshold, const std::string& unit,
             const std::string& text);
    // A note, once however often it is given.
    void note(const std::string& text);

    std::vector<Finding> findings;
    std::vector<std::string> notes;
    double zero = 0; // the first fix, file clock

private:
    // Series the flight's source holds, or owned_ ones read for the review.
    std::map<std::pair<std::string, int>, std::map<std::string, const flight::Series*>> fields_;
    std::vector<flight::Series> owned_;
};

// The table's span.merge, seconds.
double mergeSeconds();

// Whether t lies in one of the windows (normalised).
bool inside(const Windows& windows, double t);
// The windows in time order, overlapping ones merged.
void normalise(Windows& windows);

// inside() for times met in order: a pass over a series costs one walk of
// the windows (times that go back are looked up afresh).
class WindowCursor {
public:
    explicit WindowCursor(const Windows& windows) : windows_(windows) {}
    bool inside(double t)
    {
        if (t < last_)
            next_ = 0;
        last_ = t;
        while (next_ < windows_.size() && windows_[next_].end < t)
            ++next_;
        return next_ < windows_.size() && t >= windows_[next_].start;
    }

private:
    const Windows& windows_;
    size_t next_ = 0;
    double last_ = -INFINITY;
};

// Spans of the samples within windows where holds(value) is true, each
// sample standing until the next (at most 2 s), held at least minSeconds,
// then merged with neighbours closer than span.merge; the worst value by
// worse(a, b) (true when a is worse than b). A template: it runs for every
// sample of every series the review reads.
template <typename Holds, typename Worse>
std::vector<Span> spansWhere(const flight::Series& series, const Windows& windows, Holds holds, Worse worse, double minSeconds)
{
    constexpr double SAMPLE_HOLD = 2.0;
    std::vector<Span> held;
    bool open = false;
    WindowCursor cursor(windows);
    for (size_t i = 0; i < series.size(); ++i) {
        const flight::Sample& s = series[i];
        if (!cursor.inside(s.t) || !holds(s.value)) {
            open = false;
            continue;
        }
        const double until = i + 1 < series.size() ? std::min(series[i + 1].t, s.t + SAMPLE_HOLD) : s.t;
        if (open) {
            held.back().end = until;
            if (worse(s.value, held.back().value))
                held.back().value = s.value;
        } else {
            held.push_back({s.t, until, s.value});
            open = true;
        }
    }
    std::vector<Span> out;
    const double merge = mergeSeconds();
    for (const Span& span : held) {
        if (span.end - span.start < minSeconds)
            continue;
        if (!out.empty() && span.start - out.back().end < merge) {
            out.back().end = span.end;
            if (worse(span.value, out.back().value))
                out.back().value = span.value;
        } else {
            out.push_back(span);
        }
    }
    return out;
}

// At most max spans: the closest neighbours merged first.
std::vector<Span> capSpans(std::vector<Span> spans, size_t max);

// Findings of a level crossed (above: higher is worse): warning spans, each a
// failure where the failure level is crossed within it for minSeconds.
// text(severity, value) words each.
void levelFindings(ReviewContext& review, const flight::Series& series, const Windows& windows, double warning,
                   double failure, bool above, double minSeconds, FindingKind kind, const std::string& unit,
                   const std::function<std::string(Severity, double)>& text);

// "%.1f"-style number text with the given decimals.
std::string number(double value, int decimals);

} // namespace flightreplay::review
