#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "tlog_writer.h"
#include "tools/book/book_schema.h"
#include "tools/book/book_update.h"
#include "tools/common/tool_error.h"
#include "tools/studio/studio_flights.h"

using namespace flightreplay::studio;

namespace {

std::string gpx(int minute)
{
    std::string text = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"test\"><trk><trkseg>\n";
    for (int i = 0; i < 10; ++i) {
        char point[160];
        std::snprintf(point, sizeof point,
                      "<trkpt lat=\"47.3\" lon=\"8.50%d\"><ele>400</ele><time>2026-06-14T11:%02d:%02dZ</time></trkpt>\n",
                      i, minute, i);
        text += point;
    }
    return text + "</trkseg></trk></gpx>\n";
}

} // namespace

TEST(StudioBook, OpensTheFlightsABookChooses)
{
    const std::string dir = makeTempDir();
    std::filesystem::create_directories(dir + "/logs");
    reader_test::TlogWriter tlog;
    reader_test::TelemetryFlight quad;
    reader_test::writeTelemetryFlight(tlog, quad);
    reader_test::TelemetryFlight rover = quad;
    rover.system = 2;
    rover.mavType = 10;
    rover.station = false;
    reader_test::writeTelemetryFlight(tlog, rover);
    writeFile(dir + "/logs/telemetry.tlog", tlog.bytes());
    for (int i = 0; i < 17; ++i)
        writeFile(dir + "/logs/track" + std::to_string(10 + i) + ".gpx", gpx(i));
    const std::string bookPath = dir + "/book.sqlite";
    {
        const auto db = flightreplay::book::openBook(bookPath, flightreplay::book::OpenMode::create);
        captureStdout([&] { flightreplay::book::updateBook(*db, bookPath, {dir + "/logs"}, 1); });
    }
    struct Case {
        const char* where;
        std::vector<std::string> names; // empty: refused with message
        std::string message;
    };
    const Case cases[] = {
        {"vehicle = 'rover'", {"telemetry.tlog sys 2"}, ""},
        {"path LIKE '%track1_.gpx' AND start_utc < '2026-06-14T11:02'", {"track10.gpx", "track11.gpx"}, ""},
        {"vehicle = 'submarine'", {}, bookPath + ": no flight matches --where vehicle = 'submarine'"},
        {"format = 'gpx'", {}, bookPath + ": 17 flights match --where format = 'gpx'; the studio opens at most 16 (narrow --where)"},
        {"no_such_column = 1", {}, bookPath + ": no such column: no_such_column"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        StudioOptions options;
        options.bookPath = bookPath;
        options.bookWhere = c.where;
        try {
            openBookFlights(options);
            StudioState state;
            captureStdout([&] { loadStudioFlights(state, options); });
            std::vector<std::string> names;
            for (const StudioFlight& f : state.flights)
                names.push_back(f.name);
            EXPECT_EQ(c.names, names);
        } catch (const flightreplay::tools::ToolError& refused) {
            EXPECT_TRUE(c.names.empty());
            EXPECT_EQ(c.message, refused.what());
        }
    }
}
