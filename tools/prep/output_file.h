#pragma once
// Files are written whole or not at all: to a temporary name beside the
// target, renamed over it once complete.

#include <string>

// Writes bytes to path through path + ".part"; throws PrepError naming the
// file and the reason, leaving neither a temporary nor a truncated target.
void writeFileAtomically(const std::string& path, const std::string& bytes);

bool fileExists(const std::string& path);

// Creates the folder and its parents when missing; throws PrepError.
void makeFolder(const std::string& path);
