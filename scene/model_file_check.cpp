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
// count. Such a file is turned away here instead.
bool acModelCountsFit(std::istream& in)
{
    struct Count {
        long long value;
        long long wordIndex;
    };
    std::vector<Count> counts;
    std::string line;
    long long words = 0;
    while (std::getline(in, line)) {
        std::istringstream lineWords(line);
        std::string word;
        bool countFollows = false;
        while (lineWords >> word) {
            if (countFollows) {
                const char* text = word.c_str();
                char* end = nullptr;
                errno = 0;
                const long long value = std::strtoll(text, &end, 10);
                if (end == text || errno == ERANGE || value < 0)
                    return false;
                counts.push_back({value, words});
            }
            countFollows = word == "numvert" || word == "numsurf" || word == "refs" || word == "kids";
            ++words;
        }
        if (countFollows)
            return false;
    }
    for (const Count& count : counts)
        if (count.value > words - count.wordIndex - 1)
            return false;
    return true;
}

bool acModelCountsFit(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return acModelCountsFit(in);
}
