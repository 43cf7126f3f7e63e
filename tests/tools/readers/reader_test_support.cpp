#include "reader_test_support.h"

#include <cmath>

#include "tools/readers/byte_reader.h"
#include "tools/readers/dataflash_reader.h"
#include "tools/flight/flight_tidy.h"
#include "tools/readers/ulog_reader.h"

namespace reader_test {

std::string realLogDir()
{
    return REAL_LOG_DIR;
}

flightreplay::flight::Flight readUlogBytes(const std::string& bytes)
{
    flightreplay::readers::ByteReader in(bytes.data(), bytes.size());
    flightreplay::flight::Flight data = flightreplay::readers::readUlog(in);
    flightreplay::flight::tidyStreams(data);
    return data;
}

flightreplay::flight::Flight readDataflashBytes(const std::string& bytes)
{
    flightreplay::readers::ByteReader in(bytes.data(), bytes.size());
    flightreplay::flight::Flight data = flightreplay::readers::readDataflash(in);
    flightreplay::flight::tidyStreams(data);
    return data;
}

const LogRow& rowAt(const std::vector<LogRow>& rows, double t)
{
    size_t best = 0;
    for (size_t i = 1; i < rows.size(); ++i)
        if (std::fabs(rows[i].gps_time - t) < std::fabs(rows[best].gps_time - t))
            best = i;
    return rows.at(best);
}

} // namespace reader_test
