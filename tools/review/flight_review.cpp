#include "tools/review/flight_review.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/common/number_text.h"
#include "tools/review/review_context.h"
#include "tools/review/review_rules.h"

namespace flightreplay::review {

using namespace flight;

namespace {

constexpr size_t MAX_FINDINGS = 40;

// At one moment, the order a story is told in: what shakes or starves the
// vehicle before what it upsets.
int causeRank(FindingKind kind)
{
    switch (kind) {
    case FindingKind::vibration: return 0;
    case FindingKind::clipping: return 1;
    case FindingKind::power: return 2;
    case FindingKind::motors: return 3;
    case FindingKind::battery: return 4;
    case FindingKind::compass: return 5;
    case FindingKind::gps: return 6;
    case FindingKind::ekf: return 7;
    case FindingKind::link: return 8;
    case FindingKind::failsafe: return 9;
    case FindingKind::error: return 10;
    }
    return 11;
}

void inTellingOrder(std::vector<Finding>& findings)
{
    std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
        const double sa = std::floor(a.start), sb = std::floor(b.start);
        if (sa != sb)
            return sa < sb;
        if (causeRank(a.kind) != causeRank(b.kind))
            return causeRank(a.kind) < causeRank(b.kind);
        return a.start < b.start;
    });
}

std::string jsonText(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string jsonNumber(double value, const char* format)
{
    return tools::numberText(value, format, "null");
}

} // namespace

std::vector<FieldKey> reviewFieldKeys()
{
    std::vector<FieldKey> keys;
    for (const Rule& rule : reviewRules())
        keys.insert(keys.end(), rule.fields.begin(), rule.fields.end());
    return keys;
}

Review reviewFlight(const Flight& flight)
{
    ReviewContext context(flight, reviewFieldKeys());
    if (!flight.fields)
        context.note(std::string("a ") + formatTitle(flight.format) + " file holds no autopilot data: only its fixes and streams are judged");
    for (const Rule& rule : reviewRules())
        rule.check(context);
    Review review;
    review.findings = std::move(context.findings);
    review.notes = std::move(context.notes);
    if (review.findings.size() > MAX_FINDINGS) {
        // The failures first, the earliest of each severity: the rest is
        // told as a count.
        std::stable_sort(review.findings.begin(), review.findings.end(),
                         [](const Finding& a, const Finding& b) { return a.severity == Severity::failure && b.severity != Severity::failure; });
        const size_t left = review.findings.size() - MAX_FINDINGS;
        review.findings.resize(MAX_FINDINGS);
        review.notes.push_back(std::to_string(left) + " more findings left out");
    }
    inTellingOrder(review.findings);
    return review;
}

const char* kindWord(FindingKind kind)
{
    switch (kind) {
    case FindingKind::vibration: return "vibration";
    case FindingKind::clipping: return "clipping";
    case FindingKind::ekf: return "ekf";
    case FindingKind::gps: return "gps";
    case FindingKind::battery: return "battery";
    case FindingKind::power: return "power";
    case FindingKind::motors: return "motors";
    case FindingKind::failsafe: return "failsafe";
    case FindingKind::link: return "link";
    case FindingKind::compass: return "compass";
    case FindingKind::error: return "error";
    }
    return "error";
}

const char* severityWord(Severity severity)
{
    return severity == Severity::failure ? "failure" : "warning";
}

std::string valueAgainstThreshold(const Finding& finding)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.4g / %.4g", finding.value, finding.threshold);
    return text + (finding.unit.empty() ? "" : " " + finding.unit);
}

std::string reviewJson(const Review& review)
{
    std::string out = "{\"findings\": [";
    for (size_t i = 0; i < review.findings.size(); ++i) {
        const Finding& f = review.findings[i];
        out += std::string(i ? ",\n  " : "\n  ") + "{\"kind\": " + jsonText(kindWord(f.kind)) + ", \"severity\": " + jsonText(severityWord(f.severity))
               + ", \"start\": " + jsonNumber(f.start, "%.3f") + ", \"end\": " + jsonNumber(f.end, "%.3f") + ", \"value\": "
               + jsonNumber(f.value, "%.6g") + ", \"threshold\": " + jsonNumber(f.threshold, "%.6g") + ", \"unit\": " + jsonText(f.unit)
               + ", \"text\": " + jsonText(f.text) + "}";
    }
    out += review.findings.empty() ? "], \"notes\": [" : "\n], \"notes\": [";
    for (size_t i = 0; i < review.notes.size(); ++i)
        out += (i ? ", " : "") + jsonText(review.notes[i]);
    return out + "]}\n";
}

std::string reviewTable(const Review& review)
{
    std::string out;
    char line[160];
    if (review.findings.empty()) {
        out += "no findings\n";
    } else {
        out += "      start        end  severity  kind       value / threshold      what\n";
        for (const Finding& f : review.findings) {
            std::snprintf(line, sizeof line, "%9.1f s %9.1f s  %-8s  %-9s  %-21s  ", f.start, f.end, severityWord(f.severity),
                          kindWord(f.kind), valueAgainstThreshold(f).c_str());
            out += line + f.text + "\n";
        }
    }
    for (const std::string& note : review.notes)
        out += "note: " + note + "\n";
    return out;
}

} // namespace flightreplay::review
