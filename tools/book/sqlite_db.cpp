#include "tools/book/sqlite_db.h"

#include <cmath>

#include <sqlite3.h>

#include "tools/common/tool_error.h"

namespace flightreplay::book {

using tools::ToolError;

namespace {

// Another process reading the book holds it for a moment at most.
constexpr int BUSY_WAIT_MS = 10000;

} // namespace

Database::Database(const std::string& path, OpenMode mode) : path_(path)
{
    const int flags = mode == OpenMode::readOnly    ? SQLITE_OPEN_READONLY
                      : mode == OpenMode::readWrite ? SQLITE_OPEN_READWRITE
                                                    : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    if (sqlite3_open_v2(path.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        const std::string reason = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw ToolError(path + ": " + reason);
    }
    sqlite3_busy_timeout(db_, BUSY_WAIT_MS);
    sqlite3_extended_result_codes(db_, 1);
}

Database::~Database()
{
    sqlite3_close(db_);
}

std::string Database::failure(const std::string& what) const
{
    return path_ + ": " + what + (what.empty() ? "" : ": ") + sqlite3_errmsg(db_);
}

void Database::execute(const std::string& sql)
{
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string reason = message ? message : sqlite3_errmsg(db_);
        sqlite3_free(message);
        throw ToolError(path_ + ": " + reason);
    }
}

int64_t Database::integer(const std::string& sql, int64_t fallback)
{
    Statement statement(*this, sql);
    return statement.step() ? statement.integer(0) : fallback;
}

int64_t Database::lastInsertId() const
{
    return sqlite3_last_insert_rowid(db_);
}

Statement::Statement(Database& db, const std::string& sql) : db_(db)
{
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db.handle(), sql.c_str(), static_cast<int>(sql.size()), &statement_, &tail) != SQLITE_OK)
        throw ToolError(db.failure(""));
    if (!statement_)
        throw ToolError(db.path() + ": no SQL statement in '" + sql + "'");
    for (; tail && *tail; ++tail)
        if (*tail != ' ' && *tail != '\n' && *tail != '\t' && *tail != ';') {
            sqlite3_finalize(statement_);
            throw ToolError(db.path() + ": one SQL statement at a time, not '" + sql + "'");
        }
}

Statement::~Statement()
{
    sqlite3_finalize(statement_);
}

Statement& Statement::bind(int index, int64_t value)
{
    sqlite3_bind_int64(statement_, index, value);
    return *this;
}

Statement& Statement::bind(int index, double value)
{
    if (std::isfinite(value))
        sqlite3_bind_double(statement_, index, value);
    else
        sqlite3_bind_null(statement_, index);
    return *this;
}

Statement& Statement::bind(int index, const std::string& value, bool emptyIsNull)
{
    if (emptyIsNull && value.empty())
        sqlite3_bind_null(statement_, index);
    else
        sqlite3_bind_text(statement_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bindNull(int index)
{
    sqlite3_bind_null(statement_, index);
    return *this;
}

Statement& Statement::bindColumn(int index, const Statement& from, int column)
{
    sqlite3_bind_value(statement_, index, sqlite3_column_value(from.statement_, column));
    return *this;
}

bool Statement::step()
{
    const int status = sqlite3_step(statement_);
    if (status == SQLITE_ROW)
        return true;
    if (status == SQLITE_DONE)
        return false;
    throw ToolError(db_.failure(""));
}

void Statement::run()
{
    while (step()) {
    }
    reset();
}

void Statement::reset()
{
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

int Statement::columns() const
{
    return sqlite3_column_count(statement_);
}

std::string Statement::columnName(int column) const
{
    const char* name = sqlite3_column_name(statement_, column);
    return name ? name : "";
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

int64_t Statement::integer(int column) const
{
    return sqlite3_column_int64(statement_, column);
}

double Statement::real(int column) const
{
    return isNull(column) ? NAN : sqlite3_column_double(statement_, column);
}

std::string Statement::text(int column) const
{
    const unsigned char* text = sqlite3_column_text(statement_, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(statement_, column)))
                : std::string();
}

Transaction::Transaction(Database& db) : db_(db)
{
    db_.execute("BEGIN IMMEDIATE");
}

Transaction::~Transaction()
{
    if (open_) {
        try {
            db_.execute("ROLLBACK");
        } catch (const ToolError&) {
            // SQLite has rolled back itself after the failure that brought us here.
        }
    }
}

void Transaction::commit()
{
    db_.execute("COMMIT");
    open_ = false;
}

} // namespace flightreplay::book
