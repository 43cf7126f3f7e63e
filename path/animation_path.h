#pragma once
// The animation path that flies the aircraft: one control point per used
// data row, at the row's scene position and attitude, looping.

#include <osg/AnimationPath>
#include <osg/Quat>

constexpr double PATH_DURATION = 500.0;

// Attitude of a row from its heading, pitch and roll in radians: turned
// about x by roll + pi/2, then about y by pitch, then about z by heading - pi/2.
osg::Quat attitudeOf(double heading, double pitch, double roll);

// Time index of row i on the path, or -1 for the rows the replay leaves out
// (2501 to 4499 and 7001 to 7999).
int pathTimeIndex(int row);

// Animation time in seconds of time index c in a log of the given number of
// rows: (c * PATH_DURATION) / (rows - 3001) for 3002 rows or more. A shorter
// log divides by its last row's time index instead, so it too plays forward
// from 0 to PATH_DURATION; a path of one point stays at time 0.
double pathTime(int timeIndex, int rows);

// The path of the flight log's rows; the caller takes ownership.
osg::AnimationPath* buildAnimationPath();
