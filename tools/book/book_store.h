#pragma once
// Entries into the logbook and out of it, inside the caller's transaction.

#include <map>
#include <memory>
#include <string>

#include "tools/book/book_entry.h"
#include "tools/book/sqlite_db.h"

namespace flightreplay::book {

// Every file the book has seen, by key.
std::map<std::string, FileFacts> knownFiles(Database& db);

// Writes entries into one book; statements prepared once.
class BookWriter {
public:
    explicit BookWriter(Database& db);
    // Replaces whatever the book held of key by entry.
    void put(const std::string& key, const BookEntry& entry);
    // Notes a new modification time of a file whose content is unchanged.
    void touch(const std::string& key, const FileFacts& facts);
    // Removes the file's rows, its flights' findings with them.
    void remove(const std::string& key);

private:
    Database& db_;
    Statement removeFile_, insertFile_, insertFlight_, insertFinding_, insertSkipped_, touchFile_, touchFlights_;
};

} // namespace flightreplay::book
