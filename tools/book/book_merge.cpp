#include "tools/book/book_merge.h"

#include <filesystem>

#include "tools/book/book_paths.h"
#include "tools/book/book_schema.h"
#include "tools/book/book_store.h"
#include "tools/common/tool_error.h"

namespace flightreplay::book {

namespace fs = std::filesystem;

namespace {

struct Counts {
    size_t files = 0, flights = 0;
};

void mergeShard(Database& book, const std::string& bookDir, const std::string& shardPath, Counts& counts)
{
    const std::unique_ptr<Database> shard = openBook(shardPath, OpenMode::readOnly);
    const std::string shardDir = bookFolder(shardPath);
    BookWriter writer(book);
    Statement files(*shard, "SELECT path, size, mtime_ns, hash FROM files ORDER BY path");
    Statement flights(*shard, std::string("SELECT id, ") + FLIGHT_COLUMNS + " FROM flights WHERE path = ?1 ORDER BY id");
    Statement findings(*shard, std::string("SELECT ") + FINDING_COLUMNS + " FROM findings WHERE flight = ?1");
    Statement skipped(*shard, "SELECT reason FROM skipped WHERE path = ?1");
    Statement insertFile(book, "INSERT INTO files(path, size, mtime_ns, hash) VALUES (?1, ?2, ?3, ?4)");
    Statement insertFlight(book, insertSql("flights", "path", FLIGHT_COLUMNS, FLIGHT_COLUMN_COUNT));
    Statement insertFinding(book, insertSql("findings", "flight", FINDING_COLUMNS, FINDING_COLUMN_COUNT));
    Statement insertSkipped(book, "INSERT INTO skipped(path, reason) VALUES (?1, ?2)");

    Transaction transaction(book);
    while (files.step()) {
        const std::string shardKey = files.text(0);
        const std::string key = bookKey(pathOfKey(shardKey, shardDir), bookDir);
        writer.remove(key);
        insertFile.bind(1, key).bind(2, files.integer(1)).bind(3, files.integer(2)).bind(4, files.text(3)).run();
        ++counts.files;
        skipped.bind(1, shardKey);
        if (skipped.step())
            insertSkipped.bind(1, key).bind(2, skipped.text(0)).run();
        skipped.reset();
        flights.bind(1, shardKey);
        while (flights.step()) {
            insertFlight.bind(1, key);
            for (int c = 0; c < FLIGHT_COLUMN_COUNT; ++c)
                insertFlight.bindColumn(c + 2, flights, c + 1);
            insertFlight.run();
            ++counts.flights;
            const int64_t id = book.lastInsertId();
            findings.bind(1, flights.integer(0));
            while (findings.step()) {
                insertFinding.bind(1, id);
                for (int c = 0; c < FINDING_COLUMN_COUNT; ++c)
                    insertFinding.bindColumn(c + 2, findings, c);
                insertFinding.run();
            }
            findings.reset();
        }
        flights.reset();
    }
    transaction.commit();
}

} // namespace

std::string mergeBooks(const std::string& bookPath, const std::vector<std::string>& shards)
{
    // Reading a book while writing it through another connection would
    // wait on its own lock.
    for (const std::string& shard : shards) {
        std::error_code error;
        if (fs::equivalent(shard, bookPath, error))
            throw tools::ToolError(shard + ": the book itself, not a shard to merge into it");
    }
    const std::unique_ptr<Database> book = openBook(bookPath, OpenMode::create);
    const std::string bookDir = bookFolder(bookPath);
    Counts counts;
    for (const std::string& shard : shards)
        mergeShard(*book, bookDir, shard, counts);
    return std::to_string(counts.files) + " files, " + std::to_string(counts.flights) + " flights from " +
           std::to_string(shards.size()) + " shard" + (shards.size() == 1 ? "" : "s");
}

} // namespace flightreplay::book
