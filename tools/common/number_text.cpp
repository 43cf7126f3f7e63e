#include "tools/common/number_text.h"

#include <cmath>
#include <cstdio>

namespace flightreplay::tools {

std::string numberText(double value, const char* format, const char* missing)
{
    if (!std::isfinite(value))
        return missing;
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace flightreplay::tools
