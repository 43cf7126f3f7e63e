#pragma once
// The review on whatever a reader made of arbitrary bytes: its fields kept
// as the reader read them (keptFieldsFor) or read again from the same bytes, findings bounded in number, spans finite and in
// order, every finding worded, the JSON and table made.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tools/flight/flight.h"
#include "tools/flight/flight_events.h"
#include "tools/flight/flight_tidy.h"
#include "tools/readers/field_sources.h"
#include "tools/review/flight_review.h"

// The review's fields for the reader to keep on every other input, so that
// both ways of reading them are fuzzed.
inline std::vector<flightreplay::flight::FieldKey> keptFieldsFor(size_t size)
{
    return size % 2 == 0 ? flightreplay::review::reviewFieldKeys() : std::vector<flightreplay::flight::FieldKey>{};
}

inline void checkReview(flightreplay::flight::Flight data, const uint8_t* bytes, size_t size)
{
    using namespace flightreplay;
    const auto require = [](bool holds, const char* what) {
        if (!holds) {
            std::fprintf(stderr, "review invariant broken: %s\n", what);
            std::abort();
        }
    };
    flight::tidyStreams(data);
    flight::inferFlightEvents(data);
    if (data.fields) {
        auto again = readers::fieldSourceOf(
            data.format, readers::LogInput{"", std::make_shared<const std::string>(reinterpret_cast<const char*>(bytes), size)}, data.systemId);
        const auto kept = std::dynamic_pointer_cast<const flight::KeptFields>(data.fieldSource);
        data.fieldSource = kept ? kept->withRest(std::move(again)) : std::move(again);
    }
    const review::Review r = review::reviewFlight(data);
    require(r.findings.size() <= 40, "at most 40 findings");
    require(r.notes.size() <= 40, "a bounded number of notes");
    for (const review::Finding& f : r.findings) {
        require(std::isfinite(f.start) && std::isfinite(f.end) && f.start <= f.end, "a finite span, start before end");
        require(!f.text.empty(), "every finding worded");
    }
    require(review::reviewJson(r).size() > 10 && !review::reviewTable(r).empty(), "JSON and table made");
}
