// Recognising a file's format from its first bytes when its start is not
// the textbook one, and reading it as that format.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "log_writers.h"
#include "reader_test_support.h"
#include "support/test_support.h"
#include "tlog_writer.h"
#include "tools/readers/read_flight.h"

using namespace flightreplay::readers;
using namespace flightreplay::flight;
using namespace reader_test;

namespace {

const std::string GPX_BODY = "<gpx version=\"1.1\" creator=\"t\"><trk><trkseg>"
                             "<trkpt lat=\"47.1\" lon=\"8.1\"><ele>500</ele><time>2024-03-10T12:00:00Z</time></trkpt>"
                             "<trkpt lat=\"47.2\" lon=\"8.2\"><ele>510</ele><time>2024-03-10T12:00:10Z</time></trkpt>"
                             "</trkseg></trk></gpx>\n";
const std::string IGC_BODY = "AXXXTEST\r\nHFDTE100324\r\nB1200004700000N00800000EA0050000500\r\n"
                             "B1200104701000N00801000EA0051000510\r\n";
const std::string CSV_ROWS = "0,47.1,8.1,500\n1,47.2,8.2,510\n";

std::string zeroed(std::string bytes, size_t from, size_t length)
{
    bytes.replace(from, length, std::string(length, '\0'));
    return bytes;
}

} // namespace

TEST(FormatSniffing, TrickyStartsOfEveryFormat)
{
    const std::string ulog = readFile(realLogDir() + "/sample_log_small.ulg");
    const std::string dataflash = dataflashFlight(false);
    const std::string tlog = fieldTlog(FieldStart::clean, 30.0);
    const struct {
        const char* what;
        std::string bytes;
        std::optional<FlightFormat> format;
        bool fixes; // read as that format, the flight has positions
    } cases[] = {
        {"a real ULog", ulog, FlightFormat::ulog, true},
        {"a ULog cut after its header", ulog.substr(0, 300), FlightFormat::ulog, false},
        {"a DataFlash log", dataflash, FlightFormat::dataflash, true},
        {"a DataFlash log after the end of another's message", dataflash.substr(dataflash.size() - 37) + dataflash,
         FlightFormat::dataflash, true},
        {"a DataFlash log after a stretch of zeros", std::string(500, '\0') + dataflash, FlightFormat::dataflash, true},
        {"a tlog", tlog, FlightFormat::tlog, true},
        {"a tlog whose first 4 KB are station chatter", fieldTlog(FieldStart::stationChatter, 30.0), FlightFormat::tlog, true},
        {"a tlog whose first records carry no packet", fieldTlog(FieldStart::strayRecords, 30.0), FlightFormat::tlog, true},
        {"a tlog whose first 4 KB are zeros", zeroed(tlog, 0, 4096), FlightFormat::tlog, true},
        {"a tlog copied from inside a record", tlog.substr(5), FlightFormat::tlog, true},
        {"a tlog after the radio's modem text", "ATI\r\nBAUD 57600\r\nHOPPING\r\n" + tlog, FlightFormat::tlog, true},
        {"a GPX with a byte order mark and comments", "\xef\xbb\xbf<?xml version=\"1.0\"?>\n<!-- <trk> written by hand -->\n"
                                                           + GPX_BODY, FlightFormat::gpx, true},
        {"a GPX root with a namespace prefix", "<g:gpx xmlns:g=\"x\"" + GPX_BODY.substr(4), FlightFormat::gpx, false},
        {"an IGC file after blank lines", "\r\n\r\n" + IGC_BODY, FlightFormat::igc, true},
        {"a CSV whose header holds a 0xfe byte", "time,lat,lon,h\xf6he \xfe\n" + CSV_ROWS, FlightFormat::csv, true},
        {"the replay's log", "gps_time,gps_curlat,gps_curlon,gps_curalt\n1,2,3,4\n", FlightFormat::log, false},
        {"random bytes", std::string("\x13\x37\xfe\x00\x01\xfd\x02", 7), std::nullopt, false},
        {"nothing", "", std::nullopt, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(recogniseFormat(c.bytes.substr(0, 65536)), c.format) << c.what;
        if (c.fixes) {
            EXPECT_FALSE(readFlightBytes(c.bytes, ReadOptions{}).position.empty()) << c.what;
        }
    }
}
