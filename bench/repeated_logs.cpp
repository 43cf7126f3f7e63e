#include "repeated_logs.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

using flightreplay::readers::ByteReader;
using flightreplay::readers::readLE;

namespace {

template <typename T>
T get(const std::string& s, size_t at)
{
    T v;
    std::memcpy(&v, s.data() + at, sizeof v);
    return v;
}

template <typename T>
void set(std::string& s, size_t at, T v)
{
    std::memcpy(&s[at], &v, sizeof v);
}

} // namespace

void writeRepeatedUlog(const std::string& log, uint64_t bytes, std::ostream& out)
{
    size_t p = 16, firstData = 0;
    std::vector<uint64_t> times;
    while (p + 3 <= log.size()) {
        const uint16_t size = get<uint16_t>(log, p);
        if (log[p + 2] == 'D' && size >= 10) {
            firstData = firstData ? firstData : p;
            times.push_back(get<uint64_t>(log, p + 5));
        }
        p += 3u + size;
    }
    // A few topics do not start with the boot clock (the sample's mission
    // holds 1194 s, its test_motor 0): the span is that of all but the
    // outermost thousandth at either end.
    std::sort(times.begin(), times.end());
    const uint64_t first = times.empty() ? 0 : times[times.size() / 1000];
    const uint64_t last = times.empty() ? 0 : times[times.size() - 1 - times.size() / 1000];
    const std::string data = log.substr(firstData, p - firstData);
    out << log.substr(0, firstData);
    uint64_t written = firstData;
    for (uint64_t round = 0; written < bytes; ++round) {
        std::string block = data;
        for (size_t q = 0; q + 3 <= block.size(); q += 3u + get<uint16_t>(block, q))
            if (block[q + 2] == 'D' && get<uint16_t>(block, q) >= 10)
                set<uint64_t>(block, q + 5, get<uint64_t>(block, q + 5) + round * (last - first + 1000));
        out << block;
        written += block.size();
    }
}

uint64_t walkUlogHeaders(ByteReader& in)
{
    uint64_t messages = 0;
    in.skip(16);
    while (const uint8_t* h = in.peek(3)) {
        const uint16_t size = readLE<uint16_t>(h);
        if (!in.peek(3u + size))
            break;
        in.skip(3u + size);
        ++messages;
    }
    return messages;
}

std::string repeatedDataflash(const std::string& log, uint64_t bytes)
{
    uint8_t length[256] = {};
    length[128] = 89;
    size_t p = 0, firstData = 0;
    while (p + 3 <= log.size()) {
        const uint8_t type = static_cast<uint8_t>(log[p + 2]);
        if (type == 128)
            length[static_cast<uint8_t>(log[p + 3])] = static_cast<uint8_t>(log[p + 4]);
        else if (!firstData)
            firstData = p;
        p += length[type];
    }
    const std::string data = log.substr(firstData);
    std::string out = log.substr(0, firstData);
    for (uint64_t round = 0; out.size() < bytes; ++round) {
        std::string block = data;
        for (size_t q = 0; q < block.size(); q += length[static_cast<uint8_t>(block[q + 2])])
            set<uint64_t>(block, q + 3, get<uint64_t>(block, q + 3) + round * 4000000u);
        out += block;
    }
    return out;
}

uint64_t walkDataflashHeaders(ByteReader& in)
{
    uint8_t length[256] = {};
    length[128] = 89;
    uint64_t messages = 0;
    while (const uint8_t* h = in.peek(3)) {
        const uint8_t type = h[2];
        if (length[type] == 0 || !in.peek(length[type]))
            break;
        if (type == 128)
            length[in.peek(5)[3]] = in.peek(5)[4];
        in.skip(length[type]);
        ++messages;
    }
    return messages;
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
