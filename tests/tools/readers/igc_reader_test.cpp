#include <cmath>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tools/common/tool_error.h"
#include "tools/readers/igc_reader.h"

namespace fc = flightreplay::readers;
namespace ff = flightreplay::flight;

namespace {

std::string bRecord(const std::string& hhmmss, const std::string& lat, const std::string& lon, char validity = 'A',
                    const std::string& pressure = "00500", const std::string& gnss = "00520",
                    const std::string& extension = "")
{
    const std::string line = "B" + hhmmss + lat + lon + validity + pressure + gnss;
    EXPECT_EQ(line.size(), 35u) << line;
    return line + extension + "\r\n";
}

const std::string kHeader = "AXCTABC FLIGHT:1\r\nHFDTE160701\r\n";

} // namespace

TEST(IgcReader, FixFields)
{
    const struct {
        std::string record;
        double lat, lon, alt;
    } cases[] = {
        {bRecord("110135", "5206343N", "00006198W", 'A', "00587", "00558"), 52 + 6.343 / 60, -6.198 / 60, 558},
        {bRecord("110135", "3352500S", "15112345E", 'A', "00010", "-0012"), -(33 + 52.5 / 60), 151 + 12.345 / 60, -12},
        {bRecord("110135", "0000000N", "17959999E", 'A', "-0100", "12345"), 0.0, 179 + 59.999 / 60, 12345},
    };
    for (const auto& c : cases) {
        const ff::Flight data = fc::readIgc(kHeader + c.record);
        ASSERT_EQ(data.position.size(), 1u) << c.record;
        EXPECT_DOUBLE_EQ(data.position[0].t, 11 * 3600 + 60 + 35);
        EXPECT_NEAR(data.position[0].latDeg, c.lat, 1e-12) << c.record;
        EXPECT_NEAR(data.position[0].lonDeg, c.lon, 1e-12) << c.record;
        EXPECT_DOUBLE_EQ(data.position[0].altM, c.alt) << c.record;
    }
    // Broken records are skipped, not guessed at.
    for (const std::string& bad : {std::string("B1101355206343N00006198WA005870055\r\n"),
                                   std::string("B1161355206343N00006198WA0058700558\r\n"),
                                   std::string("B1101355206343X00006198WA0058700558\r\n"),
                                   std::string("B1101355260343N00006198WA0058700558\r\n"),
                                   std::string("B1101355206343N00006198WX0058700558\r\n")})
        EXPECT_TRUE(fc::readIgc(kHeader + bad).position.empty()) << bad;
}

TEST(IgcReader, DateInBothFormsAndMidnight)
{
    const std::string fixes = bRecord("235958", "5206343N", "00006198W") + bRecord("235959", "5206343N", "00006198W")
                              + bRecord("000000", "5206343N", "00006198W") + bRecord("000001", "5206343N", "00006198W");
    for (const std::string& date : {std::string("HFDTE160701\r\n"), std::string("HFDTEDATE:160701,01\r\n")}) {
        const ff::Flight data = fc::readIgc("AXCT\r\n" + date + fixes);
        EXPECT_DOUBLE_EQ(data.utcAtClockZero, 995241600.0) << date; // 2001-07-16T00:00Z
        ASSERT_EQ(data.position.size(), 4u);
        EXPECT_DOUBLE_EQ(data.position[0].t, 86398.0);
        EXPECT_DOUBLE_EQ(data.position[2].t, 86400.0);
        EXPECT_DOUBLE_EQ(data.position[3].t, 86401.0);
    }
    EXPECT_TRUE(std::isnan(fc::readIgc("AXCT\r\n" + fixes).utcAtClockZero));
    EXPECT_DOUBLE_EQ(fc::readIgc("HFDTE280298\r\n" + fixes).utcAtClockZero, 888624000.0); // 1998-02-28
}

TEST(IgcReader, ExtensionColumnsFromTheIRecord)
{
    const std::string fix = bRecord("120000", "5206343N", "00006198W", 'A', "00587", "00558", "123" "09" "045");
    const ff::Flight siu = fc::readIgc(kHeader + "I033638FXA3940SIU4143ENL\r\n" + fix);
    ASSERT_EQ(siu.satellites.size(), 1u);
    EXPECT_DOUBLE_EQ(siu.satellites[0].value, 9.0);
    EXPECT_DOUBLE_EQ(siu.position[0].altM, 558.0);

    const ff::Flight extraDigits = fc::readIgc(
        kHeader + "I033636LAD3737LOD3840GSP\r\n" + bRecord("120000", "5206343N", "00006198W", 'A', "00587", "00558", "47072"));
    ASSERT_EQ(extraDigits.position.size(), 1u);
    EXPECT_NEAR(extraDigits.position[0].latDeg, 52 + 6.3434 / 60, 1e-12);
    EXPECT_NEAR(extraDigits.position[0].lonDeg, -6.1987 / 60, 1e-12);
    ASSERT_EQ(extraDigits.groundSpeed.size(), 1u);
    EXPECT_DOUBLE_EQ(extraDigits.groundSpeed[0].value, 20.0); // 72 km/h

    const std::string tenths = kHeader + "I013637TDS\r\n" + bRecord("120000", "5206343N", "00006198W", 'A', "00587", "00558", "00")
                               + bRecord("120000", "5206343N", "00006198W", 'A', "00587", "00558", "50");
    const ff::Flight fast = fc::readIgc(tenths);
    ASSERT_EQ(fast.position.size(), 2u);
    EXPECT_DOUBLE_EQ(fast.position[1].t, 12 * 3600 + 0.5);
}

