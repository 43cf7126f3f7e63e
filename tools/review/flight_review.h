#pragma once
// What went wrong in a flight: checks over the log's own fields (vibration,
// clipping, estimator, GPS, battery, board power, motors, failsafes, errors,
// link, compass), each finding with its span, the measured value beside the
// threshold it crossed, and one line a pilot understands. Only the armed,
// airborne part of the flight is judged (review_window.h); the thresholds are
// the table of review_thresholds.h.

#include <string>
#include <vector>

#include "tools/flight/field_catalogue.h"
#include "tools/flight/flight.h"

namespace flightreplay::review {

enum class FindingKind { vibration, clipping, ekf, gps, battery, power, motors, failsafe, link, compass, error };
enum class Severity { warning, failure };

struct Finding {
    FindingKind kind;
    Severity severity;
    double start, end;        // seconds from the first fix, as flightreplay-convert --list counts them
    double value, threshold;  // the measured value beside the threshold it crossed
    std::string unit;         // "m/s²", "V", "", ...
    std::string text;         // one line a pilot understands
};

struct Review {
    std::vector<Finding> findings;
    std::vector<std::string> notes; // what could not be judged and why, each once
};

// The review of a flight: findings in time order, causes before consequences
// (at the same moment a vibration or a motor comes before the estimator it
// upsets); neighbouring spans of one finding merged, at most a few dozen in
// all. Reads the fields it needs from the flight's log in one pass
// (field_catalogue.h); a flight without them gets notes, not an all-clear.
Review reviewFlight(const flight::Flight& flight);

// The fields (every instance) the review reads: given to the reader as
// readers::ReadOptions::keepFields, the review reads the file only once.
std::vector<flight::FieldKey> reviewFieldKeys();

// "vibration", "clipping", "ekf", "gps", "battery", "power", "motors",
// "failsafe", "link", "compass", "error".
const char* kindWord(FindingKind kind);
// "warning", "failure".
const char* severityWord(Severity severity);

// "70 / 60 m/s²": the measured value beside the threshold it crossed
// ("%.4g" each), with the unit where it has one.
std::string valueAgainstThreshold(const Finding& finding);

// {"findings": [{"kind", "severity", "start", "end", "value", "threshold",
// "unit", "text"}], "notes": [...]}, UTF-8, one line per finding.
std::string reviewJson(const Review& review);

// The review as a table for a person: time span, severity, kind, text,
// value against threshold; then the notes.
std::string reviewTable(const Review& review);

} // namespace flightreplay::review
