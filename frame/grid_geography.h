#pragma once
// Where the zoom-18 grid lies on the globe: the latitude and longitude of its
// corners, and the elevation files a terrain patch reads. Companion tools use
// it to prepare exactly the files the replay will open.

#include <cstdint>
#include <vector>

// Latitude and longitude in degrees of the north-west corner of zoom-18 tile
// (row, col), the point whose height elevation sample (row, col) holds.
double cornerLatitude(int32_t row);
double cornerLongitude(int32_t col);

struct ElevationFileIndex {
    int32_t row; // FI: corner row / 1024
    int32_t col; // FJ: corner column / 1024
};

// Sorts a list of elevation files by row then column and keeps each once.
void sortElevationFiles(std::vector<ElevationFileIndex>& files);

// The elevation files whose samples the terrain patch around the zoom-18
// centre tile (ci, cj) reads, sorted by row then column, each once. Corners
// outside the grid (which the loader never opens) add no file.
std::vector<ElevationFileIndex> terrainElevationFiles(int32_t ci, int32_t cj);
