#pragma once
// Large ULog files for the benchmarks, made from a small real one, and the
// cheapest read of one there is.

#include <cstdint>
#include <ostream>
#include <string>

#include "tools/readers/byte_reader.h"

// Writes a ULog of at least `bytes` bytes to out: log's definitions, then
// its data section again and again, each D message's timestamp (the first
// field of every format) moved on by the span of the log's clock and a
// millisecond per round, so that time keeps rising.
void writeRepeatedUlog(const std::string& log, uint64_t bytes, std::ostream& out);

// Walks a ULog's message headers (size and type, the payload skipped);
// the number of messages.
uint64_t walkUlogHeaders(flightreplay::readers::ByteReader& in);
