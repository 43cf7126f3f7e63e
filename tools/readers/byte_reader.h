#pragma once
// The bytes of a binary log, read front to back through a window: from a
// file in chunks (memory stays at the chunk size plus the longest message
// asked for) or from memory. Little-endian field access for the readers.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace flightreplay::readers {

class ByteReader {
public:
    // Reads from file from its current position; the file stays the caller's.
    explicit ByteReader(FILE* file);
    // Reads size bytes at data, which must outlive the stream.
    ByteReader(const void* data, size_t size);

    // The next n bytes, valid until the next call; nullptr when fewer remain.
    const uint8_t* peek(size_t n);
    // Moves past n bytes (or to the end when fewer remain).
    void skip(size_t n);
    // Bytes that peek can hand out without reading further.
    size_t buffered() const { return end_ - begin_; }
    // Offset of the next byte from the start of the input.
    uint64_t offset() const { return consumed_; }
    // True when no byte is left.
    bool atEnd() { return peek(1) == nullptr; }
    // Moves to the next occurrence of pattern (length n, at most 64 bytes);
    // false, at the end, when there is none.
    bool seek(const uint8_t* pattern, size_t n);

private:
    bool fill(size_t n);

    FILE* file_ = nullptr;
    std::vector<uint8_t> buffer_;
    const uint8_t* data_ = nullptr;
    size_t begin_ = 0;
    size_t end_ = 0;
    uint64_t consumed_ = 0;
    bool ended_ = false; // the file has no more bytes
};

template <typename T>
inline T readLE(const uint8_t* p)
{
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

} // namespace flightreplay::readers
