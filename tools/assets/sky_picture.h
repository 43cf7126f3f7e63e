#pragma once
// The sky sphere's picture for the companion programs.

#include <osg/Image>

namespace flightreplay::assets {

// The working directory's "sky12q-1024x512.jpeg" when it is there and reads,
// else the installed copy, else the demo's sky drawn in memory (1024 x 512).
// Never null; the caller owns it.
osg::ref_ptr<osg::Image> loadSkyImage();

} // namespace flightreplay::assets
