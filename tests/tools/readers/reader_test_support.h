#pragma once
// What the converter's tests share: the real sample folder, reading bytes
// through a reader in memory, and finding a row by time.

#include <string>
#include <vector>

#include "log/flight_log.h"
#include "tools/flight/flight.h"

namespace reader_test {

// The folder of the real ULog samples kept with the tests.
std::string realLogDir();

flightreplay::flight::Flight readUlogBytes(const std::string& bytes);
flightreplay::flight::Flight readDataflashBytes(const std::string& bytes);

// The row whose gps_time is nearest t.
const LogRow& rowAt(const std::vector<LogRow>& rows, double t);

} // namespace reader_test
