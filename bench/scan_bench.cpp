// Throughput of the log scanner on a 150 MB log (41 columns, 700 000 rows),
// next to the time to just read the file, a bare scanner of the same rules,
// and the whole program run without a display. Prints medians of several runs.

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "log/log_reader.h"
#include "log/flight_log.h"
#include "log/log_scanner.h"

extern FILE* barein;
int barelex();
int barelex_destroy();
extern long bareLine;

namespace {

const char* const HEADER =
    "samplenumber,flightnumber,gps_date,gps_time,gps_numsatellites,gps_fixmode,ap_status,"
    "gps_startlat,gps_startlon,gps_startalt,gps_curlat,gps_curlon,gps_curalt,gps_curspeed,"
    "gps_curheading,compass_curheading,bearing_to_base,turn_rate,voltage1,voltage2,voltage3,"
    "current,mah,temperature,baro_curspeed,baro_curalt,pyro_curroll,pyro_curpitch,"
    "pyro_targetroll,pyro_targetpitch,targetthrottle,in_ppm_curwidth[0],in_ppm_curwidth[1],"
    "in_ppm_curwidth[2],in_ppm_curwidth[3],in_ppm_curwidth[4],out_ppm_curwidth[0],"
    "out_ppm_curwidth[1],out_ppm_curwidth[2],out_ppm_curwidth[3],controlbyte\n";

void writeLog(const std::string& path, int rows)
{
    FILE* out = std::fopen(path.c_str(), "w");
    std::fputs(HEADER, out);
    unsigned state = 12345;
    for (int i = 0; i < rows; ++i) {
        std::fprintf(out, "%d,1,81206,%.2f,9,3,1,2881.234,690.123,512.0,%.4f,%.4f,%.1f", i, i * 0.2,
                     2881.2 + (i % 1000) * 1e-4, 690.1 + (i % 777) * 1e-4, 500.0 + i % 300);
        for (int c = 13; c < 40; ++c) {
            state = state * 1103515245u + 12345u;
            std::fprintf(out, ",%d.%u", static_cast<int>(state >> 24) % 100 - 50, (state >> 8) % 10);
        }
        std::fprintf(out, ",%d\n", i & 255);
    }
    std::fclose(out);
}

double seconds(const std::function<void()>& body)
{
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the program on the log without a display; returns its peak memory in KiB.
long runProgram(const std::string& program, const std::string& log)
{
    const pid_t pid = fork();
    if (pid == 0) {
        unsetenv("DISPLAY");
        if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr))
            _exit(127);
        execl(program.c_str(), program.c_str(), log.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string program = argc > 1 ? argv[1] : FLIGHTREPLAY_BINARY;
    const std::string big = "/tmp/flightreplay-bench-700k.log";
    const std::string small = "/tmp/flightreplay-bench-7k.log";
    struct stat info{};
    if (stat(big.c_str(), &info) != 0) {
        std::printf("writing %s ...\n", big.c_str());
        writeLog(big, 700000);
        writeLog(small, 7000);
        stat(big.c_str(), &info);
    }
    const double megabytes = static_cast<double>(info.st_size) / 1e6;
    const int runs = 5;
    std::vector<double> readTimes, scanTimes, bareTimes, programTimes;
    long programPeak = 0;
    for (int run = 0; run < runs; ++run) {
        readTimes.push_back(seconds([&] {
            FILE* in = std::fopen(big.c_str(), "r");
            static char buffer[1 << 16];
            while (std::fread(buffer, 1, sizeof buffer, in) > 0) {
            }
            std::fclose(in);
        }));
        scanTimes.push_back(seconds([&] {
            resetFlightLog();
            yylex_destroy();
            FILE* in = std::fopen(big.c_str(), "r");
            readLog(in);
            std::fclose(in);
        }));
        bareTimes.push_back(seconds([&] {
            barelex_destroy();
            bareLine = 0;
            barein = std::fopen(big.c_str(), "r");
            barelex();
            std::fclose(barein);
        }));
        programTimes.push_back(seconds([&] { programPeak = runProgram(program, big); }));
    }
    const long smallPeak = runProgram(program, small);
    const double read = median(readTimes), scan = median(scanTimes), bare = median(bareTimes),
                 whole = median(programTimes);
    std::printf("log: %.1f MB, %d data rows kept of %d, %lld ignored\n", megabytes, rowCount(), 700000,
                static_cast<long long>(flightLog.ignoredLines));
    std::printf("%-34s %8.3f s %8.1f MB/s\n", "read only (fread)", read, megabytes / read);
    std::printf("%-34s %8.3f s %8.1f MB/s\n", "bare scanner, same rules", bare, megabytes / bare);
    std::printf("%-34s %8.3f s %8.1f MB/s\n", "log scanner into the table", scan, megabytes / scan);
    std::printf("%-34s %8.3f s %8.1f MB/s\n", "whole program, no display", whole, megabytes / whole);
    std::printf("whole program / bare scanner: %.3f (goal <= 1.1)\n", whole / bare);
    std::printf("peak memory of the program: %ld KiB on this log, %ld KiB on a 1/100 log\n", programPeak, smallPeak);
    return 0;
}
