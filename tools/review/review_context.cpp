#include "tools/review/review_context.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/flight/field_catalogue.h"
#include "tools/review/review_thresholds.h"
#include "tools/review/review_window.h"

namespace flightreplay::review {

using namespace flight;

namespace {

constexpr size_t SPANS_PER_SUBJECT = 3;

} // namespace

ReviewContext::ReviewContext(const Flight& data, const std::vector<FieldKey>& keys) : flight(data)
{
    if (!data.position.empty())
        zero = data.position.front().t;
    if (data.fields) {
        std::vector<std::string> names;
        std::vector<const FieldInfo*> infos;
        for (const FieldInfo& info : data.fields->fields())
            for (const FieldKey& key : keys)
                if (info.message == key.message && info.field == key.field) {
                    // What the source holds in memory is used in place.
                    const Series* held = data.fieldSource ? data.fieldSource->held(info.name) : nullptr;
                    if (held) {
                        fields_[{info.message, info.instance}][info.field] = held;
                    } else {
                        names.push_back(info.name);
                        infos.push_back(&info);
                    }
                }
        owned_ = readFields(data, names);
        for (size_t i = 0; i < infos.size(); ++i)
            fields_[{infos[i]->message, infos[i]->instance}][infos[i]->field] = &owned_[i];
    }
    flightWindows(*this);
}

const Series* ReviewContext::field(const std::string& message, const std::string& name, int instance) const
{
    const auto m = fields_.find({message, instance});
    if (m == fields_.end())
        return nullptr;
    const auto f = m->second.find(name);
    return f == m->second.end() || f->second->empty() ? nullptr : f->second;
}

std::vector<int> ReviewContext::instances(const std::string& message, const std::string& name) const
{
    std::vector<int> out;
    for (const auto& [key, fields] : fields_)
        if (key.first == message && field(message, name, key.second))
            out.push_back(key.second);
    return out;
}

void ReviewContext::add(FindingKind kind, Severity severity, const Span& span, double limit, const std::string& unit,
                        const std::string& text)
{
    findings.push_back({kind, severity, span.start - zero, span.end - zero, span.value, limit, unit, text});
}

void ReviewContext::note(const std::string& text)
{
    if (std::find(notes.begin(), notes.end(), text) == notes.end())
        notes.push_back(text);
}

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

std::vector<Span> capSpans(std::vector<Span> spans, size_t max)
{
    if (spans.size() <= max || max == 0)
        return spans;
    // The max - 1 widest gaps stay; the spans between them become one.
    std::vector<size_t> gaps(spans.size() - 1);
    for (size_t i = 0; i < gaps.size(); ++i)
        gaps[i] = i;
    std::stable_sort(gaps.begin(), gaps.end(), [&](size_t a, size_t b) {
        return spans[a + 1].start - spans[a].end > spans[b + 1].start - spans[b].end;
    });
    std::vector<bool> cut(spans.size(), false);
    for (size_t k = 0; k + 1 < max; ++k)
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

void levelFindings(ReviewContext& review, const Series& series, const Windows& windows, double warning, double failure,
                   bool above, double minSeconds, FindingKind kind, const std::string& unit,
                   const std::function<std::string(Severity, double)>& text)
{
    const auto worse = [above](double a, double b) { return above ? a > b : a < b; };
    const auto beyond = [above](double limit) {
        return [above, limit](double v) { return above ? v > limit : v < limit; };
    };
    const std::vector<Span> failing = spansWhere(series, windows, beyond(failure), worse, minSeconds);
    std::vector<Span> spans = spansWhere(series, windows, beyond(warning), worse, minSeconds);
    const size_t warned = spans.size();
    for (const Span& f : failing) {
        // A failure stretch inside no warning span (a level met only in short
        // bursts at the warning level) still counts.
        const auto first = std::lower_bound(spans.begin(), spans.begin() + static_cast<long>(warned), f.start,
                                            [](const Span& s, double t) { return s.end < t; });
        const bool covered = first != spans.begin() + static_cast<long>(warned) && first->start <= f.start;
        if (!covered)
            spans.push_back(f);
    }
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
    // Worse is larger for capSpans' merge: negate where lower is worse.
    if (!above)
        for (Span& s : spans)
            s.value = -s.value;
    spans = capSpans(std::move(spans), SPANS_PER_SUBJECT);
    for (Span& span : spans) {
        if (!above)
            span.value = -span.value;
        const bool failed = std::any_of(failing.begin(), failing.end(), [&](const Span& f) { return f.start >= span.start && f.start <= span.end; });
        const Severity severity = failed ? Severity::failure : Severity::warning;
        review.add(kind, severity, span, failed ? failure : warning, unit, text(severity, span.value));
    }
}

std::string number(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

} // namespace flightreplay::review
