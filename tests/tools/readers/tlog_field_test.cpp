// Ground station logs shaped as real ones are: the station's own chatter or
// stamps without packets before the vehicle's first packet, several systems
// in both protocol versions, signed packets, radio gaps; and damaged copies
// of them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "flight_digest.h"
#include "tlog_writer.h"
#include "tools/readers/read_flight.h"

using namespace flightreplay::readers;
using namespace flightreplay::flight;
using namespace reader_test;

namespace {

// A vehicle sending VIBRATION at 100 Hz, its x axis not a number at the
// packets nan names; its heartbeat and its boot clock (ATTITUDE) at 1 Hz.
std::string vibrationTlog(int packets, const std::function<bool(int)>& nan)
{
    TlogWriter w;
    const uint64_t start = 1781431200000000ull;
    for (int k = 0; k < packets; ++k) {
        const uint64_t stamp = start + static_cast<uint64_t>(k) * 10000u;
        if (k % 100 == 0) {
            put(w, stamp, 1, 1, mav::heartbeat(0, 2, 3, 0x81));
            put(w, stamp, 1, 1, mav::attitude(static_cast<uint32_t>(20000 + 10 * k), 0.f, 0.f, 0.f));
        }
        const float x = nan(k) ? NAN : static_cast<float>(k % 97);
        put(w, stamp, 1, 1, mav::vibration(static_cast<uint64_t>(k) * 10000u, x, static_cast<float>(k % 13), 12.f, static_cast<uint32_t>(k / 1000)));
    }
    return w.bytes();
}

std::string digestOfTlog(const std::string& bytes)
{
    std::string text;
    for (const Flight& flight : readFlightsOfBytes(bytes, ReadOptions{FlightFormat::tlog, {}, 0}))
        text += flightText(flight);
    return digestOf(text);
}

} // namespace

