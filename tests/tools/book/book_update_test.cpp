#include <cstdio>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "log_writers.h"
#include "support/test_support.h"
#include "tlog_writer.h"
#include "tools/book/book_schema.h"
#include "tools/book/book_update.h"

using namespace flightreplay::book;
namespace fs = std::filesystem;

namespace {

// A minute's GPX track; `digit` changes the content, not the size.
std::string gpx(int digit)
{
    std::string text = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"test\"><trk><trkseg>\n";
    for (int i = 0; i <= 60; ++i) {
        char point[160];
        std::snprintf(point, sizeof point,
                      "<trkpt lat=\"47.3%d\" lon=\"8.5%02d\"><ele>400</ele><time>2026-06-14T10:%02d:%02dZ</time></trkpt>\n",
                      digit, i, i / 60, i % 60);
        text += point;
    }
    return text + "</trkseg></trk></gpx>\n";
}

struct Book {
    std::string folder = makeTempDir();
    std::string logs = folder + "/logs";
    std::string path = folder + "/book.sqlite";
    std::unique_ptr<Database> db;

    Book()
    {
        fs::create_directories(logs + "/sub");
        writeFile(logs + "/a.gpx", gpx(1));
        writeFile(logs + "/sub/b.gpx", gpx(2));
        writeFile(logs + "/sub/c.igc", "AXXX001 test\r\nHFDTE140626\r\nB1000004718000N00830000EA0040000410\r\n");
        db = openBook(path, OpenMode::create);
    }
    UpdateCounts run(const std::vector<std::string>& paths) { return updateBook(*db, path, paths, 2); }
    UpdateCounts run() { return run({logs}); }
    int64_t count(const std::string& sql) { return db->integer(sql); }
};

void expectCounts(const UpdateCounts& want, const UpdateCounts& got)
{
    EXPECT_EQ(closingLine(want), closingLine(got));
}

void touchLater(const std::string& path)
{
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(5));
}

} // namespace

