#pragma once
// The image tiles of the terrain patch from a source that may stop at a
// shallower zoom: a tile the source lacks is cut from its deepest ancestor
// the source has and scaled up (over-zoom).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "frame/terrain_tiles.h"
#include "tools/prep/fetch_failure.h"

namespace flightreplay::prep {

struct TileKey {
    int zoom;
    int32_t row; // counted southward
    int32_t col;
};

struct TileAnswer {
    enum class Kind { found, absent, failed };
    Kind kind = Kind::absent;
    std::string bytes;     // PNG, JPEG or WebP, for found
    FetchFailure failure;  // for failed
    bool verified = false; // found bytes known to decode as a whole tile
};

// Looks up a batch of source tiles, calling answer(index, result) once per key.
using TileLookup =
    std::function<void(const std::vector<TileKey>& keys, const std::function<void(size_t, TileAnswer&)>& answer)>;

// Called with each tile's JPEG and the zoom of the source tile it came from.
using TileReady = std::function<void(const TerrainTile& tile, const std::string& jpeg, int sourceZoom)>;

struct TileShortfall {
    TerrainTile tile;
    FetchFailure failure; // notInSource, or the lookup's failure
};

// Looks the tiles up level by level, asking for ancestors (at most
// MAX_OVERZOOM levels up) of those the source lacks; returns the tiles left
// without a picture. describe names a source tile in decoding errors, which
// throw tools::ToolError.
std::vector<TileShortfall> resolveTiles(const std::vector<TerrainTile>& tiles, const TileLookup& lookup,
                                        const TileReady& ready,
                                        const std::function<std::string(const TileKey&)>& describe);

constexpr int MAX_OVERZOOM = 8;

} // namespace flightreplay::prep