// The digests were taken with the reader before it was made faster (on the
// generator and message table of today: a byte changed in a packet of a
// message the table knows is a bad CRC, in one it does not an unread
// packet): every sample, event, note and converted row must stay as it was.
TEST(TlogFieldLogs, TheReaderReadsAsItDidBeforeItWasMadeFaster)
{
    std::string badCrc = fieldTlog(FieldStart::stationChatter, 300.0);
    badCrc[badCrc.size() / 2 + 5] ^= 0x08;
    const struct {
        const char* what;
        std::string bytes;
        const char* digest;
    } cases[] = {
        {"clean", fieldTlog(FieldStart::clean, 300.0), "a1f17ef8651f2d49"},
        {"station chatter, a byte changed", badCrc, "7e2861e4a373d608"},
        {"stray records", fieldTlog(FieldStart::strayRecords, 200.0), "e255b68635c8db59"},
        // The conversion benchmark's file: its streams fill and are thinned.
        {"100 MB, twelve hours", longTelemetryTlog(100u << 20), "391f000212f15d9d"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(digestOfTlog(c.bytes), c.digest) << c.what;
}

// Fields kept as the log is read (a message's in rows, thinned alike past a
// stream's cap; a float that comes not a number a series of its own from
// then on) are the series the file gives when read for them again.
TEST(TlogFieldLogs, KeptFieldsAreTheSeriesReadAgain)
{
    constexpr int SHORT = 2000, LONG = 140000; // past the cap of 131072 samples a series
    const struct {
        const char* what;
        int packets;
        std::string bytes;
    } cases[] = {
        {"every x a number", SHORT, vibrationTlog(SHORT, [](int) { return false; })},
        {"x not a number first", SHORT, vibrationTlog(SHORT, [](int k) { return k < 3; })},
        {"x not a number before the cap", LONG, vibrationTlog(LONG, [](int k) { return k == 777 || k == 777 + LONG / 2; })},
        {"x not a number once thinned", LONG, vibrationTlog(LONG, [](int k) { return k == LONG - 10; })},
    };
    const std::vector<FieldKey> keys = {{"VIBRATION", "vibration_x"}, {"VIBRATION", "vibration_y"}, {"VIBRATION", "clipping_0"}};
    for (const auto& c : cases) {
        ReadOptions keeping;
        keeping.keepFields = keys;
        const Flight kept = readFlightBytes(c.bytes, keeping);
        // Read again from the bytes, as the reader's request reads them.
        const Flight again = readFlightBytes(c.bytes, ReadOptions{});
        for (const FieldKey& key : keys) {
            const std::string name = key.message + "." + key.field;
            const Series a = readField(kept, name), b = readField(again, name);
            ASSERT_FALSE(b.empty()) << c.what << ": " << name;
            EXPECT_EQ(b.size() < static_cast<size_t>(c.packets - 10), c.packets == LONG) << c.what << ": thinned, " << name;
            ASSERT_EQ(a.size(), b.size()) << c.what << ": " << name;
            for (size_t i = 0; i < a.size(); ++i) {
                ASSERT_EQ(a[i].t, b[i].t) << c.what << ": " << name << " sample " << i;
                ASSERT_EQ(a[i].value, b[i].value) << c.what << ": " << name << " sample " << i;
            }
        }
    }
}

namespace {

struct Damage {
    const char* what;
    double at;     // where it starts, as a fraction of the file
    size_t length; // bytes; 0: the file is cut there
    bool zeros;    // else random bytes
};

std::string damaged(const std::string& good, const Damage& d)
{
    const size_t at = static_cast<size_t>(d.at * static_cast<double>(good.size()));
    if (d.length == 0)
        return good.substr(0, at);
    std::string bytes = good;
    uint32_t x = 5;
    for (size_t i = at; i < at + d.length && i < bytes.size(); ++i) {
        x = x * 1664525u + 1013904223u;
        bytes[i] = d.zeros ? '\0' : static_cast<char>(x >> 24);
    }
    return bytes;
}

// The quad's fixes in records the damage leaves whole.
size_t fixesOutside(const std::string& good, const Damage& d)
{
    const size_t from = static_cast<size_t>(d.at * static_cast<double>(good.size()));
    const size_t to = d.length == 0 ? good.size() : from + d.length;
    size_t fixes = 0;
    for (const RecordSpan& r : recordSpans(good, 1))
        fixes += r.fix && (r.offset + r.length <= from || r.offset >= to) ? 1 : 0;
    return fixes;
}

bool anyNote(const Flight& flight, const char* part)
{
    for (const std::string& note : flight.notes)
        if (note.find(part) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(TlogFieldLogs, DamagedCopiesKeepTheFixesOutsideTheDamageAndSaySo)
{
    const Damage damages[] = {
        {"4 KB of zeros at the start", 0.0, 4096, true},
        {"4 KB of zeros at 30 %", 0.3, 4096, true},
        {"4 KB of zeros at 70 %", 0.7, 4096, true},
        {"4 KB of random bytes at 50 %", 0.5, 4096, false},
        {"400 random bytes at 20 %", 0.2, 400, false},
        {"cut at 60 %", 0.6, 0, false},
        {"cut at 90 %", 0.9, 0, false},
    };
    for (FieldStart start : {FieldStart::clean, FieldStart::stationChatter, FieldStart::strayRecords}) {
        const std::string good = fieldTlog(start);
        const size_t all = fixesOutside(good, {"", 0.0, 0, false});
        const std::vector<RecordSpan> spans = recordSpans(good, 1);
        for (const Damage& d : damages) {
            const std::string what = std::string(d.what) + ", start " + std::to_string(static_cast<int>(start));
            const std::string bytes = damaged(good, d);
            const std::vector<Flight> flights = readFlightsOfBytes(bytes, ReadOptions{});
            ASSERT_FALSE(flights.empty()) << what;
            const Flight& quad = flights[0];
            EXPECT_EQ(quad.systemId, 1) << what;
            const double kept = static_cast<double>(quad.position.size());
            const double outside = static_cast<double>(fixesOutside(good, d));
            EXPECT_GE(kept, 0.9 * outside) << what;
            EXPECT_LE(kept, outside) << what;
            if (d.length == 0 && d.at == 0.6) {
                EXPECT_GE(kept, 0.55 * static_cast<double>(all)) << what;
            }
            // A cut between two records leaves nothing to tell.
            const bool cutInside = std::any_of(spans.begin(), spans.end(), [&](const RecordSpan& r) {
                return r.offset < bytes.size() && r.offset + r.length > bytes.size();
            });
            if (d.length > 0 || cutInside) {
                EXPECT_TRUE(anyNote(quad, d.length == 0 ? "the file ends inside" : "damaged stretch")) << what;
            }
        }
    }
}

// A log cut before the vehicle's first heartbeat, or whose heartbeats were
// all damaged, still holds the vehicle's positions: they are read, never
// refused as "no vehicle".
TEST(TlogFieldLogs, PositionsWithoutAHeartbeatAreStillAFlight)
{
    TelemetryFlight f;
    f.seconds = 20.0;
    f.station = false;
    TlogWriter w;
    writeTelemetryFlight(w, f);
    std::string noHeartbeat;
    for (const RecordSpan& r : recordSpans(w.bytes(), 1))
        if (r.id != 0)
            noHeartbeat += w.bytes().substr(r.offset, r.length);
    const std::vector<Flight> flights = readFlightsOfBytes(noHeartbeat, ReadOptions{});
    ASSERT_EQ(flights.size(), 1u);
    EXPECT_EQ(flights[0].systemId, 1);
    EXPECT_EQ(flights[0].position.size(), 85u); // 5 Hz from 3 s to 20 s
    EXPECT_TRUE(anyNote(flights[0], "no heartbeat of system 1 heard: it is read as a vehicle from its positions"));
}

// A packet the reader drops unread is not checked: one whose length byte
// was damaged must not carry the reader past the records after it.
TEST(TlogFieldLogs, AnUncheckedPacketWithADamagedLengthLosesNothingAfterIt)
{
    const auto samples = [](const std::string& bytes) {
        size_t n = 0;
        for (const Flight& f : readFlightsOfBytes(bytes, ReadOptions{}))
            n += f.attitude.size() + f.position.size();
        return n;
    };
    const std::string good = fieldTlog(FieldStart::clean, 60.0);
    const struct {
        const char* what;
        uint32_t id;
    } cases[] = {
        {"VIBRATION, kept only as fields", 241},
        {"NAV_CONTROLLER_OUTPUT, kept only as fields", 62},
    };
    for (const auto& c : cases) {
        std::string bytes = good;
        int seen = 0;
        for (const RecordSpan& r : recordSpans(good, 1)) {
            // The quad's (MAVLink 2) tenth, long after the first told the
            // reader the message; the length then leads into the record
            // after it.
            if (r.id == c.id && static_cast<uint8_t>(good[r.offset + 8]) == 0xfd && ++seen == 10)
                bytes[r.offset + 9] = static_cast<char>(static_cast<uint8_t>(good[r.offset + 9]) + 40);
        }
        ASSERT_GE(seen, 10) << c.what;
        EXPECT_EQ(samples(bytes), samples(good)) << c.what;
    }
}
