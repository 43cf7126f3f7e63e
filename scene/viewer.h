#pragma once
// The replay's drawing loop: the scene in the viewer library's default window.

// Builds the scene, runs the viewer until its window is closed and returns
// what osgViewer::Viewer::run returned.
int runViewer();
