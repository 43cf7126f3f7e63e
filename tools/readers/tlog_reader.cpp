#include "tools/readers/tlog_reader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>

#include "tools/readers/mavlink_messages.h"
#include "tools/readers/stream_notes.h"
#include "tools/readers/tlog_missions.h"
#include "tools/readers/tlog_vehicle.h"

namespace flightreplay::readers {

using namespace flight;

namespace {

constexpr uint8_t START_V1 = 0xfe;
constexpr uint8_t START_V2 = 0xfd;
constexpr size_t STAMP = 8;
constexpr size_t HEADER_V1 = 6; // start, len, seq, sysid, compid, msgid
constexpr size_t HEADER_V2 = 10;
constexpr size_t CRC = 2;
constexpr size_t SIGNATURE = 13;
constexpr uint8_t SIGNED = 1;
// A record's stamp and the packet's start byte and length: enough to know
// how long the record is.
constexpr size_t RECORD_HEAD = STAMP + 2;
constexpr size_t MAX_RECORD = STAMP + HEADER_V2 + mavlink::MAX_PAYLOAD + CRC + SIGNATURE;
// Stamps from 2000 to 2100, µs since 1970.
constexpr uint64_t FIRST_STAMP = 946684800ull * 1000000ull;
constexpr uint64_t LAST_STAMP = 4102444800ull * 1000000ull;
// A damaged stretch is left at a stamp this close to the last good one.
constexpr uint64_t RESYNC_STAMP_RANGE = 86400ull * 1000000ull;
// Records in a run that tells a telemetry log.
constexpr int MIN_RUN = 3;

struct CrcTables {
    uint16_t table[8][256] = {};
    constexpr CrcTables()
    {
        for (unsigned v = 0; v < 256; ++v) {
            unsigned crc = v;
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc & 1) ? (crc >> 1) ^ 0x8408 : crc >> 1;
            table[0][v] = static_cast<uint16_t>(crc);
        }
        // table[k][v]: byte v followed by k zero bytes, so that eight bytes
        // go through at once.
        for (int k = 1; k < 8; ++k)
            for (unsigned v = 0; v < 256; ++v) {
                const uint16_t before = table[k - 1][v];
                table[k][v] = static_cast<uint16_t>((before >> 8) ^ table[0][before & 0xff]);
            }
    }
};

constexpr CrcTables CRC_TABLES;

inline uint16_t crcStep(uint16_t crc, uint8_t byte)
{
    return static_cast<uint16_t>((crc >> 8) ^ CRC_TABLES.table[0][(crc ^ byte) & 0xff]);
}

inline uint16_t crcOf(const uint8_t* bytes, size_t n, uint16_t crc)
{
    const auto& t = CRC_TABLES.table;
    while (n >= 8) {
        const unsigned x = crc ^ (bytes[0] | static_cast<unsigned>(bytes[1]) << 8);
        crc = static_cast<uint16_t>(t[7][x & 0xff] ^ t[6][x >> 8] ^ t[5][bytes[2]] ^ t[4][bytes[3]] ^ t[3][bytes[4]]
                                    ^ t[2][bytes[5]] ^ t[1][bytes[6]] ^ t[0][bytes[7]]);
        bytes += 8;
        n -= 8;
    }
    // The rest four and two bytes at a time too: byte by byte, each step
    // waits on the last's table look-up.
    if (n >= 4) {
        const unsigned x = crc ^ (bytes[0] | static_cast<unsigned>(bytes[1]) << 8);
        crc = static_cast<uint16_t>(t[3][x & 0xff] ^ t[2][x >> 8] ^ t[1][bytes[2]] ^ t[0][bytes[3]]);
        bytes += 4;
        n -= 4;
    }
    if (n >= 2) {
        const unsigned x = crc ^ (bytes[0] | static_cast<unsigned>(bytes[1]) << 8);
        crc = static_cast<uint16_t>(t[1][x & 0xff] ^ t[0][x >> 8]);
        bytes += 2;
        n -= 2;
    }
    return n > 0 ? crcStep(crc, *bytes) : crc;
}

// Big-endian, as the station writes it.
inline uint64_t stampOf(const uint8_t* r)
{
    return static_cast<uint64_t>(r[0]) << 56 | static_cast<uint64_t>(r[1]) << 48 | static_cast<uint64_t>(r[2]) << 40
           | static_cast<uint64_t>(r[3]) << 32 | static_cast<uint64_t>(r[4]) << 24 | static_cast<uint64_t>(r[5]) << 16
           | static_cast<uint64_t>(r[6]) << 8 | static_cast<uint64_t>(r[7]);
}

bool plausibleStamp(uint64_t stamp)
{
    return stamp >= FIRST_STAMP && stamp <= LAST_STAMP;
}

// The whole record's length from its first RECORD_HEAD bytes; 0 when no
// packet starts after the stamp.
size_t recordLength(const uint8_t* record)
{
    const uint8_t start = record[STAMP];
    const size_t payload = record[STAMP + 1];
    if (start == START_V1)
        return STAMP + HEADER_V1 + payload + CRC;
    if (start != START_V2)
        return 0;
    // The flags byte follows the length: a record cut short there is told
    // by its length alone, and a signature is added once it is in.
    return STAMP + HEADER_V2 + payload + CRC;
}

struct Packet {
    uint64_t stamp;
    uint32_t id;
    uint8_t system;
    uint8_t component;
    uint8_t incompatible;
    const uint8_t* payload;
    size_t payloadLength;
    size_t checkedLength; // bytes after the start byte the CRC covers, less the CRC extra
    uint16_t crc;
};

inline Packet packetOf(const uint8_t* record, uint64_t stamp)
{
    Packet p;
    p.stamp = stamp;
    const uint8_t* h = record + STAMP;
    p.payloadLength = h[1];
    if (h[0] == START_V1) {
        p.incompatible = 0;
        p.system = h[3];
        p.component = h[4];
        p.id = h[5];
        p.payload = h + HEADER_V1;
        p.checkedLength = HEADER_V1 - 1 + p.payloadLength;
    } else {
        p.incompatible = h[2];
        p.system = h[5];
        p.component = h[6];
        p.id = h[7] | static_cast<uint32_t>(h[8]) << 8 | static_cast<uint32_t>(h[9]) << 16;
        p.payload = h + HEADER_V2;
        p.checkedLength = HEADER_V2 - 1 + p.payloadLength;
    }
    p.crc = static_cast<uint16_t>(p.payload[p.payloadLength] | p.payload[p.payloadLength + 1] << 8);
    return p;
}

inline bool crcChecks(const Packet& p, const mavlink::Message& message, const uint8_t* record)
{
    return crcStep(crcOf(record + STAMP + 1, p.checkedLength, 0xffff), message.crcExtra) == p.crc;
}

// Whether the record at r (of available bytes) is a packet of a known
// message whose CRC checks; its length in `length`.
bool verifiedRecord(const uint8_t* r, size_t available, size_t& length)
{
    if (available < RECORD_HEAD || !plausibleStamp(stampOf(r)) || (length = recordLength(r)) == 0)
        return false;
    if (r[STAMP] == START_V2 && available > STAMP + 2 && (r[STAMP + 2] & SIGNED))
        length += SIGNATURE;
    if (length > available)
        return false;
    const Packet p = packetOf(r, stampOf(r));
    const mavlink::Message* message = mavlink::messageOf(p.id);
    return message && (p.incompatible & ~SIGNED) == 0 && crcChecks(p, *message, r);
}

bool isMissionMessage(uint32_t id)
{
    using namespace mavlink;
    return id == MISSION_COUNT || id == MISSION_ITEM || id == MISSION_ITEM_INT || id == FENCE_POINT || id == RALLY_POINT;
}

class TlogParser {
public:
    TlogParser(ByteReader& in, TlogFieldRequest* request, const std::vector<FieldKey>& keep)
        : in_(in), request_(request), keep_(keep)
    {
        for (uint32_t id = 0; id < 256; ++id) {
            messages_[id] = mavlink::messageOf(id);
            // The vehicle reads its other messages' payloads as they came,
            // requested and kept fields too.
            const bool padded = isMissionMessage(id) || id == mavlink::HEARTBEAT || id == mavlink::STATUSTEXT;
            if (const mavlink::Message* m = messages_[id])
                read_[id] = padded ? m->extendedLength : 0;
        }
    }
    std::vector<Flight> run();

private:
    enum class Outcome { read, badCrc, lost };
    Outcome handle(const Packet& p, const uint8_t* record, const uint8_t* next, size_t nextAvailable, bool fileEnd);
    void dispatch(const Packet& p, const mavlink::Message& message);
    void resynchronise(uint64_t at);
    std::vector<Flight> flights();

