// Conversion speed of the binary readers on files of over 100 MB, next to
// the time of only walking the same file's message headers through the same
// buffered reads: a ULog built by repeating the data section of the real
// sample (the generated test flight when the samples are missing) and a
// DataFlash log built by repeating a generated flight, timestamps shifted so
// that time keeps rising, and a telemetry log of a long generated flight
// (reader_test::longTelemetryTlog). Reading the streams alone, and the whole conversion:
// reading, resampling to at most the table's 10000 rows and writing them
// (formatting the rows is a fixed cost, whatever the file's size); and the
// review: reading (the review's fields kept along) and reviewing, each part
// timed too. Medians of several runs, MB/s, by the wall clock and by the
// process's CPU time.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "flight_digest.h"
#include "log/log_writer.h"
#include "log_writers.h"
#include "repeated_logs.h"
#include "tlog_writer.h"
#include "tools/readers/byte_reader.h"
#include "tools/readers/mavlink_messages.h"
#include "tools/readers/tlog_reader.h"
#include "tools/readers/read_flight.h"
#include "tools/convert/resample.h"
#include "tools/review/flight_review.h"

using namespace flightreplay::convert;
using namespace flightreplay::readers;
using flightreplay::flight::Flight;
using flightreplay::flight::FlightFormat;

namespace {

constexpr int RUNS = 9;
constexpr size_t TARGET = 100u << 20;

// Records only: the stamp, the packet's start byte, length and signature
// flag, the rest skipped.
uint64_t walkTlog(ByteReader& in)
{
    uint64_t records = 0;
    while (const uint8_t* h = in.peek(11)) {
        const bool v2 = h[8] == 0xfd;
        const size_t size = 8 + (v2 ? 10 : 6) + h[9] + 2 + (v2 && (h[10] & 1) ? 13 : 0);
        if (!in.peek(size))
            break;
        in.skip(size);
        ++records;
    }
    return records;
}

// The walk, and each packet of a message the reader knows checked by its
// CRC as the reader does: what a reader that trusts no packet unchecked
// pays (the reader itself leaves unchecked the packets it would drop
// unread, a quarter of these in the generated log).
uint64_t walkTlogCheckingCrcs(ByteReader& in)
{
    uint64_t checked = 0;
    while (const uint8_t* h = in.peek(11)) {
        const bool v2 = h[8] == 0xfd;
        const size_t size = 8 + (v2 ? 10 : 6) + h[9] + 2 + (v2 && (h[10] & 1) ? 13 : 0);
        const uint8_t* r = in.peek(size);
        if (!r)
            break;
        const uint32_t id = v2 ? r[15] | r[16] << 8 | static_cast<uint32_t>(r[17]) << 16 : r[13];
        if (const flightreplay::readers::mavlink::Message* message = flightreplay::readers::mavlink::messageOf(id)) {
            const size_t covered = (v2 ? 9 : 5) + h[9];
            const uint16_t crc = mavlinkCrc(&message->crcExtra, 1, mavlinkCrc(r + 9, covered));
            checked += crc == (r[9 + covered] | r[10 + covered] << 8) ? 1 : 0;
        }
        in.skip(size);
    }
    return checked;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Time {
    double wall;
    double cpu; // user and system time of the process: steadier on a shared machine
};

Time timed(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC};
}

void report(const char* what, double mb, const std::vector<Time>& times, const std::vector<Time>& walks)
{
    std::vector<double> wall, cpu, walkWall, walkCpu;
    for (const Time& t : times) {
        wall.push_back(t.wall);
        cpu.push_back(t.cpu);
    }
    for (const Time& t : walks) {
        walkWall.push_back(t.wall);
        walkCpu.push_back(t.cpu);
    }
    const double w = median(wall), c = median(cpu);
    std::printf("  %-31s wall %7.1f MB/s (%.3f s, %.2f x the header walk), cpu %7.1f MB/s (%.3f s, %.2f x)\n", what,
                mb / w, w, w / median(walkWall), mb / c, c, c / median(walkCpu));
}

void measure(const char* name, const std::string& path, FlightFormat format, uint64_t (*walk)(ByteReader&),
             uint64_t (*checkingWalk)(ByteReader&) = nullptr)
{
    const double mb = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
    FILE* sink = std::fopen("/dev/null", "w");
    std::vector<Time> walks, checkingWalks, reads, converts, reviews;
    std::vector<double> keptReads, reviewsAlone; // the review's two parts, wall seconds
    size_t rows = 0, messages = 0, findings = 0;
    const auto walkFile = [&](uint64_t (*how)(ByteReader&)) {
        FILE* file = std::fopen(path.c_str(), "rb");
        ByteReader in(file);
        const uint64_t count = how(in);
        std::fclose(file);
        return count;
    };
    for (int run = 0; run < RUNS; ++run) {
        walks.push_back(timed([&] { messages = walkFile(walk); }));
        if (checkingWalk)
            checkingWalks.push_back(timed([&] { walkFile(checkingWalk); }));
        reads.push_back(timed([&] { readFlightFile(path, ReadOptions{format, {}}); }));
        converts.push_back(timed([&] {
            const Flight data = readFlightFile(path, ReadOptions{format, {}});
            const LogRows out = rowsOfFlight(data, {});
            writeLog(sink, out.rows, out.fieldCodes);
            rows = out.rows.size();
        }));
        reviews.push_back(timed([&] {
            ReadOptions keeping{format, {}};
            keeping.keepFields = flightreplay::review::reviewFieldKeys();
            const auto start = std::chrono::steady_clock::now();
            const Flight data = readFlightFile(path, keeping);
            const auto read = std::chrono::steady_clock::now();
            findings = flightreplay::review::reviewFlight(data).findings.size();
            keptReads.push_back(std::chrono::duration<double>(read - start).count());
            reviewsAlone.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - read).count());
        }));
    }
    std::fclose(sink);
    std::printf("%s: %.1f MB, %zu messages, %zu rows\n", name, mb, messages, rows);
    report("header walk", mb, walks, walks);
    if (checkingWalk)
        report("walk checking every CRC read", mb, checkingWalks, walks);
    report("reading the streams", mb, reads, walks);
    report("conversion (read, rows, write)", mb, converts, walks);
    report("review (read, review)", mb, reviews, walks);
    std::vector<double> convertWall, reviewWall;
    for (size_t i = 0; i < converts.size(); ++i) {
        convertWall.push_back(converts[i].wall);
        reviewWall.push_back(reviews[i].wall);
    }
    std::printf("  review's parts: reading with its fields kept %.3f s, the review alone %.3f s\n", median(keptReads), median(reviewsAlone));
    std::printf("  review: %zu findings, %.2f x the conversion's time (medians)\n", findings, median(reviewWall) / median(convertWall));
}

} // namespace

