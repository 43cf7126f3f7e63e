#pragma once
// Scene assembly: the root group with lighting off and its
// children in a fixed order.

#include <osg/Group>

// The root of the whole scene; the caller takes ownership.
osg::Group* buildScene();

