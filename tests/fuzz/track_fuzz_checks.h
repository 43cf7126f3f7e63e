#pragma once
// What every track reader's output must hold once the attitude is derived,
// whatever bytes it read: checked by the IGC, CSV and GPX fuzzers.

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "log/units.h"
#include "tools/flight/flight.h"
#include "tools/readers/track_attitude.h"

namespace trackfuzz {

inline void require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

inline void deriveAndCheck(flightreplay::flight::Flight& data)
{
    using flightreplay::flight::Attitude;
    using flightreplay::flight::Fix;
    const bool recorded = !data.attitude.empty();
    for (size_t i = 0; i < data.position.size(); ++i) {
        const Fix& f = data.position[i];
        require(std::isfinite(f.t) && std::isfinite(f.altM), "finite fix time and altitude");
        require(std::fabs(f.latDeg) <= 90.0 && std::fabs(f.lonDeg) <= 180.0, "latitude and longitude in range");
        require(i == 0 || f.t > data.position[i - 1].t, "fixes in strictly increasing time");
    }
    flightreplay::readers::deriveAttitude(data);
    if (!recorded)
        require(data.attitude.size() == data.position.size(), "one derived attitude per fix");
    const double limit = 60.0 * MAP_PI / 180.0 + 1e-12;
    for (const Attitude& a : data.attitude) {
        require(std::isfinite(a.roll) && std::isfinite(a.pitch) && std::isfinite(a.yaw), "finite angles");
        if (!recorded)
            require(std::fabs(a.roll) <= limit && std::fabs(a.pitch) <= limit && std::fabs(a.yaw) <= 3.2,
                    "derived angles within their bounds");
    }
    for (const auto& s : data.groundSpeed)
        require(std::isfinite(s.value) && s.value >= 0.0, "finite, non-negative ground speed");
}

} // namespace trackfuzz
