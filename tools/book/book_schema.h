#pragma once
// The logbook's SQLite schema: files seen, flights, the review's findings
// and the files that hold no flight; versioned by PRAGMA user_version and
// marked as ours by PRAGMA application_id.

#include <memory>
#include <string>

#include "tools/book/sqlite_db.h"

namespace flightreplay::book {

constexpr int BOOK_SCHEMA_VERSION = 1;
constexpr int BOOK_APPLICATION_ID = 0x4652424b; // "FRBK"

// Opens the book at path: readOnly for a book that must exist, readWrite
// and create make an empty or missing file a new book. Foreign keys on.
// Throws tools::ToolError with one line and the file untouched for a file
// that is no SQLite database, another program's database, or a book of a
// newer schema than BOOK_SCHEMA_VERSION.
std::unique_ptr<Database> openBook(const std::string& path, OpenMode mode);

} // namespace flightreplay::book
