#pragma once
// Source tiles in the JPEG the replay reads: JPEG kept as it is once it
// decodes, PNG and WebP decoded and encoded as JPEG (alpha over white).

#include <cstdint>
#include <string>

#include <osg/Image>

namespace flightreplay::prep {

// The JPEG bytes for a tile; what names the tile in the tools::ToolError thrown
// when the bytes are no image the tool can decode.
std::string tileAsJpeg(const std::string& bytes, const std::string& what);

// Whether the bytes start as a JPEG file does.
bool isJpeg(const std::string& bytes);

// A PNG, JPEG or WebP tile decoded as 8-bit RGB, bottom row first as OSG
// keeps images; throws tools::ToolError as tileAsJpeg does.
osg::ref_ptr<osg::Image> decodeTile(const std::string& bytes, const std::string& what);

// The image as the replay's JPEG; throws tools::ToolError naming what.
std::string encodeJpeg(const osg::Image& image, const std::string& what);

// The part of an RGB ancestor tile that a tile levels zoom steps deeper
// covers, scaled bilinearly to the ancestor's size: the tile sits rowOffset
// rows (from the north) and colOffset columns into the ancestor's
// 2^levels x 2^levels descendants.
osg::ref_ptr<osg::Image> cutFromAncestor(const osg::Image& ancestor, int levels, int32_t rowOffset, int32_t colOffset);

} // namespace flightreplay::prep
