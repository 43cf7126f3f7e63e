#pragma once
// Numbers given on the command line.

#include <string>

namespace flightreplay::tools {

// The finite number the whole of text spells (as strtod reads it); throws
// ToolError "OPTION TEXT: not a number" otherwise.
double parseNumber(const std::string& option, const std::string& text);

} // namespace flightreplay::tools
