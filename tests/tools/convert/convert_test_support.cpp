#include "convert_test_support.h"

#include <cmath>

#include "tools/convert/byte_reader.h"
#include "tools/convert/dataflash_reader.h"
#include "tools/convert/resample.h"
#include "tools/convert/ulog_reader.h"

namespace convert_test {

std::string realLogDir()
{
    return REAL_LOG_DIR;
}

flightreplay::flight::Flight readUlogBytes(const std::string& bytes)
{
    flightreplay::convert::ByteReader in(bytes.data(), bytes.size());
    flightreplay::flight::Flight data = flightreplay::convert::readUlog(in);
    flightreplay::convert::tidyStreams(data);
    return data;
}

flightreplay::flight::Flight readDataflashBytes(const std::string& bytes)
{
    flightreplay::convert::ByteReader in(bytes.data(), bytes.size());
    flightreplay::flight::Flight data = flightreplay::convert::readDataflash(in);
    flightreplay::convert::tidyStreams(data);
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

} // namespace convert_test
