#include "tools/book/folder_walk.h"

#include <algorithm>
#include <filesystem>

#include "tools/book/book_paths.h"

namespace flightreplay::book {

namespace fs = std::filesystem;

namespace {

struct Walk {
    const std::string& bookFolder;
    const std::set<std::string>& excluded;
    const std::function<void(const std::string&)>& warn;
    std::vector<FoundFile> found;

    void addFile(const fs::path& path)
    {
        FoundFile file{path.generic_string(), bookKey(path.string(), bookFolder)};
        if (excluded.count(file.key) == 0)
            found.push_back(std::move(file));
    }

    void walk(const fs::path& folder)
    {
        std::error_code error;
        fs::directory_iterator it(folder, error);
        const fs::directory_iterator end;
        for (; !error && it != end; it.increment(error)) {
            std::error_code kindError;
            const fs::file_status own = it->symlink_status(kindError);
            if (fs::is_directory(own)) {
                walk(it->path());
                continue;
            }
            if (fs::is_regular_file(it->status(kindError)))
                addFile(it->path());
        }
        if (error)
            warn(folder.generic_string() + ": cannot be read (" + error.message() + ")");
    }
};

} // namespace

std::vector<FoundFile> findFiles(const std::vector<std::string>& paths, const std::string& bookFolder,
                                 const std::set<std::string>& excluded,
                                 const std::function<void(const std::string&)>& warn)
{
    Walk walk{bookFolder, excluded, warn, {}};
    for (const std::string& path : paths) {
        std::error_code error;
        const fs::file_status status = fs::status(path, error);
        if (fs::is_directory(status))
            walk.walk(path);
        else if (fs::is_regular_file(status))
            walk.addFile(path);
        else
            warn(path + ": " + (fs::exists(status) ? "neither a folder nor a file" : "no such folder or file"));
    }
    std::sort(walk.found.begin(), walk.found.end(), [](const FoundFile& a, const FoundFile& b) { return a.key < b.key; });
    walk.found.erase(std::unique(walk.found.begin(), walk.found.end(),
                                 [](const FoundFile& a, const FoundFile& b) { return a.key == b.key; }),
                     walk.found.end());
    return walk.found;
}

} // namespace flightreplay::book
