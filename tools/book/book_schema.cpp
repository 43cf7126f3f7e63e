#include "tools/book/book_schema.h"

#include "tools/common/output_file.h"
#include "tools/common/tool_error.h"

namespace flightreplay::book {

using tools::ToolError;

namespace {

// files: every file seen, to tell unchanged ones on the next run; flights
// and skipped hang off it and go with it.
const char* const SCHEMA = R"sql(
CREATE TABLE files(
  path TEXT PRIMARY KEY,
  size INTEGER NOT NULL,
  mtime_ns INTEGER NOT NULL,
  hash TEXT NOT NULL);
CREATE TABLE flights(
  id INTEGER PRIMARY KEY,
  path TEXT NOT NULL REFERENCES files(path) ON DELETE CASCADE,
  size INTEGER NOT NULL,
  mtime INTEGER NOT NULL,
  format TEXT NOT NULL,
  vehicle TEXT NOT NULL,
  firmware TEXT,
  system_id INTEGER,
  start_utc TEXT,
  duration_s REAL,
  fixes INTEGER NOT NULL,
  distance_m REAL,
  max_alt_m REAL,
  takeoff_lat REAL,
  takeoff_lon REAL,
  failures INTEGER,
  warnings INTEGER,
  max_vibration REAL,
  battery_sag_v REAL,
  notes TEXT,
  track TEXT);
CREATE INDEX flights_by_path ON flights(path);
CREATE INDEX flights_by_start ON flights(start_utc);
CREATE TABLE findings(
  flight INTEGER NOT NULL REFERENCES flights(id) ON DELETE CASCADE,
  kind TEXT NOT NULL,
  severity TEXT NOT NULL,
  start REAL,
  "end" REAL,
  value REAL,
  threshold REAL,
  unit TEXT,
  text TEXT);
CREATE INDEX findings_by_flight ON findings(flight);
CREATE TABLE skipped(
  path TEXT PRIMARY KEY REFERENCES files(path) ON DELETE CASCADE,
  reason TEXT NOT NULL);
)sql";

} // namespace

std::unique_ptr<Database> openBook(const std::string& path, OpenMode mode)
{
    if (mode == OpenMode::readOnly && !tools::fileExists(path))
        throw ToolError(path + ": no such logbook");
    auto db = std::make_unique<Database>(path, mode);
    int64_t application = 0, version = 0, tables = 0;
    try {
        application = db->integer("PRAGMA application_id");
        version = db->integer("PRAGMA user_version");
        tables = db->integer("SELECT count(*) FROM sqlite_master");
    } catch (const ToolError&) {
        throw ToolError(path + ": not a logbook (not an SQLite database); left untouched");
    }
    if (application == 0 && version == 0 && tables == 0) {
        if (mode == OpenMode::readOnly)
            throw ToolError(path + ": an empty database, no logbook");
        Transaction create(*db);
        db->execute(SCHEMA);
        db->execute("PRAGMA application_id = " + std::to_string(BOOK_APPLICATION_ID) + "; PRAGMA user_version = " +
                    std::to_string(BOOK_SCHEMA_VERSION));
        create.commit();
    } else if (application != BOOK_APPLICATION_ID) {
        throw ToolError(path + ": not a logbook (another program's SQLite database); left untouched");
    } else if (version > BOOK_SCHEMA_VERSION) {
        throw ToolError(path + ": a logbook of schema " + std::to_string(version) + ", newer than this program's " +
                        std::to_string(BOOK_SCHEMA_VERSION) + "; left untouched");
    } else if (version < 1) {
        throw ToolError(path + ": a logbook without a schema version; left untouched");
    }
    db->execute("PRAGMA foreign_keys = ON");
    return db;
}

} // namespace flightreplay::book
