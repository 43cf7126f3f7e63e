#include "tools/assets/vehicle_builders.h"

#include <cmath>

#include "log/units.h"

namespace flightreplay::assets {

namespace {

enum TrainerPaint { WHITE, RED, CANOPY, GREY, BLACK };

std::vector<Part> trainerParts()
{
    std::vector<Part> parts;
    // Fuselage, nose at -x: x, half width, top, bottom.
    const double stations[][4] = {
        {-0.43, 0.012, 0.004, -0.016}, {-0.415, 0.034, 0.030, -0.040}, {-0.37, 0.050, 0.054, -0.060},
        {-0.26, 0.058, 0.070, -0.068}, {-0.10, 0.056, 0.076, -0.062}, {0.02, 0.050, 0.074, -0.050},
        {0.10, 0.036, 0.062, -0.034},  {0.20, 0.022, 0.046, -0.018},  {0.34, 0.016, 0.037, -0.008},
        {0.43, 0.011, 0.031, -0.003},
    };
    std::vector<std::vector<V3>> rings;
    for (const auto& s : stations)
        rings.push_back(bodyRing(s[0], s[1], s[2], s[3]));
    parts.push_back(loft("fuselage", WHITE, rings));

    rings.clear();
    const double canopy[][4] = {
        {-0.345, 0.006, 0.060, 0.052}, {-0.31, 0.030, 0.084, 0.054}, {-0.24, 0.036, 0.094, 0.060},
        {-0.17, 0.030, 0.090, 0.064},  {-0.12, 0.006, 0.080, 0.070},
    };
    for (const auto& s : canopy)
        rings.push_back(bodyRing(s[0], s[1], s[2], s[3]));
    parts.push_back(loft("canopy", CANOPY, rings));

    // Wing on top of the fuselage, 6 degrees of dihedral, red tips.
    const double dihedral = std::tan(6.0 * MAP_PI / 180.0);
    auto wingAt = [&](double z) {
        const double f = std::fabs(z) / 0.685;
        return wingRing(z, -0.15 + 0.035 * f, 0.19 - 0.055 * f, 0.078 + std::fabs(z) * dihedral, 0.022 - 0.008 * f);
    };
    parts.push_back(loft("wing_left_tip", RED, {wingAt(0.685), wingAt(0.56)}));
    parts.push_back(loft("wing", WHITE, {wingAt(0.56), wingAt(0.0), wingAt(-0.56)}));
    parts.push_back(loft("wing_right_tip", RED, {wingAt(-0.56), wingAt(-0.685)}));

    auto tailAt = [](double z) {
        const double f = std::fabs(z) / 0.2;
        return wingRing(z, 0.31 + 0.025 * f, 0.11 - 0.035 * f, 0.033, 0.008);
    };
    parts.push_back(loft("tailplane", WHITE, {tailAt(0.2), tailAt(0.0), tailAt(-0.2)}));
    parts.push_back(loft("fin", RED, {finRing(0.03, 0.28, 0.155, 0.004), finRing(0.175, 0.375, 0.07, 0.003)}));
    parts.push_back(loft("underfin", RED, {finRing(0.0, 0.36, 0.07, 0.003), finRing(-0.04, 0.39, 0.04, 0.002)}));

    // Motor pod above the wing's trailing edge, propeller behind it.
    rings.clear();
    const double pod[][2] = {{-0.02, 0.006}, {0.0, 0.017}, {0.09, 0.019}, {0.125, 0.013}};
    for (const auto& s : pod)
        rings.push_back(bodyRing(s[0], s[1], 0.118 + s[1], 0.118 - s[1]));
    parts.push_back(loft("motor", GREY, rings));
    rings.clear();
    rings.push_back(bodyRing(0.125, 0.012, 0.130, 0.106));
    rings.push_back(bodyRing(0.15, 0.002, 0.120, 0.116));
    parts.push_back(loft("spinner", BLACK, rings));

    Part propeller{"propeller", BLACK, {}, {}, {}};
    for (int blade = 0; blade < 2; ++blade) {
        const double a = 0.5 + blade * MAP_PI;
        const V3 along = {0.0, std::cos(a), std::sin(a)};
        const V3 across = {0.0, -std::sin(a), std::cos(a)};
        const V3 hub = {0.132, 0.118, 0.0};
        const int base = static_cast<int>(propeller.vertices.size());
        const double rootWidth = 0.011;
        const double tipWidth = 0.007;
        // A little pitch: the leading side of each blade sits further forward.
        propeller.vertices.push_back(hub + along * 0.008 + across * rootWidth + V3{-0.006, 0, 0});
        propeller.vertices.push_back(hub + along * 0.008 - across * rootWidth + V3{0.006, 0, 0});
        propeller.vertices.push_back(hub + along * 0.076 - across * tipWidth + V3{0.003, 0, 0});
        propeller.vertices.push_back(hub + along * 0.076 + across * tipWidth + V3{-0.003, 0, 0});
        propeller.faces.push_back({base, base + 1, base + 2, base + 3});
        propeller.insides.push_back(hub + V3{1.0, 0, 0});
    }
    parts.push_back(propeller);
    return parts;
}

} // namespace

AcModel fixedWingModel()
{
    return {{{0.96, 0.96, 0.93}, {0.86, 0.16, 0.12}, {0.16, 0.22, 0.32}, {0.48, 0.48, 0.52}, {0.10, 0.10, 0.10}},
            trainerParts()};
}

} // namespace flightreplay::assets
