#include "tools/book/book_entry.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <new>

#include "tools/book/flight_review_row.h"
#include "tools/common/tool_error.h"
#include "tools/readers/read_flight.h"
#include "tools/review/flight_review.h"

namespace flightreplay::book {

using tools::ToolError;
namespace fs = std::filesystem;

namespace {

// What the readers look at to tell a file's format.
constexpr size_t HEAD_BYTES = 4096;
constexpr uint64_t FNV_OFFSET = 14695981039346656037ull;
constexpr uint64_t FNV_PRIME = 1099511628211ull;

// The file clock's epoch is the library's own (2174 for libstdc++, 1601 on
// Windows); the two clocks are a whole number of seconds apart, so the
// offset rounded to the second is exact.
std::chrono::nanoseconds fileClockToUnix()
{
    using namespace std::chrono;
    const auto system = duration_cast<nanoseconds>(system_clock::now().time_since_epoch());
    const auto file = duration_cast<nanoseconds>(fs::file_time_type::clock::now().time_since_epoch());
    return duration_cast<nanoseconds>(round<seconds>(system - file));
}

std::string trackJson(const std::vector<flight::Fix>& fixes)
{
    // Evenly by index, the first and last fix always among them.
    const size_t count = std::min(fixes.size(), TRACK_POINTS);
    std::string json = "[";
    char point[64];
    for (size_t k = 0; k < count; ++k) {
        const size_t i = count == 1 ? 0 : k * (fixes.size() - 1) / (count - 1);
        std::snprintf(point, sizeof point, "%s[%.5f,%.5f]", k ? "," : "", fixes[i].latDeg, fixes[i].lonDeg);
        json += point;
    }
    return json + "]";
}

// The replay's own log is read through the replay's one scanner and log
// table: one such file at a time, whatever the other readers do.
std::mutex replayLogTable;

bool isReplayLog(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string head(HEAD_BYTES, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    return readers::recogniseFormat(head) == flight::FlightFormat::log;
}

} // namespace

FileFacts fileFacts(const std::string& path)
{
    std::error_code error;
    FileFacts facts;
    const uintmax_t size = fs::file_size(path, error);
    if (error)
        throw ToolError(error.message());
    const fs::file_time_type modified = fs::last_write_time(path, error);
    if (error)
        throw ToolError(error.message());
    static const std::chrono::nanoseconds offset = fileClockToUnix();
    facts.size = static_cast<int64_t>(size);
    facts.mtimeNs = (std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch()) + offset).count();
    return facts;
}

std::string contentHash(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ToolError(fs::exists(path) ? "cannot be opened" : "gone");
    std::vector<char> chunk(1 << 20);
    uint64_t hash = FNV_OFFSET;
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const std::streamsize got = in.gcount();
        for (std::streamsize i = 0; i < got; ++i) {
            hash ^= static_cast<unsigned char>(chunk[static_cast<size_t>(i)]);
            hash *= FNV_PRIME;
        }
    }
    if (in.bad())
        throw ToolError("cannot be read");
    char text[20];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

FlightRow flightRowOf(const flight::Flight& flight)
{
    FlightRow row;
    row.format = flight::formatWord(flight.format);
    row.vehicle = flight::vehicleKindName(flight.vehicle);
    row.firmware = flight.firmware;
    row.systemId = flight.systemId;
    row.summary = flight::summariseFlight(flight);
    row.track = trackJson(flight.position);
    for (const std::string& note : flight.notes)
        row.notes += (row.notes.empty() ? "" : "\n") + note;
    addReview(row, flight);
    return row;
}

BookEntry readBookEntry(const std::string& path, const FileFacts& file)
{
    BookEntry entry;
    entry.file = file;
    std::vector<flight::Flight> flights;
    std::unique_lock<std::mutex> oneReplayLog(replayLogTable, std::defer_lock);
    if (isReplayLog(path))
        oneReplayLog.lock();
    try {
        // The review's fields kept as the file is read: no second pass for them.
        static const readers::ReadOptions keepingReviewFields = [] {
            readers::ReadOptions options;
            options.keepFields = review::reviewFieldKeys();
            return options;
        }();
        flights = readers::readFlightsOfFile(path, keepingReviewFields);
    } catch (const ToolError& refused) {
        if (!fs::exists(path))
            throw ToolError("gone");
        entry.skippedReason = refused.what();
        return entry;
    } catch (const std::bad_alloc&) {
        entry.skippedReason = "too large to read in the memory there is";
        return entry;
    }
    if (oneReplayLog.owns_lock())
        oneReplayLog.unlock();
    for (const flight::Flight& read : flights)
        if (!read.position.empty())
            entry.flights.push_back(flightRowOf(read));
    if (entry.flights.empty())
        entry.skippedReason = flights.empty() ? "no flight" : flight::missingPosition(flights.front());
    return entry;
}

} // namespace flightreplay::book
