#include "tools/book/book_store.h"

#include <cmath>

#include "tools/flight/flight_summary.h"

namespace flightreplay::book {

namespace {

constexpr int64_t NANOSECONDS = 1000000000;

// Three decimals, as --list prints a duration.
double millisecondsRounded(double seconds)
{
    return std::isfinite(seconds) ? std::round(seconds * 1000.0) / 1000.0 : NAN;
}

int64_t wholeSeconds(int64_t nanoseconds)
{
    return nanoseconds >= 0 ? nanoseconds / NANOSECONDS : -((-nanoseconds + NANOSECONDS - 1) / NANOSECONDS);
}

} // namespace

const char* const FLIGHT_COLUMNS =
    "size, mtime, format, vehicle, firmware, system_id, start_utc, duration_s, fixes, distance_m, max_alt_m, "
    "takeoff_lat, takeoff_lon, failures, warnings, max_vibration, battery_sag_v, notes, track";
const char* const FINDING_COLUMNS = "kind, severity, start, \"end\", value, threshold, unit, text";

std::string insertSql(const std::string& table, const std::string& first, const std::string& columns, int count)
{
    std::string sql = "INSERT INTO " + table + "(" + first + ", " + columns + ") VALUES (?1";
    for (int i = 2; i <= count + 1; ++i)
        sql += ", ?" + std::to_string(i);
    return sql + ")";
}

std::map<std::string, FileFacts> knownFiles(Database& db)
{
    std::map<std::string, FileFacts> files;
    Statement all(db, "SELECT path, size, mtime_ns, hash FROM files");
    while (all.step())
        files[all.text(0)] = {all.integer(1), all.integer(2), all.text(3)};
    return files;
}

BookWriter::BookWriter(Database& db)
    : db_(db),
      removeFile_(db, "DELETE FROM files WHERE path = ?1"),
      insertFile_(db, "INSERT INTO files(path, size, mtime_ns, hash) VALUES (?1, ?2, ?3, ?4)"),
      insertFlight_(db, insertSql("flights", "path", FLIGHT_COLUMNS, FLIGHT_COLUMN_COUNT)),
      insertFinding_(db, insertSql("findings", "flight", FINDING_COLUMNS, FINDING_COLUMN_COUNT)),
      insertSkipped_(db, "INSERT INTO skipped(path, reason) VALUES (?1, ?2)"),
      touchFile_(db, "UPDATE files SET size = ?2, mtime_ns = ?3 WHERE path = ?1"),
      touchFlights_(db, "UPDATE flights SET mtime = ?2 WHERE path = ?1")
{
}

void BookWriter::remove(const std::string& key)
{
    removeFile_.bind(1, key).run();
}

void BookWriter::touch(const std::string& key, const FileFacts& facts)
{
    touchFile_.bind(1, key).bind(2, facts.size).bind(3, facts.mtimeNs).run();
    touchFlights_.bind(1, key).bind(2, wholeSeconds(facts.mtimeNs)).run();
}

void BookWriter::put(const std::string& key, const BookEntry& entry)
{
    remove(key);
    insertFile_.bind(1, key).bind(2, entry.file.size).bind(3, entry.file.mtimeNs).bind(4, entry.file.hash).run();
    if (entry.flights.empty()) {
        insertSkipped_.bind(1, key).bind(2, entry.skippedReason).run();
        return;
    }
    for (const FlightRow& row : entry.flights) {
        const flight::FlightSummary& s = row.summary;
        insertFlight_.bind(1, key).bind(2, entry.file.size).bind(3, wholeSeconds(entry.file.mtimeNs));
        insertFlight_.bind(4, row.format).bind(5, row.vehicle).bind(6, row.firmware, true);
        if (row.systemId > 0)
            insertFlight_.bind(7, row.systemId);
        insertFlight_.bind(8, flight::isoUtcText(s.startUtc), true).bind(9, millisecondsRounded(s.durationS));
        insertFlight_.bind(10, s.fixes).bind(11, s.distanceM).bind(12, s.maxAltM);
        insertFlight_.bind(13, s.takeoffLat).bind(14, s.takeoffLon);
        if (row.failures >= 0)
            insertFlight_.bind(15, row.failures).bind(16, row.warnings);
        insertFlight_.bind(17, row.maxVibration).bind(18, s.batterySagV);
        insertFlight_.bind(19, row.notes, true).bind(20, row.track);
        insertFlight_.run();
        const int64_t id = db_.lastInsertId();
        for (const FindingRow& finding : row.findings) {
            insertFinding_.bind(1, id).bind(2, finding.kind).bind(3, finding.severity).bind(4, finding.start);
            insertFinding_.bind(5, finding.end).bind(6, finding.value).bind(7, finding.threshold);
            insertFinding_.bind(8, finding.unit, true).bind(9, finding.text).run();
        }
    }
}

} // namespace flightreplay::book
