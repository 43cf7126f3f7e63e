#include "tools/common/position_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "log/console_report.h"
#include "log/flight_log.h"
#include "tools/common/tool_error.h"

namespace flightreplay::tools {

namespace {

bool logHasColumn(const char* keyword)
{
    for (int i = 0; i <= flightLog.maxColumn && i < MAX_LOG_COLUMNS; ++i) {
        const int code = flightLog.cols[i];
        if (code > 0 && code <= LOG_FIELD_COUNT && std::strcmp(logFields[code].keyword, keyword) == 0)
            return true;
    }
    return false;
}

void dropText(const char*, std::size_t, void*) {}

} // namespace

LogExtents readPositionLog(const std::string& path)
{
    FILE* log = std::fopen(path.c_str(), "r");
    if (!log)
        throw ToolError(path + ": cannot open: " + std::strerror(errno));
    setConsoleSink(dropText, nullptr);
    readLog(log);
    setConsoleSink(nullptr, nullptr);
    std::fclose(log);
    if (!logHasColumn("gps_curlat") || !logHasColumn("gps_curlon"))
        throw ToolError(path + ": no positions (the header names no gps_curlat and gps_curlon columns)");
    if (rowCount() <= 0)
        throw ToolError(path + ": no positions (no data rows)");
    return computeLogExtents();
}

} // namespace flightreplay::tools
