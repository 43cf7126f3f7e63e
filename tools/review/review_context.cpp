#include "tools/review/review_context.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/flight/field_catalogue.h"
#include "tools/review/review_thresholds.h"
#include "tools/review/review_window.h"

namespace flightreplay::review {

using namespace flight;

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
                    const FieldSeries held = data.fieldSource ? data.fieldSource->held(info.name) : FieldSeries();
                    if (held) {
                        fields_[{info.message, info.instance}][info.field] = held;
                    } else {
                        names.push_back(info.name);
                        infos.push_back(&info);
                    }
                }
        owned_ = readFields(data, names);
        for (size_t i = 0; i < infos.size(); ++i)
            fields_[{infos[i]->message, infos[i]->instance}][infos[i]->field] = owned_[i];
    }
    flightWindows(*this);
}

FieldSeries ReviewContext::field(const std::string& message, const std::string& name, int instance) const
{
    const auto m = fields_.find({message, instance});
    if (m == fields_.end())
        return {};
    const auto f = m->second.find(name);
    return f == m->second.end() ? FieldSeries() : f->second;
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

void levelFindings(ReviewContext& review, LevelSpans&& level, FindingKind kind, const std::string& unit,
                   const std::function<std::string(Severity, double)>& text)
{
    const bool above = level.above;
    const std::vector<Span> failing = level.failed();
    std::vector<Span> spans = level.warned();
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
    spans = capSpans(std::move(spans));
    for (Span& span : spans) {
        if (!above)
            span.value = -span.value;
        const bool failed = std::any_of(failing.begin(), failing.end(), [&](const Span& f) { return f.start >= span.start && f.start <= span.end; });
        const Severity severity = failed ? Severity::failure : Severity::warning;
        review.add(kind, severity, span, failed ? level.failure : level.warning, unit, text(severity, span.value));
    }
}

void levelFindings(ReviewContext& review, FieldSeries series, const Windows& windows, double warning, double failure,
                   bool above, double minSeconds, FindingKind kind, const std::string& unit,
                   const std::function<std::string(Severity, double)>& text)
{
    LevelSpans level(windows, warning, failure, above, minSeconds);
    for (const Sample s : series)
        level.add(s.t, s.value);
    levelFindings(review, std::move(level), kind, unit, text);
}

std::string number(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

} // namespace flightreplay::review
