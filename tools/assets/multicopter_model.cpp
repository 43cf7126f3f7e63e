#include "tools/assets/vehicle_builders.h"

namespace flightreplay::assets {

namespace {

enum Paint { CARBON, ORANGE, RED, GREY, BLACK };

} // namespace

AcModel multicopterModel()
{
    AcModel model{{{0.20, 0.20, 0.22}, {0.98, 0.50, 0.06}, {0.88, 0.12, 0.10}, {0.55, 0.55, 0.58}, {0.08, 0.08, 0.08}},
                  {}};
    auto& parts = model.parts;
    parts.push_back(box("body", CARBON, {-0.075, 0.0, -0.045}, {0.075, 0.035, 0.045}));
    parts.push_back(box("cover", ORANGE, {-0.06, 0.035, -0.035}, {0.055, 0.062, 0.035}));
    // A camera pod at the front, so that heading reads from any side.
    parts.push_back(box("nose", RED, {-0.105, 0.004, -0.022}, {-0.075, 0.034, 0.022}));
    const double arm = 0.13;
    const double motorSides[4][2] = {{-1, 1}, {-1, -1}, {1, 1}, {1, -1}};
    for (const auto& side : motorSides) {
        const bool front = side[0] < 0;
        const V3 motor{side[0] * arm, 0.018, side[1] * arm};
        parts.push_back(tube("arm", front ? RED : BLACK, {side[0] * 0.04, 0.018, side[1] * 0.03}, motor, 0.009));
        parts.push_back(tube("motor", GREY, {motor.x, 0.008, motor.z}, {motor.x, 0.048, motor.z}, 0.015));
        parts.push_back(rotor("propeller", front ? RED : BLACK, {motor.x, 0.052, motor.z}, {0, 1, 0}, 0.09, 2, 0.02));
    }
    parts.push_back(tube("leg", BLACK, {0.0, 0.0, 0.04}, {0.0, -0.06, 0.07}, 0.005));
    parts.push_back(tube("leg", BLACK, {0.0, 0.0, -0.04}, {0.0, -0.06, -0.07}, 0.005));
    parts.push_back(tube("skid", BLACK, {-0.07, -0.06, 0.07}, {0.07, -0.06, 0.07}, 0.005));
    parts.push_back(tube("skid", BLACK, {-0.07, -0.06, -0.07}, {0.07, -0.06, -0.07}, 0.005));
    return model;
}

} // namespace flightreplay::assets
