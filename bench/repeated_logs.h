#pragma once
// Large binary logs for the benchmarks, made by repeating small ones, and
// the cheapest read of them there is: a walk of the message headers.

#include <cstdint>
#include <ostream>
#include <string>

#include "tools/readers/byte_reader.h"

// Writes a ULog of at least `bytes` bytes to out: log's definitions, then
// its data section again and again, each D message's timestamp (the first
// field of every format) moved on by the span of the log's clock and a
// millisecond per round, so that time keeps rising.
void writeRepeatedUlog(const std::string& log, uint64_t bytes, std::ostream& out);

// A DataFlash log of at least `bytes` bytes: log's definitions, then its
// messages again and again, each one's TimeUS (the first field of every
// message of the tests' generated flight) moved on 4 s per round.
std::string repeatedDataflash(const std::string& log, uint64_t bytes);

// Walks a ULog's, or a DataFlash log's, message headers (size and type, the
// payload skipped); the number of messages.
uint64_t walkUlogHeaders(flightreplay::readers::ByteReader& in);
uint64_t walkDataflashHeaders(flightreplay::readers::ByteReader& in);

// The whole file; empty when it cannot be read.
std::string readWholeFile(const std::string& path);
