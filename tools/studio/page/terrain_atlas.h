#pragma once
// The terrain's 249 image tiles as one picture for the page: each zoom
// level's 7 x 7 tiles side by side in a square slot of its own, at
// ATLAS_TILE_PIXELS a tile, the slots in rows of four.

#include <vector>

#include <osg/Image>

#include "frame/terrain_tiles.h"

namespace flightreplay::page {

constexpr int ATLAS_TILE_PIXELS = 128;
constexpr int ATLAS_LEVEL_PIXELS = 7 * ATLAS_TILE_PIXELS;
// The slots are powers of two, as the picture is, so that WebGL 1 makes
// mipmaps of it; the room beyond a level's tiles repeats their edge.
constexpr int ATLAS_SLOT_PIXELS = 1024;
constexpr int ATLAS_WIDTH = 4 * ATLAS_SLOT_PIXELS;
constexpr int ATLAS_HEIGHT = 2 * ATLAS_SLOT_PIXELS;

struct AtlasSlot {
    int left; // pixels from the picture's left edge
    int top;  // pixels from the picture's top edge
};

// Where the tiles of a zoom level (18 ... 13) lie in the picture.
AtlasSlot atlasSlot(int zoom);

// The picture (RGB, OpenSceneGraph's rows: the first at the bottom) of the
// tiles of the patch around (ci, cj) in forEachTerrainTile's order: images[i]
// for tile i, scaled to ATLAS_TILE_PIXELS, or the studio's neutral ground
// with its 100 m and 1 km lines where images[i] is null. metresPerUnit is
// the map frame's 1 / k.
osg::ref_ptr<osg::Image> terrainAtlas(int32_t ci, int32_t cj, const std::vector<const osg::Image*>& images,
                                      double metresPerUnit);

} // namespace flightreplay::page
