#include "tools/assets/vehicle_builders.h"

namespace flightreplay::assets {

namespace {

enum Paint { YELLOW, RED, DARK };

// Cross-section of the dart at x: a flat diamond.
std::vector<V3> diamond(double x, double halfWidth, double halfHeight)
{
    return {{x, 0.0, halfWidth}, {x, halfHeight, 0.0}, {x, 0.0, -halfWidth}, {x, -halfHeight, 0.0}};
}

} // namespace

AcModel genericModel()
{
    AcModel model{{{1.0, 0.84, 0.08}, {0.9, 0.12, 0.1}, {0.15, 0.15, 0.17}}, {}};
    auto& parts = model.parts;
    parts.push_back(loft("nose", RED, {diamond(-0.5, 0.006, 0.004), diamond(-0.35, 0.08, 0.05)}));
    parts.push_back(loft("dart", YELLOW, {diamond(-0.35, 0.08, 0.05), diamond(0.3, 0.4, 0.05), diamond(0.5, 0.12, 0.04)}));
    parts.push_back(loft("fin", DARK, {finRing(0.04, 0.15, 0.32, 0.012), finRing(0.26, 0.36, 0.12, 0.008)}));
    return model;
}

} // namespace flightreplay::assets
