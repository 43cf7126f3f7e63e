// Arbitrary bytes as a CSV table: the first byte picks the angle and time
// units (the time unit only with bit 6 set, else it is told from the values); when its top bit is set, the first line is a --column option and
// the table follows it. The reader and the derived attitude, with the
// output's invariants checked; and the review of it.

#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/review_fuzz_checks.h"
#include "tests/fuzz/track_fuzz_checks.h"
#include "tools/common/tool_error.h"
#include "tools/readers/csv_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    namespace fc = flightreplay::readers;
    namespace ff = flightreplay::flight;
    if (size == 0)
        return 0;
    const uint8_t selector = data[0];
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    fc::CsvOptions options;
    options.angles = selector & 1 ? fc::AngleUnit::Radians : fc::AngleUnit::Degrees;
    const fc::TimeUnit units[] = {fc::TimeUnit::Seconds, fc::TimeUnit::Milliseconds, fc::TimeUnit::Microseconds,
                                  fc::TimeUnit::Iso};
    if (selector & 0x40)
        options.time = units[(selector >> 1) & 3];
    try {
        if (selector & 0x80) {
            const size_t lineEnd = bytes.find('\n');
            options.columns.push_back(fc::parseColumnOption(bytes.substr(0, lineEnd)));
            bytes = lineEnd == std::string::npos ? std::string() : bytes.substr(lineEnd + 1);
        }
        ff::Flight flight = fc::readCsv(bytes, options);
        trackfuzz::deriveAndCheck(flight);
        checkReview(flight, data, size);
    } catch (const flightreplay::tools::ToolError&) {
    }
    return 0;
}
