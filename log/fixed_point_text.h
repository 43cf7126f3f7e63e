#pragma once
// Decimal text of a double with a fixed number of digits after the point,
// character for character what printf's "%.*f" writes (rounding of the
// exact binary value, ties to even, "-0.000" for small negatives), at a
// fraction of its cost for the magnitudes a flight log holds.

#include <string>

// Appends value with decimals digits after the point (0 to 9) to out.
void appendFixedPoint(std::string& out, double value, int decimals);
