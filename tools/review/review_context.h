#pragma once
// What every check of the review works with: the fields it asked for, read
// once; the armed and airborne windows; the findings and notes gathered.

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/flight/flight.h"
#include "tools/review/flight_review.h"

namespace flightreplay::review {

// A stretch of the file's clock, seconds.
struct Window {
    double start;
    double end;
};
using Windows = std::vector<Window>;

// A message's field, every instance of it.
struct FieldKey {
    const char* message;
    const char* field;
};

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
    std::map<std::pair<std::string, int>, std::map<std::string, flight::Series>> fields_;
};

// Whether t lies in one of the windows (normalised).
bool inside(const Windows& windows, double t);
// The windows in time order, overlapping ones merged.
void normalise(Windows& windows);

// Spans of the samples within windows where holds(value) is true, each
// sample standing until the next (at most 2 s), held at least minSeconds,
// then merged with neighbours closer than span.merge; the worst value by
// worse(a, b) (true when a is worse than b).
std::vector<Span> spansWhere(const flight::Series& series, const Windows& windows, const std::function<bool(double)>& holds,
                             const std::function<bool(double, double)>& worse, double minSeconds);

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
