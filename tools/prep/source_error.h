#pragma once
// A tools::ToolError about one source of data (a DEM, a tile) that keeps the
// source apart from the reason, so that fetch can count its failures by
// reason without taking the message apart.

#include <string>

#include "tools/common/tool_error.h"

namespace flightreplay::prep {

struct SourceError : tools::ToolError {
    SourceError(const std::string& sourceName, const std::string& why)
        : tools::ToolError(sourceName + ": " + why), source(sourceName), reason(why)
    {
    }
    std::string source; // a path or URL
    std::string reason; // e.g. "cannot read: HTTP error"
};

} // namespace flightreplay::prep
