#pragma once
// Height of the ground under a point, read from the elevation tile files the
// terrain is built on.

// Ground height in metres above sea level at a latitude and longitude in
// degrees: the elevation samples of the four zoom-18 corners around the
// point, interpolated bilinearly. A missing file reads as height 0, as in
// the terrain.
double groundHeightAt(double lat, double lon);
