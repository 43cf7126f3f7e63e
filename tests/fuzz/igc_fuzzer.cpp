// Arbitrary bytes as an IGC file: the reader and the attitude derived from
// its fixes, with the output's invariants checked after every input; and the
// review of it.

#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/review_fuzz_checks.h"
#include "tests/fuzz/track_fuzz_checks.h"
#include "tools/common/tool_error.h"
#include "tools/readers/igc_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        flightreplay::flight::Flight flight = flightreplay::readers::readIgc(bytes);
        trackfuzz::deriveAndCheck(flight);
        checkReview(flight, data, size);
    } catch (const flightreplay::tools::ToolError&) {
    }
    return 0;
}
