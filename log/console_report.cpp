#include "log/console_report.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

ConsoleSink consoleSink = nullptr;
void* consoleContext = nullptr;

} // namespace

void setConsoleSink(ConsoleSink sink, void* context)
{
    consoleSink = sink;
    consoleContext = context;
}

void report(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    if (!consoleSink) {
        std::vprintf(format, args);
        va_end(args);
        return;
    }
    char line[512];
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(line, sizeof line, format, args);
    if (length >= 0 && static_cast<std::size_t>(length) < sizeof line) {
        consoleSink(line, static_cast<std::size_t>(length), consoleContext);
    } else if (length >= 0) {
        // A long file name: format again into a buffer that fits.
        std::vector<char> longLine(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(longLine.data(), longLine.size(), format, again);
        consoleSink(longLine.data(), static_cast<std::size_t>(length), consoleContext);
    }
    va_end(again);
    va_end(args);
}

void reportBytes(const char* text, std::size_t length)
{
    if (consoleSink)
        consoleSink(text, length, consoleContext);
    else
        std::fwrite(text, 1, length, stdout);
}
