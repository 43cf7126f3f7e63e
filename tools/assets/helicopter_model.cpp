#include "tools/assets/vehicle_builders.h"

namespace flightreplay::assets {

namespace {

enum Paint { YELLOW, CANOPY, GREY, BLACK };

} // namespace

AcModel helicopterModel()
{
    AcModel model{{{0.96, 0.78, 0.10}, {0.14, 0.20, 0.30}, {0.50, 0.50, 0.54}, {0.08, 0.08, 0.08}}, {}};
    auto& parts = model.parts;
    // Fuselage, nose at -x: x, half width, top, bottom.
    const double stations[][4] = {
        {-0.50, 0.02, 0.10, 0.04}, {-0.44, 0.09, 0.20, -0.02}, {-0.30, 0.12, 0.26, -0.06},
        {-0.05, 0.12, 0.27, -0.06}, {0.15, 0.09, 0.24, -0.02}, {0.25, 0.04, 0.20, 0.08},
    };
    std::vector<std::vector<V3>> rings;
    for (const auto& s : stations)
        rings.push_back(bodyRing(s[0], s[1], s[2], s[3]));
    parts.push_back(loft("fuselage", YELLOW, rings));
    rings.clear();
    const double canopy[][4] = {
        {-0.51, 0.01, 0.11, 0.06}, {-0.46, 0.07, 0.19, 0.02}, {-0.36, 0.095, 0.24, 0.04}, {-0.26, 0.05, 0.25, 0.12},
    };
    for (const auto& s : canopy)
        rings.push_back(bodyRing(s[0], s[1], s[2], s[3]));
    parts.push_back(loft("nose", CANOPY, rings));

    parts.push_back(tube("mast", GREY, {-0.05, 0.25, 0.0}, {-0.05, 0.38, 0.0}, 0.015));
    parts.push_back(rotor("main_rotor", BLACK, {-0.05, 0.38, 0.0}, {0, 1, 0}, 0.78, 2, 0.06));
    parts.push_back(tube("tail_boom", YELLOW, {0.2, 0.17, 0.0}, {1.05, 0.2, 0.0}, 0.022));
    parts.push_back(loft("fin", YELLOW, {finRing(0.12, 0.98, 0.12, 0.006), finRing(0.36, 1.04, 0.08, 0.004)}));
    parts.push_back(loft("stabiliser", YELLOW,
                         {wingRing(0.12, 0.86, 0.08, 0.19, 0.008), wingRing(-0.12, 0.86, 0.08, 0.19, 0.008)}));
    parts.push_back(rotor("tail_rotor", BLACK, {1.07, 0.22, 0.035}, {0, 0, 1}, 0.13, 2, 0.025));
    for (double side : {1.0, -1.0}) {
        parts.push_back(tube("skid", BLACK, {-0.34, -0.17, side * 0.17}, {0.22, -0.17, side * 0.17}, 0.01));
        parts.push_back(tube("strut", BLACK, {-0.2, -0.04, side * 0.08}, {-0.22, -0.17, side * 0.17}, 0.008));
        parts.push_back(tube("strut", BLACK, {0.08, -0.02, side * 0.08}, {0.1, -0.17, side * 0.17}, 0.008));
    }
    return model;
}

} // namespace flightreplay::assets
