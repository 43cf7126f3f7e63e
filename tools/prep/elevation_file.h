#pragma once
// One whole elevation file computed from DEMs: all 1025 x 1025 samples, each
// the height at its zoom-18 corner, rounded and clamped to int16.

#include <cstdint>
#include <string>

#include "frame/grid_geography.h"

#include "tools/common/progress.h"

namespace flightreplay::prep {

class DemSet;

struct SampleCounts {
    int64_t fromDem = 0;
    int64_t noData = 0;    // written as 0
    int64_t uncovered = 0; // written as 0

    SampleCounts& operator+=(const SampleCounts& other);
};

// The file's bytes, little-endian int16 in row-major order; adds what it
// found to counts and advances progress (may be null) by one step per sample row.
std::string computeElevationFile(DemSet& dems, ElevationFileIndex file, SampleCounts& counts, tools::Progress* progress);

// Whether a file of a whole elevation file's size is at path.
bool isWholeElevationFile(const std::string& path);

// A height in metres as the file stores it: rounded half away from zero,
// clamped to -32768 ... 32767.
int16_t storedHeight(double metres);

} // namespace flightreplay::prep
