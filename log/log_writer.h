#pragma once
// Writes rows in the log format the scanner reads: a header line of keywords
// and one line per row, comma separated, LF line ends.

#include <cstdio>
#include <string>
#include <vector>

#include "log/flight_log.h"

// Field codes 1 to LOG_FIELD_COUNT, in code order: every column.
std::vector<int> allLogFieldCodes();

// Writes the columns of the given field codes (1 to LOG_FIELD_COUNT; others
// are skipped) in the order given. Reals carry no exponent, since the scanner
// reads none: latitude and longitude with 5 decimals (2 cm), pulse widths and
// mAh with 1, the rest with 4; a value that is not finite is written as 0.
// False when a write fails.
bool writeLog(FILE* out, const std::vector<LogRow>& rows, const std::vector<int>& fieldCodes);

// As above, to a file created (or truncated) at path; false when it cannot
// be written.
bool writeLogFile(const std::string& path, const std::vector<LogRow>& rows, const std::vector<int>& fieldCodes);
