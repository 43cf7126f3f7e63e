#pragma once
// What every check of the review works with: the fields it asked for, read
// once; the armed and airborne windows; the findings and notes gathered.

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/flight/field_catalogue.h"
#include "tools/flight/flight.h"
#include "tools/review/flight_review.h"
#include "tools/review/review_spans.h"

namespace flightreplay::review {

using flight::FieldKey;

class ReviewContext {
public:
    ReviewContext(const flight::Flight& flight, const std::vector<FieldKey>& keys);

    const flight::Flight& flight;
    Windows armed;    // armed (the whole log when it tells no arming)
    Windows airborne; // armed and in the air
    Windows steady;   // airborne less margin.seconds at each end

    // The samples of message[instance].field; empty where the log has none.
    flight::FieldSeries field(const std::string& message, const std::string& name, int instance = 0) const;
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
    std::map<std::pair<std::string, int>, std::map<std::string, flight::FieldSeries>> fields_;
    std::vector<flight::Series> owned_;
};

// Findings of a level crossed: warning spans, each a failure where the
// failure level is crossed within it for minSeconds. text(severity, value)
// words each.
void levelFindings(ReviewContext& review, LevelSpans&& level, FindingKind kind, const std::string& unit,
                   const std::function<std::string(Severity, double)>& text);
// The same over a series as it is (above: higher is worse).
void levelFindings(ReviewContext& review, flight::FieldSeries series, const Windows& windows, double warning,
                   double failure, bool above, double minSeconds, FindingKind kind, const std::string& unit,
                   const std::function<std::string(Severity, double)>& text);

// "%.1f"-style number text with the given decimals.
std::string number(double value, int decimals);

} // namespace flightreplay::review
