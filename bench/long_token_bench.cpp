// Scanning time of logs that are one 16 MiB token (a run of digits in a
// numeric column, a run of blanks, a run of line ends) against a normal
// 16 MiB log, in the same run. The scanner should spend the same work on
// each character whatever the token length, so each ratio should stay small.
// Usage: long_token_bench [RUNS] (median of RUNS scans each, default 5).

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "log/flight_log.h"
#include "log/log_reader.h"
#include "log/log_scanner.h"
#include "log/log_writer.h"

namespace {

constexpr size_t TOKEN_BYTES = size_t{16} << 20;

std::string writeTokenLog(const char* name, const std::string& head, const std::string& unit,
                          const std::string& tail)
{
    const std::string path = std::string("/tmp/flightreplay-bench-token-") + name + ".log";
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::string token;
    while (token.size() < TOKEN_BYTES)
        token += unit;
    std::fwrite(head.data(), 1, head.size(), out);
    std::fwrite(token.data(), 1, token.size(), out);
    std::fwrite(tail.data(), 1, tail.size(), out);
    std::fclose(out);
    return path;
}

// A flight-like log of all 41 columns, at least 16 MiB.
std::string writeNormalLog()
{
    const std::string path = "/tmp/flightreplay-bench-token-normal.log";
    std::vector<LogRow> rows(65500);
    for (size_t i = 0; i < rows.size(); ++i) {
        LogRow& row = rows[i];
        const double t = static_cast<double>(i) * 0.2;
        row.samplenumber = static_cast<int32_t>(i);
        row.gps_time = t;
        row.gps_curlat = 2881.2 + 0.01 * std::sin(t * 0.01);
        row.gps_curlon = 690.1 + 0.01 * std::cos(t * 0.01);
        row.gps_curalt = 500.0 + std::fmod(t, 300.0);
        row.gps_curheading = std::fmod(t * 0.05, 6.28);
        row.voltage1 = 11.1 + std::sin(t) * 0.3;
        row.pyro_curroll = std::sin(t * 0.3) * 0.4;
        row.pyro_curpitch = std::cos(t * 0.2) * 0.1;
        for (double& width : row.in_ppm_curwidth)
            width = 1500.0 + std::fmod(t * 37.0, 500.0);
        row.controlbyte = static_cast<int32_t>(i & 255);
    }
    if (!writeLogFile(path, rows, allLogFieldCodes())) {
        std::perror(path.c_str());
        std::exit(1);
    }
    return path;
}

struct Times {
    double wall;
    double cpu;
};

// Processor time is the figure to compare: on a shared machine the wall
// clock also counts the time other processes hold the cores.
Times scanTimes(const std::string& path)
{
    resetFlightLog();
    yylex_destroy();
    FILE* in = std::fopen(path.c_str(), "rb");
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    readLog(in);
    const std::clock_t cpuEnd = std::clock();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fclose(in);
    return {wall, static_cast<double>(cpuEnd - cpuStart) / CLOCKS_PER_SEC};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    yyout = std::fopen("/dev/null", "w");

    struct Case {
        const char* name;
        std::string path;
    };
    const std::string normal = writeNormalLog();
    const Case tokens[] = {
        {"digits", writeTokenLog("digits", "gps_time,gps_curlat\n1,", "7", "\n")},
        {"blanks", writeTokenLog("blanks", "gps_time gps_curlat\n1", " ", "2\n")},
        {"line ends", writeTokenLog("lineends", "gps_time\n1", "\r\n", "2\n")},
    };

    // [0] the normal log, [1..3] the tokens.
    std::vector<double> wall[4], cpu[4];
    for (int run = 0; run < runs; ++run) {
        for (size_t k = 0; k < 4; ++k) {
            const Times t = scanTimes(k == 0 ? normal : tokens[k - 1].path);
            wall[k].push_back(t.wall);
            cpu[k].push_back(t.cpu);
        }
    }
    std::printf("median of %d scans each, 16 MiB per input; processor and wall-clock seconds\n", runs);
    std::printf("%-12s %8.3f s cpu %8.3f s wall\n", "normal log", median(cpu[0]), median(wall[0]));
    for (size_t k = 1; k < 4; ++k)
        std::printf("%-12s %8.3f s cpu %8.3f s wall   token/normal %6.2f cpu %6.2f wall (goal <= 3)\n",
                    tokens[k - 1].name, median(cpu[k]), median(wall[k]), median(cpu[k]) / median(cpu[0]),
                    median(wall[k]) / median(wall[0]));
    return 0;
}
