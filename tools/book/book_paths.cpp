#include "tools/book/book_paths.h"

#include <filesystem>

namespace flightreplay::book {

namespace fs = std::filesystem;

namespace {

fs::path absoluteNormal(const fs::path& path)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return (error ? path : absolute).lexically_normal();
}

} // namespace

std::string bookFolder(const std::string& bookPath)
{
    return absoluteNormal(bookPath).parent_path().generic_string();
}

std::string bookKey(const std::string& logPath, const std::string& folder)
{
    const fs::path absolute = absoluteNormal(logPath);
    const fs::path relative = absolute.lexically_relative(folder);
    const std::string text = relative.generic_string();
    if (text == ".")
        return "";
    if (relative.empty() || text.rfind("..", 0) == 0)
        return absolute.generic_string();
    return text;
}

std::string pathOfKey(const std::string& key, const std::string& folder)
{
    const fs::path path(key);
    return path.is_absolute() ? key : (fs::path(folder) / path).generic_string();
}

bool keyIsUnder(const std::string& key, const std::string& folderKey)
{
    if (folderKey.empty() || folderKey == ".")
        return !fs::path(key).is_absolute();
    if (key.size() <= folderKey.size() || key.compare(0, folderKey.size(), folderKey) != 0)
        return key == folderKey;
    return folderKey.back() == '/' || key[folderKey.size()] == '/';
}

} // namespace flightreplay::book
