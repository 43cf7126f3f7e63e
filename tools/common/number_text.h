#pragma once
// Numbers written as text in reports, pages and panels.

#include <string>

namespace flightreplay::tools {

// value as format (a printf conversion of one double, "%.4g") writes it, or
// missing ("null", "?", ...) where it is NaN or infinite.
std::string numberText(double value, const char* format, const char* missing);

} // namespace flightreplay::tools
