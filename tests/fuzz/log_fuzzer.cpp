// Arbitrary bytes as a log: the real scanner, the table and the driver's
// summary in-process, with the table's and the map frame's invariants
// checked after every input.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "frame/map_frame.h"
#include "log/flight_log.h"
#include "log/log_reader.h"
#include "log/log_scanner.h"

namespace {

struct ScannerFault : std::runtime_error {
    using std::runtime_error::runtime_error;
};

FILE* nullSink;

void require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// Every line end the scanner sees is one run of CR and LF bytes, whatever
// surrounds it, so counting runs gives the number of endLine calls.
int64_t lineEndRuns(const uint8_t* data, size_t size)
{
    int64_t runs = 0;
    bool inRun = false;
    for (size_t i = 0; i < size; ++i) {
        const bool lineEnd = data[i] == '\r' || data[i] == '\n';
        if (lineEnd && !inRun)
            ++runs;
        inRun = lineEnd;
    }
    return runs;
}

void checkTable(const uint8_t* data, size_t size)
{
    const FlightLog& log = flightLog;
    require(log.maxColumn >= 0 && log.maxColumn < MAX_LOG_COLUMNS, "0 <= maxColumn < MAX_LOG_COLUMNS");
    require(log.columnIndex >= 0 && log.columnIndex <= MAX_LOG_COLUMNS, "0 <= columnIndex <= MAX_LOG_COLUMNS");
    require(log.lineIndex >= 0 && rowCount() <= MAX_LOG_ROWS, "rowCount() <= MAX_LOG_ROWS");
    require(log.ignoredLines >= 0, "ignoredLines >= 0");
    require(log.lineIndex + log.ignoredLines == lineEndRuns(data, size), "one line per run of line ends");
    for (int i = 0; i <= log.maxColumn; ++i)
        require(log.cols[i] >= 0 && log.cols[i] <= LOG_FIELD_COUNT, "field codes 0 ... 41");
}

void checkFrame(const LogExtents& e)
{
    require(mapFrame.CI >= 0 && mapFrame.CI < FRAME_SIZE, "CI in 0 ... 262143");
    require(mapFrame.CJ >= 0 && mapFrame.CJ < FRAME_SIZE, "CJ in 0 ... 262143");
    if (std::isfinite(e.latMin) && std::isfinite(e.latMax) && std::isfinite(e.lonMin) && std::isfinite(e.lonMax)) {
        require(!std::isnan((e.latMin + e.latMax) * 0.5), "no NaN latitude centre from finite extents");
        require(!std::isnan((e.lonMin + e.lonMax) * 0.5), "no NaN longitude centre from finite extents");
    }
    if (rowCount() <= 0)
        require(mapFrame.CI == FRAME_SIZE / 2 && mapFrame.CJ == FRAME_SIZE / 2, "no data row centres on 0, 0");
}

} // namespace

void scannerFatalHook(const char* message)
{
    throw ScannerFault(message);
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    nullSink = std::fopen("/dev/null", "r+");
    // The summary's printf lines would drown libFuzzer's own report.
    if (!nullSink || !std::freopen("/dev/null", "w", stdout))
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    resetFlightLog();
    yylex_destroy();
    FILE* input = size > 0 ? fmemopen(const_cast<uint8_t*>(data), size, "r") : nullSink;
    require(input != nullptr, "fmemopen");
    yyout = nullSink;
    try {
        readLog(input);
    } catch (const ScannerFault& fault) {
        // Memory streams never fail to read; any fault here is the scanner's own.
        std::fprintf(stderr, "scanner fault: %s\n", fault.what());
        std::abort();
    }
    if (input != nullSink)
        std::fclose(input);
    checkTable(data, size);
    summarizeLog();
    checkFrame(computeLogExtents());
    yylex_destroy();
    return 0;
}
