#pragma once
// A logbook run over folders: new and changed files read in parallel and
// entered a batch per transaction, files that are gone taken out.

#include <functional>
#include <string>
#include <vector>

#include "tools/book/sqlite_db.h"

namespace flightreplay::book {

struct UpdateCounts {
    size_t read = 0;      // files entered with their flights
    size_t unchanged = 0; // same size and time, or same content
    size_t gone = 0;      // rows taken out: the file is no longer there
    size_t skipped = 0;   // files entered as no flight log, or one without a fix
};

// Brings the book (open, at bookPath) up to date with the files of paths
// (folders and files): a file the book has with the same size and
// modification time is unchanged, one whose content hash is the same only
// has its time noted; others are read, jobs at a time (0: one per core),
// and entered in batches, each one transaction; the rows of files under
// the paths that are no longer there are taken out (not those of a folder
// given that is missing as a whole). A folder that cannot be read, a file
// that cannot be read and one that vanished during the run are one line
// each on standard error, and the run goes on. A progress bar on a
// terminal once the run takes a while.
UpdateCounts updateBook(Database& db, const std::string& bookPath, const std::vector<std::string>& paths,
                        unsigned jobs);

// "N read, M unchanged, K gone, S skipped"
std::string closingLine(const UpdateCounts& counts);

// The paths of a book's own files (journal and the others SQLite keeps
// beside it, its temporary), which a run over its folder must not read.
std::vector<std::string> bookCompanionPaths(const std::string& bookPath);

} // namespace flightreplay::book
