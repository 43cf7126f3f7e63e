#pragma once
// SQLite (Debian's libsqlite3) held by RAII: a connection and its prepared
// statements, every failure a tools::ToolError naming the book.

#include <cstdint>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace flightreplay::book {

enum class OpenMode { readOnly, readWrite, create };

class Database {
public:
    // Opens the SQLite file at path; throws ToolError "PATH: reason".
    Database(const std::string& path, OpenMode mode);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Runs statements without results (several, separated by ;).
    void execute(const std::string& sql);
    // The integer the statement's first row starts with; fallback without a row.
    int64_t integer(const std::string& sql, int64_t fallback = 0);
    int64_t lastInsertId() const;
    const std::string& path() const { return path_; }
    sqlite3* handle() const { return db_; }
    // "PATH: message" with SQLite's last error of this connection.
    std::string failure(const std::string& what) const;

private:
    std::string path_;
    sqlite3* db_ = nullptr;
};

// One prepared statement; parameters numbered from 1, columns from 0.
class Statement {
public:
    // Throws ToolError for SQL that does not prepare, or that holds more
    // than one statement.
    Statement(Database& db, const std::string& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, int64_t value);
    Statement& bind(int index, int value) { return bind(index, static_cast<int64_t>(value)); }
    Statement& bind(int index, size_t value) { return bind(index, static_cast<int64_t>(value)); }
    // NaN and infinities are bound as NULL.
    Statement& bind(int index, double value);
    // Bound as NULL when empty and emptyIsNull.
    Statement& bind(int index, const std::string& value, bool emptyIsNull = false);
    Statement& bindNull(int index);
    // Column `column` of from's current row, of whatever type it holds.
    Statement& bindColumn(int index, const Statement& from, int column);

    // Steps once: true with a row to read, false when done; throws on failure.
    bool step();
    // Runs a statement without rows and readies it for new parameters.
    void run();
    void reset();

    int columns() const;
    std::string columnName(int column) const;
    bool isNull(int column) const;
    int64_t integer(int column) const;
    double real(int column) const; // NaN for NULL
    std::string text(int column) const;

private:
    Database& db_;
    sqlite3_stmt* statement_ = nullptr;
};

// A transaction committed by commit(), rolled back when left without it.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& db_;
    bool open_ = true;
};

} // namespace flightreplay::book