    ByteReader& in_;
    std::array<const mavlink::Message*, 256> messages_{}; // the table's, by id
    std::array<uint8_t, 256> read_{}; // payload bytes each id's packets are padded to
    std::array<std::unique_ptr<TlogVehicle>, 256> systems_;
    std::array<uint64_t, 256> packets_{};
    std::array<bool, 256> verified_{};
    std::vector<int> vehicles_; // in the order of their first heartbeat
    MissionTransfers missions_;
    DamageCount damage_;
    uint64_t badCrc_ = 0;
    uint64_t lastStamp_ = 0;
    std::string truncation_;
    uint8_t payload_[mavlink::MAX_PAYLOAD] = {};
    TlogFieldRequest* request_;
    std::vector<FieldKey> keep_;
};

std::vector<Flight> TlogParser::run()
{
    for (;;) {
        const uint64_t at = in_.offset();
        const uint8_t* head = in_.peek(RECORD_HEAD);
        if (!head) {
            if (in_.buffered() > 0)
                truncation_ = truncationNote(at, in_.buffered(), RECORD_HEAD);
            break;
        }
        size_t length = recordLength(head);
        uint64_t stamp = stampOf(head);
        if (length == 0 || !plausibleStamp(stamp)) {
            resynchronise(at);
            continue;
        }
        // The record and the next one's head, to tell a damaged length from
        // a packet of an unknown message.
        const uint8_t* record = in_.peek(length + SIGNATURE + RECORD_HEAD + 1);
        const bool last = record == nullptr;
        if (last)
            record = in_.peek(in_.buffered());
        const size_t window = in_.buffered();
        if (record[STAMP] == START_V2 && window > STAMP + 2 && (record[STAMP + 2] & SIGNED))
            length += SIGNATURE;
        if (length > window) {
            truncation_ = truncationNote(at, window, length);
            break;
        }
        // The records that follow whole within the window, with the next
        // one's head, are read from it straight away.
        size_t used = 0;
        bool lost = false;
        for (;;) {
            const uint8_t* r = record + used;
            const Outcome outcome = handle(packetOf(r, stamp), r, r + length, window - used - length, last);
            if (outcome == Outcome::lost) {
                lost = true;
                break;
            }
            used += length;
            if (used + RECORD_HEAD + 1 > window)
                break;
            const uint8_t* next = record + used;
            length = recordLength(next);
            stamp = stampOf(next);
            if (length == 0 || !plausibleStamp(stamp))
                break;
            if (next[STAMP] == START_V2 && (next[STAMP + 2] & SIGNED))
                length += SIGNATURE;
            if (used + length + RECORD_HEAD + 1 > window)
                break;
        }
        in_.skip(used);
        if (lost)
            resynchronise(in_.offset());
    }
    return flights();
}

TlogParser::Outcome TlogParser::handle(const Packet& p, const uint8_t* record, const uint8_t* next, size_t nextAvailable,
                                       bool fileEnd)
{
    const mavlink::Message* message = p.id < 256 ? messages_[p.id] : nullptr;
    const bool understood = message && (p.incompatible & ~SIGNED) == 0;
    TlogVehicle* system = systems_[p.system].get();
    // A packet the vehicle would drop unread is not checked.
    const bool unread = understood && system && system->drops(p.component, p.id);
    if (understood && !unread && crcChecks(p, *message, record)) {
        lastStamp_ = p.stamp;
        ++packets_[p.system];
        verified_[p.system] = true;
        dispatch(p, *message);
        return Outcome::read;
    }
    // A packet that is not checked, or fails its check, is skipped by its
    // length when a record follows it there, or the file ends there or too
    // soon after for a record's head; else its length is as damaged as the
    // rest and the stream has lost its place.
    const bool followed = nextAvailable == 0 || (fileEnd && nextAvailable < RECORD_HEAD)
                          || (nextAvailable >= RECORD_HEAD && plausibleStamp(stampOf(next)) && recordLength(next) != 0);
    if (!followed)
        return Outcome::lost;
    if (understood && !unread) {
        ++badCrc_;
        return Outcome::badCrc;
    }
    ++packets_[p.system];
    if (unread)
        system->dropped(static_cast<double>(p.stamp) * 1e-6, p.component, p.id);
    else if (system)
        system->heard(static_cast<double>(p.stamp) * 1e-6);
    return Outcome::read;
}

// Every packet whose CRC checked comes through here.
void TlogParser::dispatch(const Packet& p, const mavlink::Message& message)
{
    // MAVLink 2 drops a payload's trailing zeros: the fields past its end
    // read as zero. Payloads are read where they lie, but those of messages
    // read by the table's layout alone, when cut short, from a copy padded
    // with the zeros.
    const uint8_t* payload = p.payload;
    size_t length = p.payloadLength;
    if (length < read_[p.id]) {
        std::memcpy(payload_, p.payload, length);
        std::memset(payload_ + length, 0, read_[p.id] - length);
        payload = payload_;
        length = read_[p.id];
    }
    const double stamp = static_cast<double>(p.stamp) * 1e-6;
    if (isMissionMessage(p.id)) {
        missions_.packet(p.system, message, payload);
        if (systems_[p.system])
            systems_[p.system]->heard(stamp);
        return;
    }
    std::unique_ptr<TlogVehicle>& system = systems_[p.system];
    if (!system) {
        system = std::make_unique<TlogVehicle>();
        if (request_ && request_->system() == p.system)
            system->ask(request_);
        if (!keep_.empty())
            system->keep(keep_);
    }
    const bool wasVehicle = system->isVehicle();
    system->packet(stamp, p.component, message, payload, length);
    if (!wasVehicle && system->isVehicle())
        vehicles_.push_back(p.system);
}

void TlogParser::resynchronise(uint64_t at)
{
    in_.skip(1);
    for (;;) {
        const uint8_t* window = in_.peek(MAX_RECORD);
        const bool end = window == nullptr;
        if (end)
            window = in_.peek(in_.buffered());
        const size_t available = in_.buffered();
        // Near the window's end a record may be cut by it: read on first.
        const size_t scanned = end ? available : available - MAX_RECORD + 1;
        for (size_t i = 0; i < scanned; ++i) {
            const uint8_t* r = window + i;
            if (i + RECORD_HEAD > available || (r[STAMP] != START_V1 && r[STAMP] != START_V2))
                continue;
            const uint64_t stamp = stampOf(r);
            const bool near = lastStamp_ == 0 || (stamp + RESYNC_STAMP_RANGE >= lastStamp_ && stamp <= lastStamp_ + RESYNC_STAMP_RANGE);
            size_t length = 0;
            if (near && verifiedRecord(r, available - i, length)) {
                in_.skip(i);
                damage_.add(at, in_.offset() - at, false);
                return;
            }
        }
        in_.skip(scanned);
        if (end || available == 0) {
            damage_.add(at, in_.offset() - at, true);
            return;
        }
    }
}

std::vector<Flight> TlogParser::flights()
{
    std::vector<LinkSystem> heard;
    for (int id = 0; id < 256; ++id) {
        if (!verified_[static_cast<size_t>(id)])
            continue;
        const TlogVehicle* system = systems_[static_cast<size_t>(id)].get();
        heard.push_back({id, system ? system->type() : -1, system ? system->autopilot() : -1, packets_[static_cast<size_t>(id)]});
    }
    std::vector<std::string> fileNotes;
    std::string damage;
    if (badCrc_ > 0)
        damage = std::to_string(badCrc_) + (badCrc_ == 1 ? " packet" : " packets") + " with a bad CRC skipped";
    if (damage_.stretches > 0)
        damage += (damage.empty() ? "" : "; ") + damage_.note("the next stamp and packet whose CRC checks");
    if (!damage.empty())
        fileNotes.push_back(damage);
    if (!truncation_.empty())
        fileNotes.push_back(truncation_);

    // A vehicle whose heartbeats were all lost (a log cut or damaged early)
    // still flew where its positions say.
    std::vector<int> flown = vehicles_;
    const bool unnamed = flown.empty();
    for (int id = 0; id < 256 && unnamed; ++id)
        if (systems_[static_cast<size_t>(id)] && systems_[static_cast<size_t>(id)]->hasFixes())
            flown.push_back(id);
    std::vector<Flight> out;
    for (int id : flown) {
        Flight flight = systems_[static_cast<size_t>(id)]->finish();
        flight.systemId = id;
        flight.linkSystems = heard;
        missions_.fillPlan(id, flight.plan, flight.notes);
        if (unnamed)
            flight.notes.insert(flight.notes.begin(), "no heartbeat of system " + std::to_string(id)
                                                          + " heard: it is read as a vehicle from its positions");
        flight.notes.insert(flight.notes.begin(), fileNotes.begin(), fileNotes.end());
        out.push_back(std::move(flight));
    }
    if (out.empty()) {
        Flight none;
        none.format = FlightFormat::tlog;
        none.linkSystems = heard;
        none.notes = fileNotes;
        out.push_back(std::move(none));
    }
    return out;
}

} // namespace

