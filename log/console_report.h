#pragma once
// The replay's console lines (the scanner's echo of what it does not
// recognise, the map frame, "img:" and the elevation and model messages) go
// through one reporting function. By default it writes them to standard
// output exactly as printf would; another program can send them elsewhere.

#include <cstddef>

// Receives the bytes of each report; they may hold NUL bytes (the echo).
using ConsoleSink = void (*)(const char* text, std::size_t length, void* context);

// Routes every later report to sink with context; a null sink restores
// standard output.
void setConsoleSink(ConsoleSink sink, void* context);

// A printf-style report.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void report(const char* format, ...);

// Reports bytes as they are.
void reportBytes(const char* text, std::size_t length);
