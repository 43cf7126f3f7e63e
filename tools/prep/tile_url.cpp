#include "tools/prep/tile_url.h"

#include "tools/common/tool_error.h"

namespace flightreplay::prep {

namespace {

bool holds(const std::string& text, const char* key)
{
    return text.find(key) != std::string::npos;
}

std::string replaceAll(std::string text, const std::string& key, const std::string& value)
{
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
    return text;
}

} // namespace

void checkTileTemplate(const std::string& option, const std::string& pattern)
{
    const bool xyz = holds(pattern, "{z}") && holds(pattern, "{x}") && (holds(pattern, "{y}") || holds(pattern, "{-y}"));
    if (!xyz && !holds(pattern, "{q}"))
        throw tools::ToolError(option + " " + pattern + ": a tile template needs {z}, {x} and {y} (or {-y}), or {q}");
}

std::string quadkey(int zoom, int32_t row, int32_t col)
{
    std::string key;
    for (int level = zoom; level > 0; --level) {
        const int32_t bit = int32_t{1} << (level - 1);
        key += static_cast<char>('0' + ((col & bit) ? 1 : 0) + ((row & bit) ? 2 : 0));
    }
    return key;
}

std::string tileUrl(const std::string& pattern, int zoom, int32_t row, int32_t col)
{
    const int64_t tmsRow = (int64_t{1} << zoom) - 1 - row;
    std::string url = replaceAll(pattern, "{z}", std::to_string(zoom));
    url = replaceAll(url, "{x}", std::to_string(col));
    url = replaceAll(url, "{-y}", std::to_string(tmsRow));
    url = replaceAll(url, "{y}", std::to_string(row));
    return replaceAll(url, "{q}", quadkey(zoom, row, col));
}

} // namespace flightreplay::prep
