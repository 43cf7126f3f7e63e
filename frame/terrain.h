#pragma once
// The ground under the flight: 249 textured quads around the centre tile of
// the map frame, zoom 18 in the middle down to zoom 13 outside, each lifted
// onto the elevation tiles and draped with its image tile.

#include <osg/Group>

// One geode per tile in the patch's order; prints "img:NAME" per tile. The
// caller takes ownership.
osg::Group* buildTerrain();
