#pragma once
// The logged flight as one white line through the scene positions of all
// data rows, in log order.

#include <osg/Group>

// Group > geode > geometry with one GL_LINE_STRIP over rowCount() vertices;
// the caller takes ownership.
osg::Group* buildFlightTrack();
