#pragma once
// Image tiles by Web-Mercator zoom, row (counted southward) and column, from
// an MBTiles file or a folder of z/x/y files.

#include <cstdint>
#include <memory>
#include <string>

namespace flightreplay::prep {

class TileSource {
public:
    virtual ~TileSource() = default;

    // The stored bytes of the tile (PNG, JPEG or WebP) into bytes; false when
    // the source has no such tile. Throws tools::ToolError when it cannot be read.
    virtual bool fetch(int zoom, int32_t row, int32_t col, std::string& bytes) = 0;

    // Where a tile lives in the source, for messages.
    virtual std::string describe(int zoom, int32_t row, int32_t col) const = 0;
};

// A template with {z}, {x} (the column) and {y} (the row), such as
// "tiles/{z}/{x}/{y}.png"; a folder, read as FOLDER/{z}/{x}/{y} with the
// extension png, jpg, jpeg or webp; anything else is opened as an MBTiles
// file, whose rows count northward (TMS). Throws tools::ToolError when the source
// cannot be opened.
std::unique_ptr<TileSource> openTileSource(const std::string& source);

} // namespace flightreplay::prep
