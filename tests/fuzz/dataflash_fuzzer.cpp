// Arbitrary bytes as a DataFlash log: the reader and the resampler in-process,
// the rows' invariants checked after every input.

#include <cstddef>
#include <cstdint>

#include "convert_fuzz_checks.h"
#include "tools/common/tool_error.h"
#include "tools/readers/byte_reader.h"
#include "tools/readers/dataflash_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    flightreplay::readers::ByteReader in(data, size);
    try {
        checkConversion(flightreplay::readers::readDataflash(in), size);
    } catch (const flightreplay::tools::ToolError&) {
        // A refused file (no format message, empty range) is an answer.
    }
    return 0;
}
