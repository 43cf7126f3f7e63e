#pragma once
// Decimal text of a double with a fixed number of digits after the point,
// character for character what printf's "%.*f" writes (rounding of the
// exact binary value, ties to even, "-0.000" for small negatives), at a
// fraction of its cost for the magnitudes a flight log holds.

#include <cstddef>

// Room the longest text needs: the largest double with 9 decimals.
constexpr size_t FIXED_POINT_TEXT_MAX = 330;

// Writes value with decimals digits after the point (0 to 9) at out, which
// has room for FIXED_POINT_TEXT_MAX characters; no terminating NUL. Returns
// the end of the text.
char* writeFixedPoint(char* out, double value, int decimals);
