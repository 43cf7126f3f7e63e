#pragma once
// The review on whatever a reader made of arbitrary bytes: its fields read
// again from the same bytes, findings bounded in number, spans finite and in
// order, every finding worded, the JSON and table made.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "tools/flight/flight.h"
#include "tools/flight/flight_events.h"
#include "tools/flight/flight_tidy.h"
#include "tools/readers/field_sources.h"
#include "tools/review/flight_review.h"

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
    if (data.fields)
        data.fieldSource = readers::fieldSourceOf(
            data.format, readers::LogInput{"", std::make_shared<const std::string>(reinterpret_cast<const char*>(bytes), size)}, data.systemId);
    const review::Review r = review::reviewFlight(data);
    require(r.findings.size() <= 40, "at most 40 findings");
    require(r.notes.size() <= 40, "a bounded number of notes");
    for (const review::Finding& f : r.findings) {
        require(std::isfinite(f.start) && std::isfinite(f.end) && f.start <= f.end, "a finite span, start before end");
        require(!f.text.empty(), "every finding worded");
    }
    require(review::reviewJson(r).size() > 10 && !review::reviewTable(r).empty(), "JSON and table made");
}