uint16_t mavlinkCrc(const uint8_t* bytes, size_t n, uint16_t crc)
{
    return crcOf(bytes, n, crc);
}

std::vector<Flight> readTlog(ByteReader& in, const std::vector<FieldKey>& keep)
{
    TlogParser parser(in, nullptr, keep);
    return parser.run();
}

std::vector<Flight> readTlog(ByteReader& in, TlogFieldRequest* request)
{
    TlogParser parser(in, request, {});
    return parser.run();
}

size_t tlogEvidence(const std::string& head)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(head.data());
    const size_t size = head.size();
    size_t best = 0;
    for (size_t start = 0; start + RECORD_HEAD <= size && best < size - start;) {
        const uint8_t* first = bytes + start;
        if ((first[STAMP] != START_V1 && first[STAMP] != START_V2) || !plausibleStamp(stampOf(first))) {
            ++start;
            continue;
        }
        // The run: each record's length leads to the next stamp, no earlier
        // than the last and within a day of it.
        size_t at = start;
        int records = 0;
        bool checks = false;
        uint64_t last = stampOf(first);
        while (at + RECORD_HEAD <= size) {
            const uint8_t* r = bytes + at;
            const uint64_t stamp = stampOf(r);
            size_t length = recordLength(r);
            if (length == 0 || !plausibleStamp(stamp) || stamp < last || stamp > last + RESYNC_STAMP_RANGE)
                break;
            if (r[STAMP] == START_V2 && at + STAMP + 2 < size && (r[STAMP + 2] & SIGNED))
                length += SIGNATURE;
            size_t ignored = 0;
            checks = checks || verifiedRecord(r, size - at, ignored);
            last = stamp;
            ++records;
            at += length;
        }
        const size_t end = std::min(at, size);
        // Three records that frame one after the other are no chance; a
        // shorter file is a log when a packet in it checks.
        const bool whole = end == size && at <= size;
        if ((records >= MIN_RUN || (whole && checks)) && end - start > best)
            best = end - start;
        start = records >= MIN_RUN ? end : start + 1;
    }
    return best;
}

} // namespace flightreplay::readers
