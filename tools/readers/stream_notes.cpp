#include "tools/readers/stream_notes.h"

namespace flightreplay::readers {

void DamageCount::add(uint64_t at, uint64_t length, bool toEnd)
{
    if (stretches == 0)
        first = at;
    if (stretches == 0 || at != lastEnd)
        ++stretches;
    bytes += length;
    lastEnd = at + length;
    ranToEnd = toEnd;
}

std::string DamageCount::note(const char* marker) const
{
    std::string text = std::to_string(stretches) + (stretches == 1 ? " damaged stretch" : " damaged stretches")
                       + " skipped (" + std::to_string(bytes) + " bytes, the first at byte " + std::to_string(first)
                       + ") by resynchronising on " + marker;
    if (ranToEnd)
        text += "; the last one ran to the end of the file";
    return text;
}

std::string truncationNote(uint64_t at, uint64_t have, uint64_t need)
{
    return "the file ends inside a message at byte " + std::to_string(at) + " (" + std::to_string(have) + " of "
           + std::to_string(need) + " bytes): converted what came before";
}

} // namespace flightreplay::readers