TEST(BookUpdate, SecondRunReadsOnlyWhatChanged)
{
    struct Case {
        const char* name;
        std::function<void(Book&)> change;
        UpdateCounts second;
    };
    const Case cases[] = {
        {"nothing", [](Book&) {}, {0, 3, 0, 0}},
        {"touched, same content", [](Book& b) { touchLater(b.logs + "/a.gpx"); }, {0, 3, 0, 0}},
        {"same size, new content",
         [](Book& b) {
             writeFile(b.logs + "/a.gpx", gpx(7));
             touchLater(b.logs + "/a.gpx");
         },
         {1, 2, 0, 0}},
        {"grown", [](Book& b) { writeFile(b.logs + "/sub/b.gpx", gpx(2) + "\n"); }, {1, 2, 0, 0}},
        {"removed", [](Book& b) { fs::remove(b.logs + "/sub/b.gpx"); }, {0, 2, 1, 0}},
        {"folder removed", [](Book& b) { fs::remove_all(b.logs + "/sub"); }, {0, 1, 2, 0}},
        {"a note added", [](Book& b) { writeFile(b.logs + "/notes.txt", "props replaced\n"); }, {0, 3, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Book book;
        expectCounts({3, 0, 0, 0}, book.run());
        c.change(book);
        expectCounts(c.second, book.run());
        const int64_t files = book.count("SELECT count(*) FROM files");
        EXPECT_EQ(files, book.count("SELECT count(DISTINCT path) FROM flights") + book.count("SELECT count(*) FROM skipped"));
        EXPECT_EQ(0, book.count("SELECT count(*) FROM flights f JOIN files USING (path) WHERE f.size != files.size "
                                "OR f.mtime != files.mtime_ns / 1000000000"));
    }
}

TEST(BookUpdate, KeepsRowsItCannotCheck)
{
    struct Case {
        const char* name;
        std::function<std::vector<std::string>(Book&)> secondRun;
        UpdateCounts second;
    };
    const Case cases[] = {
        // Another folder into the same book leaves the first one's rows.
        {"another folder", [](Book& b) {
             fs::create_directories(b.folder + "/more");
             writeFile(b.folder + "/more/d.gpx", gpx(4));
             return std::vector<std::string>{b.folder + "/more"};
         }, {1, 0, 0, 0}},
        // An unplugged disk is no reason to forget its flights.
        {"the folder missing as a whole", [](Book& b) {
             fs::rename(b.logs, b.folder + "/moved");
             return std::vector<std::string>{b.logs};
         }, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Book book;
        book.run();
        expectCounts(c.second, book.run(c.secondRun(book)));
        EXPECT_EQ(3 + static_cast<int64_t>(c.second.read), book.count("SELECT count(*) FROM files"));
    }
}

TEST(BookUpdate, ReadsNeitherItselfNorItsJournal)
{
    Book book;
    expectCounts({3, 0, 0, 0}, book.run({book.folder}));
    expectCounts({0, 3, 0, 0}, book.run({book.folder}));
    EXPECT_EQ(0, book.count("SELECT count(*) FROM files WHERE path LIKE 'book.sqlite%'"));
}

TEST(BookUpdate, EntersEveryVehicleAndWhatIsNoFlight)
{
    Book book;
    reader_test::TlogWriter tlog;
    reader_test::TelemetryFlight quad;
    reader_test::writeTelemetryFlight(tlog, quad);
    reader_test::TelemetryFlight plane = quad;
    plane.system = 2;
    plane.mavType = 1;
    plane.station = false;
    reader_test::writeTelemetryFlight(tlog, plane);
    writeFile(book.logs + "/two.tlog", tlog.bytes());
    const std::string ulog = reader_test::ulogFlight();
    writeFile(book.logs + "/cut.ulg", ulog.substr(0, ulog.size() * 3 / 4));
    writeFile(book.logs + "/nofix.csv", "time,alt\n1,400\n2,401\n");
    writeFile(book.logs + "/photo.jpg", std::string("\xff\xd8\xff\xe0", 4) + std::string(100, 'x'));
    expectCounts({5, 0, 0, 2}, book.run());
    struct Case {
        const char* sql;
        int64_t count;
    };
    const Case cases[] = {
        {"SELECT count(*) FROM flights WHERE path = 'logs/two.tlog'", 2},
        {"SELECT count(*) FROM flights WHERE path = 'logs/two.tlog' AND system_id = 2 AND vehicle = 'fixed-wing'", 1},
        {"SELECT count(*) FROM flights WHERE path = 'logs/cut.ulg' AND fixes > 0 AND notes IS NOT NULL", 1},
        {"SELECT count(*) FROM skipped WHERE path = 'logs/nofix.csv' AND reason LIKE 'no usable position%'", 1},
        {"SELECT count(*) FROM skipped WHERE path = 'logs/photo.jpg' AND reason LIKE 'not a flight log%'", 1},
        {"SELECT count(*) FROM flights WHERE start_utc = '2026-06-14T10:00:00Z' AND path = 'logs/a.gpx' "
         "AND duration_s = 60.0 AND fixes = 61 AND format = 'gpx'", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.count, book.count(c.sql)) << c.sql;
}

TEST(BookUpdate, ReadsTheReplaysLogsOneAtATime)
{
    // Through the replay's one scanner and table: read together, the logs
    // would mix their rows.
    Book book;
    for (int i = 0; i < 12; ++i) {
        std::string log = "gps_time,gps_curlat,gps_curlon\n";
        for (int row = 0; row < 50 + 30 * i; ++row)
            log += std::to_string(row) + "," + std::to_string(2880 + i) + ",690." + std::to_string(row % 10) + "\n";
        writeFile(book.logs + "/replay" + std::to_string(i) + ".log", log);
    }
    updateBook(*book.db, book.path, {book.logs}, 4);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(50 + 30 * i, book.count("SELECT fixes FROM flights WHERE path = 'logs/replay" + std::to_string(i) +
                                          ".log' AND abs(takeoff_lat - " + std::to_string((2880 + i) / 60.0) + ") < 1e-5"))
            << i;
}
