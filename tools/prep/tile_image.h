#pragma once
// Source tiles in the JPEG the replay reads: JPEG kept as it is once it
// decodes, PNG and WebP decoded and encoded as JPEG (alpha over white).

#include <string>

namespace flightreplay::prep {

// The JPEG bytes for a tile; what names the tile in the tools::ToolError thrown
// when the bytes are no image the tool can decode.
std::string tileAsJpeg(const std::string& bytes, const std::string& what);

} // namespace flightreplay::prep
