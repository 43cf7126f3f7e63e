#pragma once
// Writes flight rows as a log the replay reads: a header line of all 41
// keywords and one line per row, comma separated, LF line ends.

#include <string>
#include <vector>

#include "log/flight_log.h"

// False when the file cannot be written.
bool writeDemoLog(const std::string& path, const std::vector<LogRow>& rows);
