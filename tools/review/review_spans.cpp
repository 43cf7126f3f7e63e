#include "tools/review/review_spans.h"

#include "tools/review/review_thresholds.h"

namespace flightreplay::review {

double mergeSeconds()
{
    static const double seconds = threshold("span.merge");
    return seconds;
}

bool inside(const Windows& windows, double t)
{
    // Windows are in order and apart (normalised): the last starting at or
    // before t is the only one that can hold it.
    const auto after = std::upper_bound(windows.begin(), windows.end(), t, [](double time, const Window& w) { return time < w.start; });
    return after != windows.begin() && t <= (after - 1)->end;
}

void normalise(Windows& windows)
{
    std::sort(windows.begin(), windows.end(), [](const Window& a, const Window& b) { return a.start < b.start; });
    Windows merged;
    for (const Window& w : windows) {
        if (!merged.empty() && w.start <= merged.back().end)
            merged.back().end = std::max(merged.back().end, w.end);
        else
            merged.push_back(w);
    }
    windows = std::move(merged);
}

std::vector<Span> SpanFinder::spans()
{
    close();
    return std::move(out_);
}

void SpanFinder::close()
{
    if (!open_)
        return;
    open_ = false;
    if (held_.end - held_.start < minSeconds_)
        return;
    if (!out_.empty() && held_.start - out_.back().end < merge_) {
        out_.back().end = held_.end;
        if (worse(held_.value, out_.back().value))
            out_.back().value = held_.value;
    } else {
        out_.push_back(held_);
    }
}

std::vector<Span> capSpans(std::vector<Span> spans)
{
    if (spans.size() <= SPANS_PER_SUBJECT)
        return spans;
    // The SPANS_PER_SUBJECT - 1 widest gaps stay; the spans between them
    // become one.
    std::vector<size_t> gaps(spans.size() - 1);
    for (size_t i = 0; i < gaps.size(); ++i)
        gaps[i] = i;
    std::stable_sort(gaps.begin(), gaps.end(), [&](size_t a, size_t b) {
        return spans[a + 1].start - spans[a].end > spans[b + 1].start - spans[b].end;
    });
    std::vector<bool> cut(spans.size(), false);
    for (size_t k = 0; k + 1 < SPANS_PER_SUBJECT; ++k)
        cut[gaps[k]] = true;
    std::vector<Span> out;
    for (size_t i = 0; i < spans.size(); ++i) {
        if (i > 0 && !cut[i - 1]) {
            out.back().end = spans[i].end;
            out.back().value = std::max(out.back().value, spans[i].value);
        } else {
            out.push_back(spans[i]);
        }
    }
    return out;
}

} // namespace flightreplay::review
