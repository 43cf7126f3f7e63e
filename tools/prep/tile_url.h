#pragma once
// URLs of XYZ tile services from templates with {z}, {x}, {y} (row 0 at the
// north edge), {-y} (TMS rows, counted from the south) and {q} (quadkey).

#include <cstdint>
#include <string>

namespace flightreplay::prep {

// Throws tools::ToolError naming the option unless the template holds {z},
// {x} and {y} or {-y}, or else {q}.
void checkTileTemplate(const std::string& option, const std::string& pattern);

// The template with the tile's numbers in place.
std::string tileUrl(const std::string& pattern, int zoom, int32_t row, int32_t col);

// The quadkey of a tile: one digit 0-3 per zoom level, from the top down.
std::string quadkey(int zoom, int32_t row, int32_t col);

} // namespace flightreplay::prep
