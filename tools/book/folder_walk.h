#pragma once
// The files of the folders a logbook run is given.

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace flightreplay::book {

struct FoundFile {
    std::string path; // as found: the folder as given, then the names below it
    std::string key;  // as the book keeps it (bookKey)
};

// Every regular file in the folders (and below them; symbolic links to
// folders not followed) and every file given itself, sorted by key, each
// once, those whose path is in excluded left out. A folder that cannot be
// read, or a path that is not there, is one call of warn ("PATH: reason")
// and the walk goes on.
std::vector<FoundFile> findFiles(const std::vector<std::string>& paths, const std::string& bookFolder,
                                 const std::set<std::string>& excluded,
                                 const std::function<void(const std::string&)>& warn);

} // namespace flightreplay::book
