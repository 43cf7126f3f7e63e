#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "log/flight_log.h"
#include "log/log_reader.h"
#include "log/log_scanner.h"
#include "support/test_support.h"

namespace {

struct TableSnapshot {
    std::vector<unsigned char> bytes;
    std::string echo;
};

TableSnapshot scanned(const std::string& text)
{
    TableSnapshot s;
    s.echo = scanText(text);
    const auto* table = reinterpret_cast<const unsigned char*>(&flightLog);
    s.bytes.assign(table, table + sizeof flightLog);
    return s;
}

// As a fresh process: an empty table and a scanner never used.
TableSnapshot scannedFresh(const std::string& text)
{
    resetFlightLog();
    yylex_destroy();
    return scanned(text);
}

std::string rows(int count, const char* row)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += row;
    return text;
}

TEST(LogReader, EachOfTwoLogsReadsAsInAFreshProcess)
{
    const std::string full = "gps_time,gps_curlat,gps_curlon,gps_curalt,pyro_curroll,controlbyte\n"
                             "1.5,3000.25,600.5,120.0,0.3,7\n2.5,3000.5,600.75,121.0,-0.3,9\n";
    const std::string narrow = "gps_curlon gps_curlat\n700.5 2900.25\n";
    const std::string headerOnly = "samplenumber,gps_date\n";
    const std::string junk = "x\"gps_time\"?;\n4;5\n\x01\x02";
    const std::string overlong = "gps_time\n" + rows(MAX_LOG_ROWS + 7, "3\n");
    const std::string longToken = "gps_time\n" + std::string(100000, '7') + "\n\r\n";
    const std::string unterminated = "gps_curalt,gps_time\n10,20";
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {full, narrow},        {narrow, full},      {full, headerOnly}, {overlong, full},
        {full, overlong},      {junk, full},        {longToken, narrow}, {unterminated, headerOnly},
        {headerOnly, junk},    {full, ""},
    };
    for (size_t i = 0; i < pairs.size(); ++i) {
        const auto& [first, second] = pairs[i];
        const TableSnapshot expectedFirst = scannedFresh(first);
        const TableSnapshot expectedSecond = scannedFresh(second);
        resetFlightLog();
        yylex_destroy();
        const TableSnapshot gotFirst = scanned(first);
        const TableSnapshot gotSecond = scanned(second);
        EXPECT_EQ(gotFirst.echo, expectedFirst.echo) << "pair " << i;
        EXPECT_TRUE(gotFirst.bytes == expectedFirst.bytes) << "pair " << i << ": first log";
        EXPECT_EQ(gotSecond.echo, expectedSecond.echo) << "pair " << i;
        EXPECT_TRUE(gotSecond.bytes == expectedSecond.bytes) << "pair " << i << ": second log";
    }
    // The narrow log's own values, not the full one's, after both were read.
    scanned(full);
    scanned(narrow);
    EXPECT_EQ(flightLog.cols[0], 12);
    EXPECT_EQ(flightLog.rows[0].gps_curalt, 0.0);
    EXPECT_EQ(flightLog.rows[0].gps_curlat, 2900.25);
    EXPECT_EQ(rowCount(), 1);
}

// The keyword table and its inverse agree, and the columns a header names
// are found whatever their place; an unknown keyword names no column.
TEST(LogReader, ColumnsOfTheHeaderByKeyword)
{
    for (int code = 1; code <= LOG_FIELD_COUNT; ++code)
        EXPECT_EQ(fieldCodeOf(logFields[code].keyword), code) << code;
    EXPECT_EQ(fieldCodeOf("gps_curlat "), 0);
    EXPECT_EQ(fieldCodeOf(""), 0);

    TempWorkingDir dir;
    writeFile("flight.log", "junk,gps_time,gps_curlon\n1,2,3\n");
    ASSERT_TRUE(readLogFile("flight.log"));
    EXPECT_TRUE(logHasColumn(fieldCodeOf("gps_curlon")));
    EXPECT_TRUE(logHasColumn(fieldCodeOf("gps_time")));
    EXPECT_FALSE(logHasColumn(fieldCodeOf("gps_curlat")));
    EXPECT_FALSE(logHasColumn(0));
    EXPECT_EQ(rowCount(), 1);

    // A missing file leaves the table as it was.
    EXPECT_FALSE(readLogFile("missing.log"));
    EXPECT_TRUE(logHasColumn(fieldCodeOf("gps_curlon")));
    EXPECT_EQ(rowCount(), 1);
}

} // namespace
