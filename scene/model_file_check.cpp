#include "scene/model_file_check.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Debian's OSG 3.6.5 AC3D reader reserves room for a vertex or reference
// count before reading the items and aborts the process (an uncaught
// std::bad_alloc) on a negative or huge one, or on a missing one, which it
// leaves uninitialised; it loops without end on a huge child or reference
// count. It also reserves a "data" block's byte count before reading it:
// a negative one aborts (std::length_error), a huge one takes gigabytes.
// It reads each object with children one call deeper: 20000 objects nested
// in one another overflow the stack. Such a file is turned away here instead.
bool acModelCountsFit(std::istream& in)
{
    struct Count {
        long long value;
        long long itemsFrom; // words (bytes for "data") read before the items
        bool inBytes;
    };
    std::vector<Count> counts;
    std::string line;
    long long words = 0;
    long long bytes = 0;
    int groups = 0;
    while (std::getline(in, line)) {
        bytes += static_cast<long long>(line.size()) + 1;
        std::istringstream lineWords(line);
        std::string word;
        bool countFollows = false;
        bool inBytes = false;
        bool childCount = false;
        while (lineWords >> word) {
            if (countFollows) {
                const char* text = word.c_str();
                char* end = nullptr;
                errno = 0;
                const long long value = std::strtoll(text, &end, 10);
                if (end == text || errno == ERANGE || value < 0)
                    return false;
                counts.push_back({value, inBytes ? bytes : words + 1, inBytes});
                // Each level of nesting needs an object with children of its own.
                if (childCount && value > 0 && ++groups > AC_MAX_GROUPS)
                    return false;
            }
            inBytes = word == "data";
            childCount = word == "kids";
            countFollows = inBytes || childCount || word == "numvert" || word == "numsurf" || word == "refs";
            ++words;
        }
        if (countFollows)
            return false;
    }
    for (const Count& count : counts)
        if (count.value > (count.inBytes ? bytes : words) - count.itemsFrom)
            return false;
    return true;
}

bool acModelCountsFit(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return acModelCountsFit(in);
}