TEST(IgcReader, ValidityAndAltitudeSource)
{
    const std::string mixed = kHeader + bRecord("120000", "5206343N", "00006198W", 'V')
                              + bRecord("120001", "5206343N", "00006198W", 'A') + bRecord("120002", "5206343N", "00006198W", 'V');
    EXPECT_EQ(fc::readIgc(mixed).position.size(), 1u);

    const std::string allV = kHeader + bRecord("120000", "5206343N", "00006198W", 'V')
                             + bRecord("120001", "5206343N", "00006198W", 'V');
    EXPECT_EQ(fc::readIgc(allV).position.size(), 2u);

    const std::string noGnss = kHeader + bRecord("120000", "5206343N", "00006198W", 'A', "00587", "00000")
                               + bRecord("120001", "5206343N", "00006198W", 'A', "-0003", "00000");
    const ff::Flight baro = fc::readIgc(noGnss);
    ASSERT_EQ(baro.position.size(), 2u);
    EXPECT_DOUBLE_EQ(baro.position[0].altM, 587.0);
    EXPECT_DOUBLE_EQ(baro.position[1].altM, -3.0);
    ASSERT_EQ(baro.baroAlt.size(), 2u);
}

TEST(IgcReader, LineEndsAndLoggerName)
{
    const std::string crlf = "AXCTABC FLIGHT:1\r\nHFDTE160701\r\nHFFTYFRTYPE:LXNAV,LX8000F\r\nHFRFWFIRMWAREVERSION:2.3\r\n"
                             + bRecord("120000", "5206343N", "00006198W") + bRecord("120005", "5206443N", "00006098W");
    std::string lf;
    for (char c : crlf)
        if (c != '\r')
            lf += c;
    const ff::Flight a = fc::readIgc(crlf);
    const ff::Flight b = fc::readIgc(lf);
    ASSERT_EQ(a.position.size(), 2u);
    ASSERT_EQ(b.position.size(), 2u);
    EXPECT_DOUBLE_EQ(a.position[1].latDeg, b.position[1].latDeg);
    EXPECT_DOUBLE_EQ(a.position[1].t, b.position[1].t);
    EXPECT_EQ(a.firmware, "LXNAV,LX8000F 2.3");
    EXPECT_EQ(fc::readIgc(kHeader).firmware, "XCTABC FLIGHT:1");
    EXPECT_EQ(a.format, flightreplay::flight::FlightFormat::igc);
}

TEST(IgcReader, NoRecordIsNoIgc)
{
    EXPECT_THROW(fc::readIgc(""), flightreplay::tools::ToolError);
    EXPECT_THROW(fc::readIgc("hello\nworld\n"), flightreplay::tools::ToolError);
    EXPECT_TRUE(fc::readIgc(kHeader).position.empty());
}

TEST(IgcReader, OneFixWithAWrongTimeIsSkippedNotTheRest)
{
    // Ten fixes a second apart from `start`; the one at `wrong` stamped an
    // hour late.
    const auto track = [](int start, int wrong) {
        std::string records = kHeader;
        for (int k = 0; k < 10; ++k) {
            const int t = (start + k + (k == wrong ? 3600 : 0)) % 86400;
            char hhmmss[16];
            std::snprintf(hhmmss, sizeof hhmmss, "%02d%02d%02d", t / 3600, t / 60 % 60, t % 60);
            records += bRecord(hhmmss, "5206343N", "00006198W");
        }
        return records;
    };
    const struct {
        const char* what;
        int start, wrong;
        size_t fixes;
        double lastT;
    } cases[] = {
        {"in the middle", 36000, 4, 9, 36009},
        {"the first", 36000, 0, 9, 36009},
        {"the one before the last", 36000, 8, 9, 36009},
        {"just before midnight", 86395, 3, 9, 86404},
        {"none, over midnight", 86395, -1, 10, 86404},
    };
    for (const auto& c : cases) {
        const ff::Flight data = fc::readIgc(track(c.start, c.wrong));
        ASSERT_EQ(data.position.size(), c.fixes) << c.what;
        EXPECT_DOUBLE_EQ(data.position.back().t, c.lastT) << c.what;
        for (size_t i = 1; i < data.position.size(); ++i)
            EXPECT_LE(data.position[i].t - data.position[i - 1].t, 2.0) << c.what << " " << i;
        if (c.wrong >= 0) {
            ASSERT_EQ(data.notes.size(), 1u) << c.what;
            EXPECT_EQ(data.notes[0], "1 fixes out of time order skipped") << c.what;
        }
    }
}
