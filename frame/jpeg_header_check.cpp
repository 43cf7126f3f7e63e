#include "frame/jpeg_header_check.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// The file's bytes a block at a time, so that passing over coded scan data
// to the next 0xFF is a memchr.
class ByteSource {
public:
    explicit ByteSource(std::istream& in) : stream(in), block(1 << 16) {}

    // The next byte, -1 at the end.
    int get()
    {
        if (at == end && !fill())
            return -1;
        return static_cast<unsigned char>(block[at++]);
    }

    // Passes over count bytes or to the end.
    void skip(size_t count)
    {
        while (count > end - at) {
            count -= end - at;
            if (!fill())
                return;
        }
        at += count;
    }

    // Passes over the bytes up to and including the next 0xFF; false at the end.
    bool skipPastFF()
    {
        for (;;) {
            const void* found = std::memchr(block.data() + at, 0xFF, end - at);
            if (found) {
                at = static_cast<size_t>(static_cast<const char*>(found) - block.data()) + 1;
                return true;
            }
            if (!fill())
                return false;
        }
    }

    // The next count bytes into bytes; false when the data ends before.
    bool read(size_t count, std::string& bytes)
    {
        bytes.clear();
        while (bytes.size() < count) {
            if (at == end && !fill())
                return false;
            const size_t part = std::min(count - bytes.size(), end - at);
            bytes.append(block.data() + at, part);
            at += part;
        }
        return true;
    }

private:
    bool fill()
    {
        stream.read(block.data(), static_cast<std::streamsize>(block.size()));
        at = 0;
        end = static_cast<size_t>(stream.gcount());
        return end > 0;
    }

    std::istream& stream;
    std::vector<char> block;
    size_t at = 0;
    size_t end = 0;
};

bool isFrameMarker(int marker)
{
    // SOF0 ... SOF15 but DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// The next marker code as the JPEG library finds it: stray bytes, coded
// scan data and stuffed zeros before it skipped, fill bytes 0xFF passed
// over; -1 at the end.
int nextMarker(ByteSource& in)
{
    for (;;) {
        if (!in.skipPastFF())
            return -1;
        int c = in.get();
        while (c == 0xFF)
            c = in.get();
        if (c != 0)
            return c;
    }
}

// A TIFF structure held in an EXIF segment, bounds known.
class Tiff {
public:
    explicit Tiff(std::string bytes) : data(std::move(bytes)), bigEndian(data.compare(0, 4, "MM\0*", 4) == 0) {}

    bool fits(uint64_t at, uint64_t count) const { return at <= data.size() && count <= data.size() - at; }

    uint32_t get(uint64_t at, int size) const
    {
        uint32_t value = 0;
        for (int i = 0; i < size; ++i) {
            const auto place = static_cast<size_t>(at) + static_cast<size_t>(bigEndian ? i : size - 1 - i);
            value = value << 8 | static_cast<unsigned char>(data[place]);
        }
        return value;
    }

    bool sound() const
    {
        if (data.size() < 8 || (data.compare(0, 4, "II*\0", 4) != 0 && !bigEndian))
            return false;
        std::set<uint32_t> seen;
        for (uint32_t ifd = get(4, 4); ifd != 0;) {
            if (ifd < 8 || !seen.insert(ifd).second || !fits(ifd, 2))
                return false;
            const uint32_t entries = get(ifd, 2);
            const uint64_t first = uint64_t{ifd} + 2;
            if (!fits(first, uint64_t{entries} * 12 + 4))
                return false;
            for (uint32_t e = 0; e < entries; ++e) {
                const uint64_t entry = first + uint64_t{e} * 12;
                const uint64_t bytes = uint64_t{typeSize(get(entry + 2, 2))} * get(entry + 4, 4);
                if (bytes > 4 && !fits(get(entry + 8, 4), bytes))
                    return false;
            }
            ifd = get(first + uint64_t{entries} * 12, 4);
        }
        return true;
    }

private:
    // Bytes per value of a TIFF field type; 0 for a type a reader skips.
    static uint32_t typeSize(uint32_t type)
    {
        static const uint32_t sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
        return type < sizeof sizes / sizeof sizes[0] ? sizes[type] : 0;
    }

    std::string data;
    bool bigEndian;
};

} // namespace

// Debian's OSG 3.6.5 JPEG reader aborts the process (an uncaught
// std::bad_alloc) on a file that merely declares a picture too large to
// allocate, such as 65000 x 65000. Looking for the orientation tag, it adds
// the IFD0 offset to the TIFF header's place in 32 bits and reads beyond the
// segment, a segfault, when that sum wraps to just below 2^32. Each scan of a
// progressive picture costs a pass over all its blocks, however few bytes
// the scan takes: a thousand scans of 33 bytes kept it busy for 20 s on a
// 4096 x 4096 picture. Such files are turned away here instead; the walk over
// the segments follows the JPEG library's, which also sees markers behind
// stray bytes.
bool jpegHeaderFits(std::istream& file)
{
    ByteSource in(file);
    if (in.get() != 0xFF || in.get() != 0xD8)
        return true;
    std::string segment;
    int scans = 0;
    for (;;) {
        const int marker = nextMarker(in);
        if (marker < 0 || marker == 0xD9)
            return true;
        if (marker == 0xDA && ++scans > JPEG_MAX_SCANS)
            return false;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        const int high = in.get();
        const int low = in.get();
        if (low < 0)
            return true;
        // The library reads on right after a length word below 2.
        const long length = (high << 8 | low) - 2;
        if (length <= 0)
            continue;
        if (isFrameMarker(marker)) {
            in.get(); // sample precision
            const int h1 = in.get();
            const int h0 = in.get();
            const int w1 = in.get();
            const int w0 = in.get();
            if (w0 < 0)
                return true;
            const long height = h1 << 8 | h0;
            const long width = w1 << 8 | w0;
            if (width > JPEG_MAX_SIDE || height > JPEG_MAX_SIDE || width * height > JPEG_MAX_PIXELS)
                return false;
            if (length < 5)
                return true; // the library refuses a frame header this short
            in.skip(static_cast<size_t>(length - 5));
        } else if (marker == 0xE1 && scans == 0) { // the reader looks for EXIF before the first scan
            if (!in.read(static_cast<size_t>(length), segment))
                return segment.compare(0, 6, "Exif\0\0", 6) != 0;
            if (segment.compare(0, 6, "Exif\0\0", 6) == 0 && !Tiff(segment.substr(6)).sound())
                return false;
        } else {
            in.skip(static_cast<size_t>(length));
        }
    }
}

bool jpegHeaderFits(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return jpegHeaderFits(in);
}