namespace {

// One pass of one kind over a tlog, for callgrind's instruction counts
// (steady where timings on a shared machine are not); or the digest of
// every sample and row read of it, to compare readers; keep reads it as
// the review does, review reviews it too.
int once(const std::string& what, const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        std::fprintf(stderr, "convert_bench: cannot open %s\n", path.c_str());
        return 2;
    }
    uint64_t count = 0;
    if (what == "walk" || what == "check") {
        ByteReader in(file);
        count = (what == "walk" ? walkTlog : walkTlogCheckingCrcs)(in);
    } else if (what == "read") {
        count = readFlightFile(path, ReadOptions{FlightFormat::tlog, {}}).attitude.size();
    } else if (what == "digest") {
        const Flight data = readFlightFile(path, ReadOptions{FlightFormat::tlog, {}});
        std::printf("%s\n", reader_test::digestOf(reader_test::flightText(data)).c_str());
    } else if (what == "convert") {
        const Flight data = readFlightFile(path, ReadOptions{FlightFormat::tlog, {}});
        const LogRows out = rowsOfFlight(data, {});
        FILE* sink = std::fopen("/dev/null", "w");
        writeLog(sink, out.rows, out.fieldCodes);
        std::fclose(sink);
        count = out.rows.size();
    } else if (what == "keep" || what == "review") {
        ReadOptions keeping{FlightFormat::tlog, {}};
        keeping.keepFields = flightreplay::review::reviewFieldKeys();
        const Flight data = readFlightFile(path, keeping);
        count = what == "keep" ? data.attitude.size() : flightreplay::review::reviewFlight(data).findings.size();
    } else {
        std::fprintf(stderr, "convert_bench: --once walk|check|read|convert|digest|keep|review TLOG\n");
        std::fclose(file);
        return 2;
    }
    std::fclose(file);
    std::printf("%s: %llu\n", what.c_str(), static_cast<unsigned long long>(count));
    return 0;
}

} // namespace

// With a folder argument the three files are left there afterwards; with
// --once WHAT TLOG one pass of WHAT over that file, nothing else.
int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--once")
        return once(argv[2], argv[3]);
    const bool keep = argc > 1;
    const std::string dir = keep ? argv[1] : std::filesystem::temp_directory_path().string() + "/convert_bench";
    std::filesystem::create_directories(dir);
    const std::string sample = REAL_LOG_DIR "/sample_log_small.ulg";
    const bool real = std::filesystem::exists(sample);
    std::printf("ULog built from %s\n", real ? "the real sample_log_small.ulg" : "the generated test flight");
    const std::string ulog = dir + "/big.ulg", bin = dir + "/big.bin", tlog = dir + "/big.tlog";
    {
        std::ofstream file(ulog, std::ios::binary);
        writeRepeatedUlog(real ? readWholeFile(sample) : reader_test::ulogFlight(), TARGET, file);
    }
    std::ofstream(bin, std::ios::binary) << repeatedDataflash(reader_test::dataflashFlight(false), TARGET);
    std::ofstream(tlog, std::ios::binary) << reader_test::longTelemetryTlog(TARGET);
    measure("ULog", ulog, FlightFormat::ulog, walkUlogHeaders);
    measure("DataFlash", bin, FlightFormat::dataflash, walkDataflashHeaders);
    measure("tlog", tlog, FlightFormat::tlog, walkTlog, walkTlogCheckingCrcs);
    if (!keep)
        std::filesystem::remove_all(dir);
    return 0;
}
