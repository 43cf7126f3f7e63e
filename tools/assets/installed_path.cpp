#include "tools/assets/installed_path.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace flightreplay::assets {

namespace {

bool isFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

std::string executableFolder()
{
#ifdef _WIN32
    wchar_t buffer[32768];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(sizeof buffer / sizeof buffer[0]));
    if (length == 0 || length >= sizeof buffer / sizeof buffer[0])
        return {};
    const std::filesystem::path executable(std::wstring(buffer, length));
#else
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
#endif
    return executable.parent_path().string();
}

std::string installedAssetPath(const std::string& relative)
{
    const std::string folder = executableFolder();
    if (!folder.empty()) {
        const std::filesystem::path beside = std::filesystem::path(folder) / ".." / "share" / "flightreplay" / relative;
        if (isFile(beside))
            return beside.lexically_normal().string();
    }
#ifdef FLIGHTREPLAY_BUILD_SHARE_DIR
    const std::filesystem::path built = std::filesystem::path(FLIGHTREPLAY_BUILD_SHARE_DIR) / relative;
    if (isFile(built))
        return built.string();
#endif
    return {};
}

} // namespace flightreplay::assets
