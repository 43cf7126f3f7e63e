#pragma once
// The one procedural landscape behind every demo file: a height field for
// the elevation tiles and a colour for every point of the image tiles, both
// functions of the local position alone.

#include "demo_site.h"

namespace flightreplay::demo {

struct Rgb {
    double r, g, b; // 0 ... 1
};

// Metres above the terrain datum: flat around the airfield, rolling hills
// further out, a valley along the river.
double groundHeight(LocalPoint p);

// The slowly varying parts of the landscape, which image tiles sample on a
// coarse grid and interpolate.
struct SmoothFields {
    double woods;   // forest above 0.66
    double river;   // signed distance to the river's middle line, metres
    double country; // 0 on the airfield, 1 in the open country
    double road;    // signed distance to the winding road's middle line, metres
};
SmoothFields smoothFieldsAt(LocalPoint p);

// Colour of the ground seen with pixels of the given size in metres (small
// features fade out instead of flickering at coarse zooms), without shading.
Rgb groundColour(LocalPoint p, double pixelMetres);
Rgb groundColour(LocalPoint p, double pixelMetres, const SmoothFields& fields);

// Sun shading factor (about 0.7 ... 1.15) for a slope given as height
// differences per metre toward east and north.
double slopeShade(double dhEast, double dhNorth);

} // namespace flightreplay::demo
