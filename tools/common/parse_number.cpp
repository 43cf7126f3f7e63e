#include "tools/common/parse_number.h"

#include <cmath>
#include <cstdlib>

#include "tools/common/tool_error.h"

namespace flightreplay::tools {

double parseNumber(const std::string& option, const std::string& text)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value))
        throw ToolError(option + " " + text + ": not a number");
    return value;
}

} // namespace flightreplay::tools
