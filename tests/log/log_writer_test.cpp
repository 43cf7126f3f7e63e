#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "log/flight_log.h"
#include "log/log_writer.h"

namespace {

int codeOf(const char* keyword)
{
    for (int code = 1; code <= LOG_FIELD_COUNT; ++code)
        if (std::strcmp(logFields[code].keyword, keyword) == 0)
            return code;
    return 0;
}

// The text writeLog gives a row's one column.
std::string written(int code, const LogRow& row)
{
    FILE* file = std::tmpfile();
    EXPECT_TRUE(writeLog(file, {row}, {code}));
    std::rewind(file);
    char text[512] = {};
    const size_t got = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    const std::string all(text, got);
    const size_t lineEnd = all.find('\n');
    return all.substr(lineEnd + 1, all.size() - lineEnd - 2);
}

} // namespace

TEST(LogWriter, NumberFormatPerField)
{
    // The scanner reads no exponent and the replay shows what is written:
    // the digits per field are part of the format.
    const struct {
        const char* keyword;
        double value;
        const char* text;
    } cases[] = {
        {"gps_curlat", 2889.1234567, "2889.12346"},
        {"gps_curlon", -689.5, "-689.50000"},
        {"gps_startlat", -0.000001, "0.00000"},
        {"gps_curalt", 512.34567, "512.3457"},
        {"gps_time", 1e12, "1000000000000.0000"},
        {"pyro_curroll", -0.00001, "0.0000"},
        {"pyro_curpitch", NAN, "0.0000"},
        {"voltage1", INFINITY, "0.0000"},
        {"mah", 12.36, "12.4"},
        {"out_ppm_curwidth[0]", 1500.04, "1500.0"},
        {"in_ppm_curwidth[4]", -0.04, "0.0"},
    };
    for (const auto& c : cases) {
        const int code = codeOf(c.keyword);
        ASSERT_GT(code, 0) << c.keyword;
        LogRow row{};
        double* field = reinterpret_cast<double*>(reinterpret_cast<unsigned char*>(&row) + logFields[code].offset);
        *field = c.value;
        EXPECT_EQ(written(code, row), c.text) << c.keyword;
    }
    LogRow row{};
    row.gps_numsatellites = -3;
    EXPECT_EQ(written(codeOf("gps_numsatellites"), row), "-3");
}
