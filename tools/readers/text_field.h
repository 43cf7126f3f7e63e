#pragma once
// Fields of the text formats (CSV cells, IGC header values, ISO stamps)
// often carry blanks around their value.

#include <cctype>
#include <string_view>

namespace flightreplay::readers {

// The text without leading and trailing white space.
inline std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

} // namespace flightreplay::readers
