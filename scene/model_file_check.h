#pragma once
// A look at an AC3D model file's counts before the model reader parses it.

#include <istream>
#include <string>

// Most objects with children (a "kids" count above 0) the check lets
// through, which also bounds how deep objects nest; an aircraft has a few.
constexpr int AC_MAX_GROUPS = 1000;

// False when a word "numvert", "numsurf", "refs", "kids" or "data" is not
// followed on its line by a count, or by one that is negative or larger than
// the number of words after it in the file (every vertex, surface, reference
// and child takes at least one) or, for "data", than the bytes after its
// line, or when more than AC_MAX_GROUPS "kids" counts are above 0; true
// otherwise, also for a file that is missing or unreadable (the reader
// reports that itself).
bool acModelCountsFit(const std::string& path);

// The same for the model text `in` reads from its current position on.
bool acModelCountsFit(std::istream& in);
