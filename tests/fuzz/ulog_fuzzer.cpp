// Arbitrary bytes as a ULog file: the reader and the resampler in-process,
// the rows' invariants checked after every input; and the review of it.

#include <cstddef>
#include <cstdint>

#include "convert_fuzz_checks.h"
#include "review_fuzz_checks.h"
#include "tools/common/tool_error.h"
#include "tools/readers/byte_reader.h"
#include "tools/readers/ulog_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    flightreplay::readers::ByteReader in(data, size);
    try {
        const flightreplay::flight::Flight flight = flightreplay::readers::readUlog(in, keptFieldsFor(size));
        checkConversion(flight, size);
        checkReview(flight, data, size);
    } catch (const flightreplay::tools::ToolError&) {
        // A refused file (no header, unknown flags, empty range) is an answer.
    }
    return 0;
}
