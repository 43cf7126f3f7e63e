#include "tools/readers/byte_reader.h"

#include <algorithm>

namespace flightreplay::readers {

namespace {
constexpr size_t CHUNK = 1 << 20;
}

ByteReader::ByteReader(FILE* file) : file_(file) {}

ByteReader::ByteReader(const void* data, size_t size)
    : data_(static_cast<const uint8_t*>(data)), end_(size)
{
}

bool ByteReader::fill(size_t n)
{
    // Past the end a reader may still ask for more, byte after byte while
    // it resynchronises: answer without moving the window each time.
    if (!file_ || ended_)
        return false;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (buffer_.size() < std::max(n, CHUNK))
        buffer_.resize(std::max(n, CHUNK));
    while (end_ < n) {
        const size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
        if (got == 0) {
            ended_ = true;
            data_ = buffer_.data();
            return false;
        }
        end_ += got;
    }
    data_ = buffer_.data();
    return true;
}

const uint8_t* ByteReader::peek(size_t n)
{
    if (end_ - begin_ < n && !fill(n))
        return nullptr;
    return data_ + begin_;
}

void ByteReader::skip(size_t n)
{
    while (n > 0) {
        if (begin_ == end_ && !fill(1))
            return;
        const size_t step = std::min(n, end_ - begin_);
        begin_ += step;
        consumed_ += step;
        n -= step;
    }
}

bool ByteReader::seek(const uint8_t* pattern, size_t n)
{
    for (;;) {
        if (!peek(n)) {
            skip(buffered());
            return false;
        }
        const uint8_t* first = data_ + begin_;
        const uint8_t* last = data_ + end_;
        const uint8_t* found = std::search(first, last, pattern, pattern + n);
        if (found != last) {
            skip(static_cast<size_t>(found - first));
            return true;
        }
        // Keep the last n - 1 bytes: the pattern may straddle the refill.
        skip(static_cast<size_t>(last - first) - (n - 1));
    }
}

} // namespace flightreplay::readers
