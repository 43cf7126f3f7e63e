#pragma once
// Where a check's condition held: the stretches of the file's clock the
// review judges (windows) and the spans found in them. A check walks its
// series once, in place, giving each sample's value to a SpanFinder (or a
// LevelSpans for a warning and a failure level at once), whatever the value
// is derived from: no copy of a series is made to be judged.

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/flight/field_series.h"
#include "tools/flight/flight.h"

namespace flightreplay::review {

// A stretch of the file's clock, seconds.
struct Window {
    double start;
    double end;
};
using Windows = std::vector<Window>;

// A stretch where a check's condition held: seconds on the file's clock and
// the worst value met in it.
struct Span {
    double start;
    double end;
    double value;
};

// Which value of a span is its worst.
enum class Worst { highest, lowest };

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

// Spans of the samples given in time order, within windows, where the
// condition held: each sample standing until the next (at most 2 s), held
// at least minSeconds, then merged with neighbours closer than span.merge.
// The windows must outlive the finder.
class SpanFinder {
public:
    SpanFinder(const Windows& windows, Worst worst, double minSeconds)
        : cursor_(windows), highest_(worst == Worst::highest), minSeconds_(minSeconds), merge_(mergeSeconds())
    {
    }
    // The next sample: seconds on the file's clock, its value and whether
    // the condition holds at it.
    void add(double t, double value, bool holds)
    {
        // The sample before held: it stands until this one.
        if (open_)
            held_.end = std::min(t, lastT_ + SAMPLE_HOLD);
        if (!holds || !cursor_.inside(t)) {
            if (open_)
                close();
            return;
        }
        if (!open_) {
            held_ = {t, t, value};
            open_ = true;
        } else if (worse(value, held_.value)) {
            held_.value = value;
        }
        // Until a next sample tells how long it stood, a sample stands for
        // its moment alone.
        held_.end = t;
        lastT_ = t;
    }
    // The spans, in time order (call once, after the last sample).
    std::vector<Span> spans();

private:
    static constexpr double SAMPLE_HOLD = 2.0;

    bool worse(double a, double b) const { return highest_ ? a > b : a < b; }
    void close();

    WindowCursor cursor_;
    bool highest_;
    double minSeconds_;
    double merge_;
    double lastT_ = 0;
    Span held_{};
    bool open_ = false;
    std::vector<Span> out_;
};

// SpanFinder over a series as it is, holds(value) the condition.
template <typename Holds>
std::vector<Span> spansWhere(flight::FieldSeries series, const Windows& windows, Holds holds, Worst worst, double minSeconds)
{
    SpanFinder finder(windows, worst, minSeconds);
    for (const flight::Sample s : series)
        finder.add(s.t, s.value, holds(s.value));
    return finder.spans();
}

// The most spans one finding of a check is told in.
constexpr size_t SPANS_PER_SUBJECT = 3;

// At most SPANS_PER_SUBJECT spans: the closest neighbours merged first.
std::vector<Span> capSpans(std::vector<Span> spans);

// The spans beyond a warning and a failure level (above: higher is worse)
// of the samples given in time order, found in one walk.
class LevelSpans {
public:
    LevelSpans(const Windows& windows, double warningLevel, double failureLevel, bool higherIsWorse, double minSeconds)
        : warning(warningLevel), failure(failureLevel), above(higherIsWorse),
          warned_(windows, above ? Worst::highest : Worst::lowest, minSeconds),
          failed_(windows, above ? Worst::highest : Worst::lowest, minSeconds)
    {
    }
    void add(double t, double value)
    {
        warned_.add(t, value, beyond(value, warning));
        failed_.add(t, value, beyond(value, failure));
    }
    // Each finder's spans (call once, after the last sample).
    std::vector<Span> warned() { return warned_.spans(); }
    std::vector<Span> failed() { return failed_.spans(); }

    const double warning, failure;
    const bool above;

private:
    bool beyond(double value, double limit) const { return above ? value > limit : value < limit; }

    SpanFinder warned_, failed_;
};

} // namespace flightreplay::review
