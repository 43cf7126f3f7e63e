#pragma once
// Scene assembly and the viewer: the root group with lighting off and its
// children in a fixed order, shown in the viewer library's default window.

#include <osg/Group>

// The root of the whole scene; the caller takes ownership.
osg::Group* buildScene();

// Builds the scene, runs the viewer until its window is closed and returns
// what osgViewer::Viewer::run returned.
int runViewer();
