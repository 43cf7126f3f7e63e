#pragma once
// A flight as text, every sample and every row the converter writes of it,
// for comparing what a reader makes of a file before and after a change to
// the reader.

#include <string>

#include "tools/flight/flight.h"

namespace reader_test {

// Every stream, event, plan item, note and the converted rows, numbers to
// 17 digits.
std::string flightText(const flightreplay::flight::Flight& flight);

// FNV-1a of text, as 16 hex digits.
std::string digestOf(const std::string& text);

} // namespace reader_test
