#include "tools/book/flight_review_row.h"

#include <cmath>
#include <exception>

#include "tools/review/flight_review.h"

namespace flightreplay::book {

namespace {

void addNote(FlightRow& row, const std::string& note)
{
    row.notes += (row.notes.empty() ? "" : "\n") + note;
}

} // namespace

void addReview(FlightRow& row, const flight::Flight& flight)
{
    review::Review made;
    // The flight is entered whatever becomes of its review.
    try {
        made = review::reviewFlight(flight);
    } catch (const std::exception& failure) {
        addNote(row, std::string("review: not made: ") + failure.what());
        return;
    }
    row.failures = 0;
    row.warnings = 0;
    for (const review::Finding& f : made.findings) {
        ++(f.severity == review::Severity::failure ? row.failures : row.warnings);
        if (f.kind == review::FindingKind::vibration && std::isfinite(f.value) &&
            !(f.value <= row.maxVibration))
            row.maxVibration = f.value;
        row.findings.push_back({review::kindWord(f.kind), review::severityWord(f.severity), f.start, f.end, f.value,
                                f.threshold, f.unit, f.text});
    }
    for (const std::string& note : made.notes)
        addNote(row, "review: " + note);
}

} // namespace flightreplay::book
