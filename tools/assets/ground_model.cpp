#include "tools/assets/vehicle_builders.h"

namespace flightreplay::assets {

namespace {

enum Paint { BLUE, WHITE, RED, BLACK };

} // namespace

AcModel groundModel()
{
    AcModel model{{{0.15, 0.36, 0.62}, {0.94, 0.94, 0.92}, {0.88, 0.14, 0.10}, {0.08, 0.08, 0.08}}, {}};
    auto& parts = model.parts;
    // A hull with a pointed bow at -x.
    parts.push_back(loft("nose", RED, {bodyRing(-0.49, 0.01, 0.2, 0.19), bodyRing(-0.45, 0.05, 0.21, 0.15)}));
    const double stations[][4] = {
        {-0.45, 0.05, 0.21, 0.15}, {-0.36, 0.14, 0.22, 0.08}, {-0.22, 0.2, 0.22, 0.05},
        {0.3, 0.21, 0.22, 0.05},   {0.45, 0.19, 0.22, 0.07},
    };
    std::vector<std::vector<V3>> rings;
    for (const auto& s : stations)
        rings.push_back(bodyRing(s[0], s[1], s[2], s[3]));
    parts.push_back(loft("hull", BLUE, rings));
    parts.push_back(box("cabin", WHITE, {-0.12, 0.22, -0.12}, {0.2, 0.32, 0.12}));
    parts.push_back(tube("mast", BLACK, {0.15, 0.32, 0.0}, {0.15, 0.55, 0.0}, 0.008));
    for (double x : {-0.28, 0.28})
        for (double side : {1.0, -1.0})
            parts.push_back(tube("wheel", BLACK, {x, 0.09, side * 0.22}, {x, 0.09, side * 0.29}, 0.09, 12));
    return model;
}

} // namespace flightreplay::assets
