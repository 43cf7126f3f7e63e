#include "tools/assets/vehicle_builders.h"

#include <array>
#include <cmath>

#include "log/units.h"

namespace flightreplay::assets {

namespace {

enum Paint { WHITE, RED, CANOPY };

std::vector<std::vector<V3>> bodyRings(const std::vector<std::array<double, 4>>& stations)
{
    std::vector<std::vector<V3>> rings;
    for (const auto& s : stations)
        rings.push_back(bodyRing(s[0], s[1], s[2], s[3]));
    return rings;
}

} // namespace

AcModel gliderModel()
{
    AcModel model{{{0.97, 0.97, 0.95}, {0.88, 0.14, 0.10}, {0.16, 0.22, 0.32}}, {}};
    auto& parts = model.parts;
    parts.push_back(
        loft("nose", RED, bodyRings({{-3.2, 0.03, 0.03, -0.03}, {-3.0, 0.2, 0.22, -0.24}, {-2.7, 0.3, 0.33, -0.33}})));
    parts.push_back(loft("fuselage", WHITE,
                         bodyRings({{-2.7, 0.3, 0.33, -0.33},
                                    {-1.6, 0.32, 0.4, -0.36},
                                    {-0.6, 0.3, 0.36, -0.3},
                                    {0.2, 0.16, 0.18, -0.16},
                                    {1.5, 0.09, 0.1, -0.08},
                                    {3.0, 0.07, 0.08, -0.05},
                                    {3.5, 0.06, 0.08, -0.03}})));
    parts.push_back(loft("canopy", CANOPY,
                         bodyRings({{-2.6, 0.02, 0.34, 0.3},
                                    {-2.2, 0.22, 0.55, 0.3},
                                    {-1.6, 0.26, 0.63, 0.34},
                                    {-1.0, 0.12, 0.55, 0.38},
                                    {-0.8, 0.02, 0.42, 0.4}})));

    // Long slender wing on the shoulder, 3 degrees of dihedral, red tips.
    const double halfSpan = 7.5;
    const double dihedral = std::tan(3.0 * MAP_PI / 180.0);
    auto wingAt = [&](double z) {
        const double f = std::fabs(z) / halfSpan;
        return wingRing(z, -0.9 + 0.3 * f, 0.95 - 0.6 * f, 0.25 + std::fabs(z) * dihedral, 0.14 - 0.09 * f);
    };
    parts.push_back(loft("wing_left_tip", RED, {wingAt(halfSpan), wingAt(6.8)}));
    parts.push_back(loft("wing", WHITE, {wingAt(6.8), wingAt(0.0), wingAt(-6.8)}));
    parts.push_back(loft("wing_right_tip", RED, {wingAt(-6.8), wingAt(-halfSpan)}));

    // T-tail.
    parts.push_back(loft("fin", WHITE, {finRing(0.08, 2.7, 0.85, 0.04), finRing(1.25, 3.15, 0.5, 0.025)}));
    auto tailAt = [](double z) {
        const double f = std::fabs(z) / 1.4;
        return wingRing(z, 3.1 + 0.1 * f, 0.5 - 0.2 * f, 1.25, 0.04);
    };
    parts.push_back(loft("tailplane", RED, {tailAt(1.4), tailAt(0.0), tailAt(-1.4)}));
    return model;
}

} // namespace flightreplay::assets
