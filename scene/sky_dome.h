#pragma once
// The sky: a sphere of radius 200 scene units around the scene origin,
// textured with "sky12q-1024x512.jpeg" when that picture can be read.

#include <osg/Group>
#include <osg/Image>

// The sky picture, relative to the working directory.
constexpr const char* SKY_IMAGE_PATH = "sky12q-1024x512.jpeg";

// Group > geode (carrying the sky's state set) > sphere drawable; the caller
// takes ownership.
osg::Group* buildSkyDome();

// The same sphere textured with `image` (untextured when null), which the
// texture shares.
osg::Group* buildSkyDome(osg::Image* image);
