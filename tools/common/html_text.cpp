#include "tools/common/html_text.h"

namespace flightreplay::tools {

std::string htmlEscaped(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string scriptSafe(const std::string& json)
{
    std::string out;
    out.reserve(json.size());
    for (char c : json) {
        if (c == '<')
            out += "\\u003c";
        else
            out += c;
    }
    return out;
}

std::string filledTemplate(std::string_view page, const std::vector<std::pair<std::string, std::string_view>>& fills)
{
    size_t length = page.size();
    for (const auto& fill : fills)
        length += fill.second.size();
    std::string out;
    out.reserve(length);
    size_t from = 0;
    for (const auto& [marker, with] : fills) {
        const size_t at = page.find(marker, from);
        if (at == std::string_view::npos)
            continue;
        out.append(page.substr(from, at - from));
        out.append(with);
        from = at + marker.size();
    }
    out.append(page.substr(from));
    return out;
}

} // namespace flightreplay::tools
