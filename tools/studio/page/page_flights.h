#pragma once
// The flights as the page plays them: per flight its samples (thinned, see
// track_thinning.h), the track's colourings, modes, events and messages on
// the studio's clock, its review ({"findings": [{"kind", "severity",
// "colour", "start", "end", "value", "threshold", "unit", "text"}], "notes"},
// flight_review.h), and the vehicle models they fly.

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/studio/studio_state.h"

namespace flightreplay::page {

// At most this many samples over all flights: beyond it the tolerances of
// the thinning double until the flights fit.
constexpr size_t MAX_PAGE_SAMPLES = 30000;
// At most this many messages a flight.
constexpr size_t MAX_PAGE_MESSAGES = 5000;

// Largest error of a left-out sample at the first try: position in metres,
// attitude as a quaternion's components (about half a degree), and the
// numbers shown to a tenth within half their last digit.
constexpr double POSITION_TOLERANCE_METRES = 0.2;
constexpr double ATTITUDE_TOLERANCE = 0.004;
constexpr double ATTITUDE_TOLERANCE_DEGREES = 0.5;

struct PageFlights {
    nlohmann::json flights = nlohmann::json::array();
    nlohmann::json models = nlohmann::json::array(); // one per distinct model, flights name theirs by index
    std::vector<std::string> notes;                 // one line per kind of model made up
};

// The state's flights (read, aligned on the clock, map frame set up) with
// their models as the studio chooses them (modelOption: --model). Times in
// seconds from each flight's first fix; the clock puts a flight's first fix
// at its offset. Throws tools::ToolError for a --model that cannot be read.
PageFlights pageFlights(const studio::StudioState& state, const std::string& modelOption);

} // namespace flightreplay::page
