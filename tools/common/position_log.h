#pragma once
// Reading a flight log in a companion tool, where the tool's own report is
// its output: the scanner's echo is dropped.

#include <string>

#include "log/log_reader.h"

namespace flightreplay::tools {

// Reads the log at path into the flight log table and returns the extents of
// its positions (minutes of arc). Throws ToolError when the log cannot be
// opened or holds no positions (no gps_curlat/gps_curlon column or no row).
LogExtents readPositionLog(const std::string& path);

} // namespace flightreplay::tools
