#pragma once
// The sky picture "sky12q-1024x512.jpeg": the sphere's texture runs once
// around the horizon from left to right and from the nadir at the bottom to
// the zenith at the top, so the middle row is the horizon.

#include <string>

#include <osg/Image>

namespace flightreplay::assets {

// The picture in memory: 1024 x 512 RGB, row 0 at the nadir.
osg::ref_ptr<osg::Image> makeSkyImage();

// Writes the sky picture to path (JPEG), renamed into place once whole;
// false when it cannot be written.
bool writeSkyImage(const std::string& path);

} // namespace flightreplay::assets
