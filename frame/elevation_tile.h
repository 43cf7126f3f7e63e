#pragma once
// Elevation tile files "zsi-FI-FJ.egm": headerless grids of 1025 x 1025
// signed 16-bit little-endian heights in metres, one file per zoom-8 tile,
// sample (r, c) belonging to zoom-18 corner (FI * 1024 + r, FJ * 1024 + c).
// Each file is loaded on first use and kept for the rest of the process.

#include <cstddef>
#include <cstdint>
#include <string>

constexpr int EGM_SIDE = 1025;
constexpr int EGM_SPAN = 1024;
constexpr int EGM_FILES_PER_SIDE = 256;
constexpr int32_t EGM_SAMPLE_COUNT = EGM_SIDE * EGM_SIDE;
// A whole file: two bytes a sample.
constexpr size_t EGM_FILE_BYTES = static_cast<size_t>(EGM_SAMPLE_COUNT) * 2;

// The file that holds zoom-18 corner (row, col) of the valid domain.
std::string elevationFileName(int32_t row, int32_t col);

// Height in metres of the zoom-18 corner (row, col). 0 when the file cannot
// be read (reported on standard output and retried on the next request) and
// for corners outside 0 ... 262143, for which nothing is opened or printed.
int elevationAt(int32_t row, int32_t col);

// Forgets every loaded file (tests only; the program never releases one).
void clearElevationCache();
