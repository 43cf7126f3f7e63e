#pragma once
// A look at an AC3D model file's counts before the model reader parses it.

#include <istream>
#include <string>

// False when a word "numvert", "numsurf", "refs", "kids" or "data" is not
// followed on its line by a count, or by one that is negative or larger than
// the number of words after it in the file (every vertex, surface, reference
// and child takes at least one) or, for "data", than the bytes after its
// line; true otherwise, also for a file that is missing or unreadable (the
// reader reports that itself).
bool acModelCountsFit(const std::string& path);

// The same for the model text `in` reads from its current position on.
bool acModelCountsFit(std::istream& in);
