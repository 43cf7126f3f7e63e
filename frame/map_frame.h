#pragma once
// The zoom-18 Web-Mercator frame every scene coordinate is expressed in.
// One scene unit is the width of one zoom-18 tile, heights use the same unit
// (z = metres * k); the origin is the north-west corner of tile (CI, CJ) at
// height 0; +x points south, +y east, +z up.

#include <cstdint>

#include <osg/Vec3f>

#include "log/units.h"

constexpr int FRAME_ZOOM = 18;
constexpr int32_t FRAME_SIZE = 262144;

struct MapFrame {
    int32_t CI; // zoom-18 tile row of the centre
    int32_t CJ; // zoom-18 tile column of the centre
    double k;   // scene units per metre
};

extern MapFrame mapFrame;

// Normalised Web-Mercator x of a longitude in degrees: fmod(lon + 180, 360) / 360.
double lonToMercatorX(double lon);
// Normalised Web-Mercator y of a latitude in degrees, growing southward,
// 0.5 at the equator; 1e20 at the north pole and -1e20 at the south pole.
double latToMercatorY(double lat);

// Centre tile (CI, CJ) of a normalised Mercator position, each truncated
// toward zero and clamped into the grid 0 ... FRAME_SIZE - 1 (a NaN lands on 0).
int32_t mercatorToTileIndex(double normalised);

// Sets CI, CJ and k from the log's extents in minutes of arc and prints
// "1/k=..." and "CI,CJ=..." on standard output.
void setupMapFrame(double latMin, double latMax, double lonMin, double lonMax);

// The driver's work between reading the log and building the scene: prints
// the log summary (printLogSummary) and sets up the map frame from the
// extents of the log in the flight log table.
void summarizeLog();

// Scene point of a latitude and longitude in degrees and an altitude in metres.
osg::Vec3f geoToScene(double lat, double lon, double alt);
// Scene point of the north-west corner of zoom-18 tile (row, col) at a height in metres.
osg::Vec3f gridToScene(int32_t row, int32_t col, double height);
