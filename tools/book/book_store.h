#pragma once
// Entries into the logbook and out of it, inside the caller's transaction.

#include <map>
#include <memory>
#include <string>

#include "tools/book/book_entry.h"
#include "tools/book/sqlite_db.h"

namespace flightreplay::book {

// The columns of flights after path and of findings after flight, in the
// order BookWriter binds them and a merge copies them.
extern const char* const FLIGHT_COLUMNS;
constexpr int FLIGHT_COLUMN_COUNT = 19;
extern const char* const FINDING_COLUMNS;
constexpr int FINDING_COLUMN_COUNT = 8;

// "INSERT INTO table(first, columns) VALUES (?1, ?2, ...)": a parameter for
// first and one for each of the count columns.
std::string insertSql(const std::string& table, const std::string& first, const std::string& columns, int count);

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
