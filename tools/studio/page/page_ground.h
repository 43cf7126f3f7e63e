#pragma once
// The ground of the flights' folder for the page, as the studio draws it:
// the terrain's levels as height grids with their pictures in one JPEG, or
// the flat ground at its height where the folder has no elevation.

#include <string>

#include <nlohmann/json.hpp>
#include <osg/Image>

#include "tools/studio/studio_ground.h"

namespace flightreplay::page {

// Vertices along one side of a level's tile per tile: the elevation files'
// own spacing (one zoom-18 tile) where a tile spans 16 or fewer of them.
constexpr int MAX_LEVEL_SUBDIVISIONS = 16;

// {"kind": "flat", "height": metres AMSL, "north", "west", "size" (scene
// units: the terrain's patch)} without known elevation, else
// {"kind": "terrain", "lift": metres a level lies above the next coarser,
// "atlas": {"url": JPEG data URL, "width", "height", "levelPixels"}, "levels":
// [{"zoom", "north", "west" (scene units from the map frame's origin),
// "span" (zoom-18 tiles a tile), "subdivisions", "hole" (inner 3 x 3 left
// to the finer level), "slot": [left, top] pixels, "heights": base64 of
// little-endian int16 metres, row by row from the north-west corner}]}.
// The map frame must be set up and the elevation files of ground.node in
// the working directory.
nlohmann::json pageGround(const studio::StudioGround& ground);

// data: URL of an image encoded as JPEG at the given quality (OpenSceneGraph's
// JPEG plug-in); throws tools::ToolError when it cannot encode.
std::string jpegDataUrl(const osg::Image& image, int quality);

// Standard base64 of bytes, with padding.
std::string base64(const std::string& bytes);

} // namespace flightreplay::page
