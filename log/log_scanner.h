#pragma once
// The flex-generated log scanner. It reads yyin to its end in one call,
// filling the flight log table; it echoes unrecognised characters to the
// console report. On an input or memory fault it prints the flex message on
// standard error and ends the process with status 2.

#include <cstdio>

extern FILE* yyin;
extern FILE* yyout;
int yylex();
// Points the scanner at a new open file with an empty buffer.
void yyrestart(FILE* input);
// Frees the scanner's buffer and state so that the next yylex starts afresh
// (tests and the fuzzer scan many inputs in one process; the program never does).
int yylex_destroy();

// In a build with FLIGHTREPLAY_SCANNER_FATAL_HOOK defined the scanner calls
// this on a fault instead of exiting; the hook must not return.
[[noreturn]] void scannerFatalHook(const char* message);
