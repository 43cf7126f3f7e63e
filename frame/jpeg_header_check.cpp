#include "frame/jpeg_header_check.h"

#include <fstream>

namespace {

int byteAt(std::istream& in)
{
    const int c = in.get();
    return in ? c : -1;
}

bool isFrameMarker(int marker)
{
    // SOF0 ... SOF15 but DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

} // namespace

// Debian's OSG 3.6.5 JPEG reader aborts the process (an uncaught
// std::bad_alloc) on a file that merely declares a picture too large to
// allocate, such as 65000 x 65000; such a file is turned away here instead.
bool jpegSizeFits(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (byteAt(in) != 0xFF || byteAt(in) != 0xD8)
        return true;
    for (;;) {
        int marker = byteAt(in);
        if (marker != 0xFF)
            return true;
        while (marker == 0xFF)
            marker = byteAt(in);
        if (marker < 0 || marker == 0xD9 || marker == 0xDA)
            return true;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        const int high = byteAt(in);
        const int low = byteAt(in);
        if (low < 0)
            return true;
        const long length = high << 8 | low;
        if (isFrameMarker(marker)) {
            byteAt(in); // sample precision
            const int h1 = byteAt(in);
            const int h0 = byteAt(in);
            const int w1 = byteAt(in);
            const int w0 = byteAt(in);
            if (w0 < 0)
                return true;
            const long height = h1 << 8 | h0;
            const long width = w1 << 8 | w0;
            return width <= JPEG_MAX_SIDE && height <= JPEG_MAX_SIDE && width * height <= JPEG_MAX_PIXELS;
        }
        if (length < 2)
            return true;
        in.seekg(length - 2, std::ios::cur);
    }
}
