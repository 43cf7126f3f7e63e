#pragma once
// The lines a binary reader adds to Flight::notes for a damaged or
// truncated file, worded alike for every format.

#include <cstdint>
#include <string>

namespace flightreplay::readers {

// Damaged stretches skipped while resynchronising; back-to-back stretches
// count as one.
struct DamageCount {
    int64_t stretches = 0;
    uint64_t bytes = 0;
    uint64_t first = 0;
    uint64_t lastEnd = 0;
    bool ranToEnd = false;

    // A stretch starting at byte offset at, length bytes long; toEnd when no
    // marker followed it.
    void add(uint64_t at, uint64_t length, bool toEnd);
    // "N damaged stretch(es) skipped (... bytes, the first at byte X) by
    // resynchronising on <marker>".
    std::string note(const char* marker) const;
};

// "the file ends inside a message at byte X (have of need bytes): converted
// what came before".
std::string truncationNote(uint64_t at, uint64_t have, uint64_t need);

} // namespace flightreplay::readers
