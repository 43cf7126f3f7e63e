#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "log/flight_log.h"
#include "support/test_support.h"

namespace {

const LogRow& row(int i)
{
    return flightLog.rows[i];
}

TEST(FlightLogTable, HeaderAndRows)
{
    scanText("gps_time,gps_curlat,gps_curlon\n1,2,3\n4,5,6\n");
    EXPECT_EQ(flightLog.lineIndex, 3);
    EXPECT_EQ(rowCount(), 2);
    EXPECT_EQ(flightLog.cols[0], 4);
    EXPECT_EQ(flightLog.cols[1], 11);
    EXPECT_EQ(flightLog.cols[2], 12);
    EXPECT_EQ(flightLog.maxColumn, 2);
    EXPECT_EQ(row(0).gps_time, 1.0);
    EXPECT_EQ(row(1).gps_curlon, 6.0);
}

TEST(FlightLogTable, EveryKeywordFillsItsOwnField)
{
    for (int code = 1; code <= LOG_FIELD_COUNT; ++code) {
        const LogField& field = logFields[code];
        scanText(std::string(field.keyword) + "\n" + "-1234.5\n");
        ASSERT_EQ(flightLog.cols[0], code) << field.keyword;
        LogRow expected{};
        const char* bytes = reinterpret_cast<const char*>(&row(0));
        if (field.kind == FieldKind::integer) {
            const int32_t value = -1234;
            std::memcpy(reinterpret_cast<char*>(&expected) + field.offset, &value, sizeof value);
        } else {
            const double value = -1234.5;
            std::memcpy(reinterpret_cast<char*>(&expected) + field.offset, &value, sizeof value);
        }
        EXPECT_EQ(std::memcmp(bytes, &expected, sizeof expected), 0) << field.keyword;
    }
    // The offsets follow the field order of the row, so no two keywords share a field.
    for (int code = 2; code <= LOG_FIELD_COUNT; ++code)
        EXPECT_GT(logFields[code].offset, logFields[code - 1].offset);
    EXPECT_EQ(logFields[32].offset, offsetof(LogRow, in_ppm_curwidth));
    EXPECT_EQ(logFields[40].offset, offsetof(LogRow, out_ppm_curwidth) + 3 * sizeof(double));
}

TEST(FlightLogTable, Conversions)
{
    scanText("samplenumber gps_time\n12.9 7\n-0.5 -.5\n99999999999 12:30:45\n");
    EXPECT_EQ(row(0).samplenumber, 12);
    EXPECT_EQ(row(0).gps_time, 7.0);
    EXPECT_EQ(row(1).samplenumber, 0);
    EXPECT_EQ(row(1).gps_time, -0.5);
    EXPECT_EQ(row(2).samplenumber, INT32_MAX);
    EXPECT_EQ(row(2).gps_time, 45.0);
}

TEST(FlightLogTable, ColumnsAndKeywordPlacement)
{
    scanText(",,,gps_curalt\n1,2,3,4\n");
    EXPECT_EQ(flightLog.maxColumn, 3);
    EXPECT_EQ(flightLog.cols[0], 0);
    EXPECT_EQ(flightLog.cols[2], 0);
    EXPECT_EQ(row(0).gps_curalt, 4.0);

    scanText("gps_curalt\n");
    EXPECT_EQ(flightLog.cols[0], 13);
    EXPECT_EQ(flightLog.maxColumn, 0);

    // A later keyword re-codes its column from then on.
    scanText("gps_time\n1\ngps_curalt 9\n2\n");
    EXPECT_EQ(row(0).gps_time, 1.0);
    EXPECT_EQ(row(1).gps_time, 0.0);
    EXPECT_EQ(row(1).gps_curalt, 0.0) << "9 follows the keyword in the next column";
    EXPECT_EQ(row(2).gps_curalt, 2.0);
}

TEST(FlightLogTable, LineEnds)
{
    scanText("gps_time\n1\n2");
    EXPECT_EQ(rowCount(), 1) << "a last line without a line end is not counted";
    EXPECT_EQ(row(1).gps_time, 2.0);

    scanText("gps_time 1 2");
    EXPECT_EQ(flightLog.lineIndex, 0);
    EXPECT_EQ(rowCount(), -1);

    scanText("\ngps_time\n1\n");
    EXPECT_EQ(rowCount(), 2);
    EXPECT_EQ(row(0).gps_time, 0.0);
    EXPECT_EQ(row(1).gps_time, 1.0);

    scanText("gps_time\r\n1\r\n\r\n\n2\r3\n");
    EXPECT_EQ(rowCount(), 3);
    EXPECT_EQ(row(2).gps_time, 3.0);
}

TEST(FlightLogTable, NumbersOnLineZeroAreDropped)
{
    scanText("gps_time 5 gps_curlat\n");
    EXPECT_EQ(flightLog.cols[0], 4);
    EXPECT_EQ(flightLog.cols[2], 11);
    LogRow zero{};
    EXPECT_EQ(std::memcmp(&row(0), &zero, sizeof zero), 0);
}

TEST(FlightLogTable, RowsBeyondTheTableAreDropped)
{
    std::string text = "gps_time\n";
    for (int i = 1; i <= MAX_LOG_ROWS + 5; ++i)
        text += std::to_string(i) + "\n";
    text += "77";
    scanText(text);
    EXPECT_EQ(rowCount(), MAX_LOG_ROWS);
    EXPECT_EQ(row(MAX_LOG_ROWS - 1).gps_time, MAX_LOG_ROWS);
    EXPECT_EQ(flightLog.ignoredLines, 5);
}

TEST(FlightLogTable, ColumnsBeyondTheTableAreDropped)
{
    std::string header;
    for (int i = 0; i < MAX_LOG_COLUMNS + 10; ++i)
        header += ",";
    scanText(header + "gps_time\n" + header + "5\n");
    EXPECT_EQ(flightLog.maxColumn, 0);
    EXPECT_EQ(flightLog.cols[0], 0);
    EXPECT_EQ(row(0).gps_time, 0.0);
    EXPECT_EQ(flightLog.columnIndex, 0);

    const std::string last(MAX_LOG_COLUMNS - 1, ',');
    scanText(last + "gps_curlat\n" + last + "3\n");
    EXPECT_EQ(flightLog.maxColumn, MAX_LOG_COLUMNS - 1);
    EXPECT_EQ(row(0).gps_curlat, 3.0);
}

TEST(LogScanner, EchoAndTokens)
{
    struct Case {
        const char* text;
        const char* echoed;
    };
    const Case cases[] = {
        {"", ""},
        {"gps_timex\n", "x"},
        {"GPS_TIME\n", "GPS_TIME"},
        {"hello world\n", "helloworld"},
        {"-a 1e5 +3 1.\n", "-ae+."},
        {"\xef\xbb\xbfgps_time\n", "\xef\xbb\xbf"},
        {"\"gps_time\"\n", ""},
        {"gps_\"time\n", "gps_time"},
        {"a\vb\fc\n", "a\vb\fc"},
        {"voltage4 in_ppm_curwidth[5]\n", "voltagein_ppm_curwidth[]"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(scanText(c.text), c.echoed) << c.text;

    EXPECT_EQ(scanText(std::string("a\0b\n", 4)), std::string("a\0b", 3));
}

TEST(LogScanner, ColumnsFollowSeparators)
{
    scanText("\xef\xbb\xbfgps_time\n1\n");
    EXPECT_EQ(flightLog.cols[0], 4) << "echoed bytes do not move the column";

    scanText("gps_time,gps_curlat gps_curlon\n1, 2,3\n");
    EXPECT_EQ(flightLog.cols[2], 12);
    EXPECT_EQ(row(0).gps_time, 1.0);
    EXPECT_EQ(row(0).gps_curlat, 0.0);
    EXPECT_EQ(row(0).gps_curlon, 2.0) << "comma and space advance two columns";

    scanText("gps_time,,gps_curlat\n \t1,,2\n");
    EXPECT_EQ(flightLog.cols[2], 11);
    EXPECT_EQ(row(0).gps_time, 0.0) << "leading blanks put the value in column 1";
    EXPECT_EQ(row(0).gps_curlat, 0.0);

    scanText("gps_time\n1.5.3\n");
    EXPECT_DOUBLE_EQ(row(0).gps_time, 0.3);

    scanText("voltage1\nvoltage4\n");
    EXPECT_EQ(row(0).voltage1, 4.0);
}

TEST(LogScanner, LongTokensGrowTheBuffer)
{
    const std::string digits(100000, '7');
    scanText("gps_time\n" + digits + "\n");
    EXPECT_EQ(rowCount(), 1);
    EXPECT_EQ(row(0).gps_time, std::strtod(digits.c_str(), nullptr));
    const std::string junk(50000, 'Q');
    EXPECT_EQ(scanText(junk + "\n"), junk);
}

// Tokens of megabytes span many buffer refills; each must still act as one
// token, or a value, column or line would come out of the table changed.
TEST(LogScanner, TokensLongerThanManyRefills)
{
    const size_t big = 3u << 20;
    auto run = [](const std::string& unit, size_t bytes) {
        std::string text;
        while (text.size() < bytes)
            text += unit;
        return text;
    };
    // Bytes that are no token of their own nor start a number, a separator
    // or a line end; keyword prefixes make the scanner back up.
    std::string junk;
    const char* const pieces[] = {"Q", "gps_tim", "voltage", "-", ".", "in_ppm_curwidth[", "\xff", "x"};
    for (unsigned state = 7; junk.size() < big;) {
        state = state * 1103515245u + 12345u;
        junk += pieces[(state >> 16) % 8];
        if ((state >> 8) % 5 == 0)
            junk += '\0';
    }

    struct Value {
        int row;
        double LogRow::*field;
        double value;
    };
    struct Case {
        const char* name;
        std::string text;
        std::string echo;
        int lineIndex;
        int maxColumn;
        std::vector<Value> values;
        int32_t samplenumber; // of row 0
    };
    const Case cases[] = {
        {"digits",
         "samplenumber,gps_time,gps_curlat\n-" + run("0", big) + "42,-" + run("0", big + 1) + "7.25,1.5" +
             run("0", big) + "\n8,9,10\n",
         "", 3, 2,
         {{0, &LogRow::gps_time, -7.25}, {0, &LogRow::gps_curlat, 1.5}, {1, &LogRow::gps_curlat, 10}},
         -42},
        {"blanks", "gps_time gps_curlat\n1" + run(" \t  ", big) + "2\n3 4\n", "", 3, 1,
         {{0, &LogRow::gps_time, 1}, {0, &LogRow::gps_curlat, 2}, {1, &LogRow::gps_curlat, 4}}, 0},
        {"line ends", "gps_time" + run("\r\n", big) + "1" + run("\n\r\r\n", big + 3) + "2\r", "", 3, 0,
         {{0, &LogRow::gps_time, 1}, {1, &LogRow::gps_time, 2}}, 0},
        {"junk", "gps_time\n" + junk + "\n5\n", junk, 3, 0,
         {{0, &LogRow::gps_time, 0}, {1, &LogRow::gps_time, 5}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string echoed = scanText(c.text);
        EXPECT_EQ(echoed.size(), c.echo.size());
        EXPECT_TRUE(echoed == c.echo);
        EXPECT_EQ(flightLog.lineIndex, c.lineIndex);
        EXPECT_EQ(flightLog.maxColumn, c.maxColumn);
        EXPECT_EQ(flightLog.columnIndex, 0);
        EXPECT_EQ(row(0).samplenumber, c.samplenumber);
        for (const Value& v : c.values)
            EXPECT_EQ(row(v.row).*v.field, v.value) << "row " << v.row;
    }
}

} // namespace
