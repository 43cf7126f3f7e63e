#include "tools/assets/vehicle_builders.h"

#include <cmath>

namespace flightreplay::assets {

namespace {

enum Paint { LIGHT, RED, GREY, BLACK };

} // namespace

AcModel vtolModel()
{
    AcModel model{{{0.86, 0.87, 0.88}, {0.88, 0.14, 0.10}, {0.45, 0.46, 0.50}, {0.08, 0.08, 0.08}}, {}};
    auto& parts = model.parts;
    parts.push_back(loft("nose", RED, {bodyRing(-0.6, 0.01, 0.03, 0.01), bodyRing(-0.5, 0.06, 0.09, -0.05)}));
    const double stations[][4] = {
        {-0.5, 0.06, 0.09, -0.05}, {-0.3, 0.08, 0.12, -0.07}, {0.2, 0.07, 0.11, -0.06}, {0.58, 0.03, 0.07, 0.0},
    };
    std::vector<std::vector<V3>> rings;
    for (const auto& s : stations)
        rings.push_back(bodyRing(s[0], s[1], s[2], s[3]));
    parts.push_back(loft("fuselage", LIGHT, rings));

    auto wingAt = [](double z) {
        const double f = std::fabs(z);
        return wingRing(z, -0.15 + 0.04 * f, 0.28 - 0.1 * f, 0.1 + 0.03 * f, 0.03 - 0.01 * f);
    };
    parts.push_back(loft("wing", LIGHT, {wingAt(1.0), wingAt(0.0), wingAt(-1.0)}));
    const double boom = 0.38;
    for (double side : {1.0, -1.0}) {
        const double z = side * boom;
        parts.push_back(tube("boom", GREY, {-0.45, 0.08, z}, {0.78, 0.08, z}, 0.018));
        parts.push_back(loft("fin", LIGHT, {finRing(0.08, 0.66, 0.14, 0.008), finRing(0.26, 0.74, 0.08, 0.006)}));
        shift(parts.back(), {0.0, 0.0, z});
        for (double x : {-0.42, 0.62}) {
            parts.push_back(tube("motor", BLACK, {x, 0.09, z}, {x, 0.13, z}, 0.02));
            parts.push_back(rotor("lift_rotor", BLACK, {x, 0.135, z}, {0, 1, 0}, 0.19, 2, 0.03));
        }
    }
    parts.push_back(
        loft("tailplane", LIGHT, {wingRing(boom, 0.68, 0.12, 0.1, 0.012), wingRing(-boom, 0.68, 0.12, 0.1, 0.012)}));
    parts.push_back(rotor("pusher", BLACK, {0.6, 0.035, 0.0}, {1, 0, 0}, 0.12, 2, 0.025));
    return model;
}

} // namespace flightreplay::assets
