#include "frame/ground_height.h"

#include <cmath>
#include <cstdint>

#include "frame/elevation_tile.h"
#include "frame/map_frame.h"

double groundHeightAt(double lat, double lon)
{
    const double row = latToMercatorY(lat) * FRAME_SIZE;
    const double col = lonToMercatorX(lon) * FRAME_SIZE;
    // Off the grid (poles, NaN) there is no sample to read.
    if (!(row >= 0.0 && row < FRAME_SIZE && col >= 0.0 && col < FRAME_SIZE))
        return 0.0;
    const double r0 = std::floor(row);
    const double c0 = std::floor(col);
    const double fr = row - r0;
    const double fc = col - c0;
    const auto r = static_cast<int32_t>(r0);
    const auto c = static_cast<int32_t>(c0);
    const double north = elevationAt(r, c) * (1.0 - fc) + elevationAt(r, c + 1) * fc;
    const double south = elevationAt(r + 1, c) * (1.0 - fc) + elevationAt(r + 1, c + 1) * fc;
    return north * (1.0 - fr) + south * fr;
}
