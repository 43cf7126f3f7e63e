#include "tools/prep/download_cache.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include "tools/common/output_file.h"
#include "tools/common/tool_error.h"
#include "tools/prep/http_fetcher.h"

namespace flightreplay::prep {

std::string cacheFolder(const std::string& chosen)
{
    if (!chosen.empty())
        return chosen;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg)
        return std::string(xdg) + "/flightreplay";
#ifdef _WIN32
    if (const char* local = std::getenv("LOCALAPPDATA"); local && *local)
        return std::string(local) + "/flightreplay";
#endif
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.cache/flightreplay";
    return ".flightreplay-cache";
}

std::string sourceKey(const std::string& source)
{
    uint64_t hash = 14695981039346656037ull;
    for (const char c : source) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    std::string host;
    for (const char c : hostOf(source)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
        host += plain ? c : '_';
    }
    return std::string(hex) + "-" + host;
}

bool readCached(const std::string& path, std::string& bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open())
        return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

void storeCached(const std::string& path, const std::string& bytes)
{
    // One generator a thread: the imagery and the elevation store at once.
    thread_local std::mt19937_64 random{std::random_device{}()};
    const std::filesystem::path target(path);
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(random()));
    const std::string temporary = path + suffix;
    {
        std::ofstream file(temporary, std::ios::binary);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        file.close();
        if (!file) {
            std::filesystem::remove(temporary, error);
            return;
        }
    }
    try {
        tools::renameIntoPlace(temporary, path);
    } catch (const tools::ToolError&) {
        // A cache that cannot store only costs a later download.
    }
}

} // namespace flightreplay::prep
