// Fuzzers other than the log's link the scanner only through the log
// reader: a scanner fault there ends the run as the program would. The log
// fuzzer defines its own hook, which takes precedence.

#include <cstdio>
#include <cstdlib>

#include "log/log_scanner.h"

__attribute__((weak)) void scannerFatalHook(const char* message)
{
    std::fprintf(stderr, "%s\n", message);
    std::abort();
}
