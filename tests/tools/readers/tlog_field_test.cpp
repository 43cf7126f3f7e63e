// Ground station logs shaped as real ones are: the station's own chatter or
// stamps without packets before the vehicle's first packet, several systems
// in both protocol versions, signed packets, radio gaps; and damaged copies
// of them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flight_digest.h"
#include "tlog_writer.h"
#include "tools/readers/read_flight.h"

using namespace flightreplay::readers;
using namespace flightreplay::flight;
using namespace reader_test;

namespace {

std::string digestOfTlog(const std::string& bytes)
{
    std::string text;
    for (const Flight& flight : readFlightsOfBytes(bytes, ReadOptions{FlightFormat::tlog, {}, 0}))
        text += flightText(flight);
    return digestOf(text);
}

} // namespace

// The digests were taken with the reader before it was made faster: every
// sample, event, note and converted row must stay as it was.
TEST(TlogFieldLogs, TheReaderReadsAsItDidBeforeItWasMadeFaster)
{
    std::string badCrc = fieldTlog(FieldStart::stationChatter, 300.0);
    badCrc[badCrc.size() / 2 + 5] ^= 0x08;
    const struct {
        const char* what;
        std::string bytes;
        const char* digest;
    } cases[] = {
        {"clean", fieldTlog(FieldStart::clean, 300.0), "a1f17ef8651f2d49"},
        {"station chatter, a byte changed", badCrc, "e80f3631769682c6"},
        {"stray records", fieldTlog(FieldStart::strayRecords, 200.0), "e255b68635c8db59"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(digestOfTlog(c.bytes), c.digest) << c.what;
}
