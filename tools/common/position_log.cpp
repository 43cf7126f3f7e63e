#include "tools/common/position_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "log/console_report.h"
#include "log/flight_log.h"
#include "tools/common/tool_error.h"

namespace flightreplay::tools {

namespace {

void dropText(const char*, std::size_t, void*) {}

} // namespace

LogExtents readPositionLog(const std::string& path)
{
    setConsoleSink(dropText, nullptr);
    const bool opened = readLogFile(path);
    setConsoleSink(nullptr, nullptr);
    if (!opened)
        throw ToolError(path + ": cannot open: " + std::strerror(errno));
    if (!logHasColumn(fieldCodeOf("gps_curlat")) || !logHasColumn(fieldCodeOf("gps_curlon")))
        throw ToolError(path + ": no positions (the header names no gps_curlat and gps_curlon columns)");
    if (rowCount() <= 0)
        throw ToolError(path + ": no positions (no data rows)");
    return computeLogExtents();
}

} // namespace flightreplay::tools
