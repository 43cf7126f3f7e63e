#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "reader_test_support.h"
#include "log/units.h"
#include "log_writers.h"
#include "tools/common/tool_error.h"
#include "tools/convert/resample.h"
#include "tools/flight/field_catalogue.h"
#include "tools/readers/read_flight.h"
#include "tools/readers/series_bucket.h"
#include "tests/fuzz/convert_fuzz_checks.h"

using namespace flightreplay::readers;
using namespace flightreplay::convert;
using namespace flightreplay::flight;
using namespace reader_test;

namespace {
constexpr double DEG = MAP_PI / 180.0;
}

TEST(DataflashReader, BothClockLayoutsAlignOnTheBootClock)
{
    const struct {
        bool older;
        const char* firmware;
        VehicleKind vehicle;
        int date;
    } cases[] = {
        // GPS week 1800, 4 days + 10 s into it, is 2014-07-09 23:59:54 UTC
        // with its 16 leap seconds (a day later without them).
        {false, "ArduPlane V4.3.1", VehicleKind::fixedWing, 90714},
        {true, "ArduCopter V3.2.1", VehicleKind::multicopter, 90714},
    };
    for (const auto& c : cases) {
        const Flight data = readDataflashBytes(dataflashFlight(c.older));
        EXPECT_EQ(data.positionSource, "GPS");
        EXPECT_EQ(data.firmware, c.firmware);
        EXPECT_EQ(data.vehicle, c.vehicle);
        ASSERT_EQ(data.position.size(), 20u) << c.older;
        EXPECT_NEAR(data.position[0].t, 10.0, 1e-9) << c.older;
        EXPECT_NEAR(data.position[5].latDeg, 48.10005, 1e-7);
        EXPECT_NEAR(data.position[5].lonDeg, 11.5001, 1e-7);
        EXPECT_NEAR(data.position[5].altM, 505.0, 1e-6);
        ASSERT_FALSE(data.voltage.empty());
        EXPECT_NEAR(data.voltage[0].value, 12.6, 1e-4);
        EXPECT_NEAR(data.current[0].value, 5.5, 1e-4);

        const LogRows rows = rowsOfFlight(data, {});
        ASSERT_EQ(rows.rows.size(), 20u);
        const LogRow& marked = rowAt(rows.rows, 2.0); // boot 12.0 s
        EXPECT_NEAR(marked.pyro_curroll, -30 * DEG, 1e-4) << c.older;
        EXPECT_NEAR(marked.pyro_curpitch, 10 * DEG, 1e-4) << c.older;
        EXPECT_NEAR(marked.gps_curheading, -10 * DEG, 1e-4) << c.older;
        EXPECT_NEAR(rowAt(rows.rows, 2.2).pyro_curroll, 0, 1e-9) << c.older;
        EXPECT_EQ(marked.gps_date, c.date);
        EXPECT_EQ(marked.gps_numsatellites, 9);
        EXPECT_NEAR(marked.out_ppm_curwidth[0], 1510, 1e-6);
        EXPECT_NEAR(marked.out_ppm_curwidth[3], 1200, 1e-6);
    }
}

TEST(DataflashReader, DamagedCopiesKeepWhatIsIntact)
{
    const std::string good = dataflashFlight(false);
    const size_t middle = good.find("\xa3\x95\x83", good.size() / 2); // an ATT header
    std::string header = good;
    header[middle + 1] = 0;
    std::string unknownType = good;
    unknownType[middle + 2] = '\x10';
    std::string forgedFormat = good;
    forgedFormat[good.find("ATT") - 1] = '\xff'; // ATT's whole length in its FMT
    const struct {
        const char* what;
        std::string bytes;
        const char* note;
        size_t minFixes;
    } cases[] = {
        {"truncated", good.substr(0, good.size() - 5), "the file ends inside a message at byte ", 19},
        {"header byte", header, "1 damaged stretch skipped (", 19},
        {"unknown type", unknownType, "1 damaged stretch skipped (", 19},
        // The layout fixes the length: nothing is lost, nothing to tell.
        {"forged length", forgedFormat, nullptr, 20},
    };
    for (const auto& c : cases) {
        const Flight data = readDataflashBytes(c.bytes);
        EXPECT_GE(data.position.size(), c.minFixes) << c.what;
        ASSERT_EQ(data.notes.size(), c.note ? 1u : 0u) << c.what;
        if (c.note) {
            EXPECT_EQ(data.notes[0].rfind(c.note, 0), 0u) << c.what << ": " << data.notes[0];
        }
    }
    EXPECT_THROW(readDataflashBytes("\xa3\x95\x05 not a log"), flightreplay::tools::ToolError);

    std::mt19937 random(11);
    for (int round = 0; round < 60; ++round) {
        std::string bytes = good.substr(0, 3 + random() % (good.size() - 3));
        for (int k = 0; k < 1 + round % 8; ++k)
            bytes[3 + random() % (bytes.size() - 3)] = static_cast<char>(random());
        checkConversion(readDataflashBytes(bytes), bytes.size());
    }
}

// Attitude in integers is counted unread once its stream thins; in floats
// (which may be NaN) every message is read. Both must keep the same samples.
TEST(DataflashReader, LongAttitudeThinsAlikeInIntegersAndFloats)
{
    std::vector<double> kept[2];
    for (int floats = 0; floats < 2; ++floats) {
        DataflashWriter w;
        w.define(131, "ATT", floats ? "Qfff" : "Qccc", "TimeUS,Roll,Pitch,Yaw");
        const size_t start = w.bytes.size();
        w.write(131, {0.0, 1.0, 2.0, 3.0});
        const std::string message = w.bytes.substr(start);
        std::string bytes = w.bytes.substr(0, start);
        for (uint64_t i = 0; i < 2 * STREAM_CAP + 3; ++i) {
            const uint64_t timeUs = 1000 + 20000 * i;
            bytes += message;
            std::memcpy(&bytes[bytes.size() - message.size() + 3], &timeUs, sizeof timeUs);
        }
        const Flight data = readDataflashBytes(bytes);
        for (const Attitude& a : data.attitude)
            kept[floats].push_back(a.t);
    }
    EXPECT_EQ(kept[0].size(), STREAM_CAP / 2 + 1);
    EXPECT_EQ(kept[0], kept[1]);
}

TEST(DataflashReader, AnInstanceOutOfRangeIsInNoFieldKeptOrReadAgain)
{
    // A core told in hundredths: -0.5 and 31.5 name no instance.
    DataflashWriter w;
    w.define(136, "XKF4", "QcH", "TimeUS,C,FS");
    const double cores[] = {0, -0.5, 31.5, 1};
    for (int i = 0; i < 4; ++i)
        w.write(136, {1e6 * (i + 1), cores[i], i + 1});
    ReadOptions keeping;
    keeping.keepFields = {{"XKF4", "FS"}};
    const Flight kept = readFlightBytes(w.bytes, keeping);
    const Flight reread = readFlightBytes(w.bytes, ReadOptions{});
    struct Case {
        const char* field;
        std::vector<double> values;
    };
    const Case cases[] = {{"XKF4.FS", {1}}, {"XKF4[1].FS", {4}}, {"XKF4[31].FS", {}}};
    for (const Case& c : cases)
        for (const Flight* flight : {&kept, &reread}) {
            std::vector<double> values;
            for (const Sample& s : readField(*flight, c.field))
                values.push_back(s.value);
            EXPECT_EQ(values, c.values) << c.field << (flight == &kept ? " kept" : " read again");
        }
}
