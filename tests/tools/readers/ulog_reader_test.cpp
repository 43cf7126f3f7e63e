#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "reader_test_support.h"
#include "log/units.h"
#include "log_writers.h"
#include "support/test_support.h"
#include "tests/fuzz/convert_fuzz_checks.h"
#include "tools/common/tool_error.h"
#include "tools/readers/read_flight.h"
#include "tools/convert/resample.h"

using namespace flightreplay::readers;
using namespace flightreplay::convert;
using namespace flightreplay::flight;
using namespace reader_test;
using flightreplay::tools::ToolError;

namespace {
constexpr double DEG = MAP_PI / 180.0;
}

TEST(UlogReader, RealSamplesConvert)
{
    const std::string dir = realLogDir();
    struct Case {
        const char* file;
        const char* source;
        double lat, lon, tolerance; // degrees, from the samples' README or a second reading
        size_t minRows;
        const char* firmware;
    } cases[] = {
        {"sample_log_small.ulg", "vehicle_gps_position", 63.417, 10.408, 0.001, 30, "PX4 v1.11.2"},
        {"sample_px4_events.ulg", "vehicle_global_position", 47.398, 8.546, 0.01, 100, "PX4 v1.15.0"},
    };
    for (const Case& c : cases) {
        const Flight data = readUlogBytes(readFile(dir + "/" + c.file));
        EXPECT_EQ(data.positionSource, c.source) << c.file;
        EXPECT_EQ(data.firmware, c.firmware) << c.file;
        EXPECT_FALSE(data.attitude.empty()) << c.file;
        EXPECT_FALSE(data.voltage.empty()) << c.file;
        EXPECT_FALSE(data.servoOut[0].empty()) << c.file;
        const LogRows rows = rowsOfFlight(data, {});
        ASSERT_GE(rows.rows.size(), c.minRows) << c.file;
        for (const LogRow& row : rows.rows) {
            ASSERT_NEAR(row.gps_curlat / 60, c.lat, c.tolerance) << c.file;
            ASSERT_NEAR(row.gps_curlon / 60, c.lon, c.tolerance) << c.file;
            ASSERT_TRUE(std::isfinite(row.pyro_curroll) && std::fabs(row.pyro_curroll) < MAP_PI) << c.file;
            ASSERT_TRUE(std::isfinite(row.pyro_curpitch) && std::fabs(row.pyro_curpitch) <= MAP_PI / 2) << c.file;
        }
    }
}

TEST(UlogReader, LayoutsInstancesAndKnownAttitude)
{
    const Flight data = readUlogBytes(ulogFlight());
    ASSERT_EQ(data.position.size(), 10u);
    // Nested format before lat and trailing padding left out of the data.
    EXPECT_NEAR(data.position[3].latDeg, 48.10003, 1e-9);
    EXPECT_NEAR(data.position[3].lonDeg, 11.50006, 1e-9);
    EXPECT_NEAR(data.position[3].altM, 503.0, 1e-9);
    EXPECT_EQ(data.firmware, "PX4 v1.14.2");
    EXPECT_EQ(data.vehicle, VehicleKind::fixedWing);
    // Instance 0 wins over instance 1, whatever the subscription order.
    ASSERT_FALSE(data.voltage.empty());
    EXPECT_NEAR(data.voltage[0].value, 16.0, 1e-6);
    EXPECT_TRUE(data.notes.empty());

    const LogRows rows = rowsOfFlight(data, {});
    ASSERT_EQ(rows.rows.size(), 10u);
    const LogRow& marked = rowAt(rows.rows, 2.0); // boot 7.0 s, two seconds after the first fix
    EXPECT_NEAR(marked.pyro_curroll, -30 * DEG, 1e-5);
    EXPECT_NEAR(marked.pyro_curpitch, 10 * DEG, 1e-5);
    EXPECT_NEAR(marked.gps_curheading, (90 - 100) * DEG, 1e-5);
    const LogRow& level = rowAt(rows.rows, 3.0);
    EXPECT_NEAR(level.pyro_curroll, 0, 1e-6);
    EXPECT_NEAR(level.gps_curheading, 0, 1e-6);
}

TEST(UlogReader, FirstGenerationLayouts)
{
    // Angles logged as such, the estimator's position as doubles, baro in
    // sensor_combined.
    UlogWriter w;
    w.format("vehicle_attitude:uint64_t timestamp;float roll;float pitch;float yaw;float[4] q;");
    w.format("vehicle_global_position:uint64_t timestamp;double lat;double lon;float alt;");
    w.format("sensor_combined:uint64_t timestamp;float[3] gyro_rad;float baro_alt_meter;");
    w.subscribe(0, 1, "vehicle_attitude");
    w.subscribe(0, 2, "vehicle_global_position");
    w.subscribe(0, 3, "sensor_combined");
    for (int k = 0; k < 3; ++k) {
        const uint64_t us = 1000000u * static_cast<uint64_t>(k + 1);
        Body att, pos, baro;
        att.put<uint64_t>(us).put<float>(0.5f).put<float>(-0.25f).put<float>(3.0f);
        att.put<float>(0).put<float>(0).put<float>(0).put<float>(0);
        pos.put<uint64_t>(us).put<double>(47.5).put<double>(-122.25 + k * 1e-4).put<float>(120.f);
        baro.put<uint64_t>(us).put<float>(0).put<float>(0).put<float>(0).put<float>(99.f);
        w.data(1, att);
        w.data(2, pos);
        w.data(3, baro);
    }
    // Found by fuzzing: a version number given as text is no version.
    w.info("char[4] ver_sw_release", "1.2x");
    w.info("char[6] ver_sw", "abcdef");
    const Flight data = readUlogBytes(w.bytes);
    EXPECT_EQ(data.firmware, "abcdef");
    EXPECT_EQ(data.positionSource, "vehicle_global_position");
    ASSERT_EQ(data.position.size(), 3u);
    EXPECT_DOUBLE_EQ(data.position[2].lonDeg, -122.25 + 2e-4);
    ASSERT_EQ(data.attitude.size(), 3u);
    EXPECT_NEAR(data.attitude[1].roll, 0.5, 1e-7);
    EXPECT_NEAR(data.attitude[1].pitch, -0.25, 1e-7);
    EXPECT_NEAR(data.attitude[1].yaw, 3.0, 1e-7);
    ASSERT_EQ(data.baroAlt.size(), 3u);
    EXPECT_EQ(data.baroAlt[0].value, 99.0);
}

TEST(UlogReader, UnsubscribedAndResubscribedIds)
{
    UlogWriter w;
    w.format("vehicle_global_position:uint64_t timestamp;double lat;double lon;float alt;");
    w.format("vehicle_air_data:uint64_t timestamp;float baro_alt_meter;");
    const auto fix = [&](uint64_t us) {
        Body pos;
        pos.put<uint64_t>(us).put<double>(47.5).put<double>(8.5).put<float>(400.f);
        w.data(1, pos);
    };
    w.subscribe(0, 1, "vehicle_global_position");
    fix(1000000);
    Body unsubscribe;
    unsubscribe.put<uint16_t>(1);
    w.message('R', unsubscribe.bytes);
    fix(2000000); // no longer subscribed: damage, skipped to the marker
    w.sync();
    w.subscribe(0, 1, "vehicle_air_data");
    Body baro;
    baro.put<uint64_t>(3000000).put<float>(410.f);
    w.data(1, baro);
    const Flight data = readUlogBytes(w.bytes);
    EXPECT_EQ(data.position.size(), 1u);
    ASSERT_EQ(data.baroAlt.size(), 1u);
    EXPECT_EQ(data.baroAlt[0].value, 410.0);
    ASSERT_EQ(data.notes.size(), 1u);
    EXPECT_NE(data.notes[0].find("1 damaged stretch"), std::string::npos) << data.notes[0];
}

TEST(UlogReader, DamagedCopiesKeepWhatIsIntact)
{
    const std::string good = ulogFlight();
    const size_t dataStart = good.find("vehicle_attitude", good.find("A")) + 200;
    struct Case {
        const char* what;
        std::string bytes;
        const char* note; // part of the note expected
        size_t minFixes;
    };
    std::string zeroed = good;
    std::fill(zeroed.begin() + static_cast<std::ptrdiff_t>(good.size() / 2), zeroed.begin() + static_cast<std::ptrdiff_t>(good.size() / 2 + 64), '\0');
    std::string forged = good;
    const size_t d = good.find(std::string("\x00\x44\x02\x00", 4), dataStart) - 1; // an attitude D header
    forged[d] = '\xff';
    forged[d + 1] = '\xff';
    std::string typeByte = good;
    typeByte[d + 2] = '#';
    const Case cases[] = {
        {"truncated", good.substr(0, good.size() - 7), "the file ends inside a message at byte ", 9},
        {"type byte", typeByte, "1 damaged stretch skipped (", 10},
        {"forged size", forged, "1 damaged stretch skipped (", 10},
        {"zeroed", zeroed, "1 damaged stretch skipped (", 9},
    };
    for (const Case& c : cases) {
        const Flight data = readUlogBytes(c.bytes);
        EXPECT_GE(data.position.size(), c.minFixes) << c.what;
        ASSERT_EQ(data.notes.size(), 1u) << c.what;
        EXPECT_EQ(data.notes[0].rfind(c.note, 0), 0u) << c.what << ": " << data.notes[0];
    }
}

TEST(UlogReader, RefusedFiles)
{
    const struct {
        std::string bytes;
        const char* message;
    } cases[] = {
        {ulogFlight(0x02), "incompatible flags 02"},
        {ulogFlight(0x00, 0x10), "incompatible flags 0010"},
        {"ULog", "not a ULog file"},
        {std::string(100, 'x'), "not a ULog file"},
    };
    for (const auto& c : cases) {
        try {
            readUlogBytes(c.bytes);
            ADD_FAILURE() << c.message;
        } catch (const ToolError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
    // The appended-data bit alone is fine.
    EXPECT_EQ(readUlogBytes(ulogFlight(0x01)).position.size(), 10u);
}

TEST(UlogReader, RandomDamageKeepsTheConversionsInvariants)
{
    const std::string sources[] = {ulogFlight(), readFile(realLogDir() + "/sample_log_small.ulg")};
    std::mt19937 random(7);
    for (const std::string& source : sources) {
        for (int round = 0; round < 40; ++round) {
            std::string bytes = source.substr(0, 16 + random() % (source.size() - 16));
            for (int k = 0; k < 1 + round % 8; ++k)
                bytes[16 + random() % (bytes.size() - 16)] = static_cast<char>(random());
            checkConversion(readUlogBytes(bytes), bytes.size());
        }
    }
}

namespace {

// The file without its sync messages, as loggers before them wrote it, and
// the offset of its first data message.
std::string withoutSyncMessages(const std::string& ulog, size_t& firstData)
{
    std::string out = ulog.substr(0, 16);
    firstData = 0;
    for (size_t at = 16; at + 3 <= ulog.size();) {
        const size_t size = static_cast<uint8_t>(ulog[at]) | static_cast<size_t>(static_cast<uint8_t>(ulog[at + 1])) << 8;
        const char type = ulog[at + 2];
        if (type == 'D' && firstData == 0)
            firstData = out.size();
        if (type != 'S')
            out += ulog.substr(at, 3 + size);
        at += 3 + size;
    }
    return out;
}

} // namespace

TEST(UlogReader, ZeroedBlockInARealLogLosesAFixAtMost)
{
    for (const char* file : {"sample_log_small.ulg", "sample_px4_events.ulg"}) {
        const std::string intact = readFile(realLogDir() + "/" + file);
        const size_t fixes = readUlogBytes(intact).position.size();
        size_t firstData = 0;
        const std::string older = withoutSyncMessages(intact, firstData);
        ASSERT_LT(older.size(), intact.size()) << file;
        for (const bool markers : {true, false}) {
            const std::string& source = markers ? intact : older;
            for (const double share : {0.1, 0.45, 0.8}) {
                std::string bytes = source;
                const size_t at = firstData + static_cast<size_t>(share * static_cast<double>(source.size() - firstData));
                std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + 4096), '\0');
                const Flight data = readUlogBytes(bytes);
                EXPECT_GE(data.position.size() + 1, fixes) << file << " markers " << markers << " at " << at;
                const std::string notes = data.notes.empty() ? "" : data.notes[0];
                EXPECT_EQ(notes.rfind("1 damaged stretch skipped (", 0), 0u) << notes;
                if (!markers) {
                    EXPECT_NE(notes.find("by resynchronising on the next readable message header"), std::string::npos) << notes;
                }
            }
        }
    }
}

TEST(UlogReader, FileReadInChunksAsInMemoryAcrossRefills)
{
    // Over a MiB of fixes with a damaged stretch whose sync marker straddles
    // the first refill of the file's window, at 1 MiB.
    UlogWriter w;
    w.format("vehicle_global_position:uint64_t timestamp;double lat;double lon;float alt;");
    w.subscribe(0, 1, "vehicle_global_position");
    int fixes = 0;
    const auto fix = [&] {
        Body pos;
        pos.put<uint64_t>(1000000u + 100000u * static_cast<uint64_t>(fixes)).put<double>(47.5 + fixes * 1e-6).put<double>(8.5).put<float>(400.f);
        w.data(1, pos);
        ++fixes;
    };
    const size_t refill = size_t(1) << 20;
    while (w.bytes.size() < refill - 200)
        fix();
    w.bytes += std::string(refill - 4 - w.bytes.size(), '\xff');
    w.bytes += std::string("\x2f\x73\x13\x20\x25\x0c\xbb\x12", 8);
    while (w.bytes.size() < refill + refill / 4)
        fix();
    const std::string dir = makeTempDir();
    writeFile(dir + "/long.ulg", w.bytes);

    const Flight fromFile = readFlightFile(dir + "/long.ulg", {});
    ASSERT_EQ(fromFile.position.size(), static_cast<size_t>(fixes));
    EXPECT_DOUBLE_EQ(fromFile.position.back().latDeg, 47.5 + (fixes - 1) * 1e-6);
    ASSERT_EQ(fromFile.notes.size(), 1u);
    EXPECT_EQ(fromFile.notes[0].rfind("1 damaged stretch skipped (", 0), 0u) << fromFile.notes[0];
    EXPECT_NE(fromFile.notes[0].find("by resynchronising on the sync marker"), std::string::npos) << fromFile.notes[0];

    // A real log longer than the window, its messages crossing the refill.
    const std::string real = realLogDir() + "/sample_px4_events.ulg";
    const Flight chunked = readFlightFile(real, {});
    const Flight whole = readFlightBytes(readFile(real), {});
    ASSERT_EQ(chunked.position.size(), whole.position.size());
    ASSERT_EQ(chunked.attitude.size(), whole.attitude.size());
    for (size_t i = 0; i < whole.position.size(); ++i)
        ASSERT_EQ(chunked.position[i].latDeg, whole.position[i].latDeg) << i;
}

TEST(UlogReader, PositionFromLocalPositionAndSensorGps)
{
    using Write = void (*)(Body&, uint64_t);
    const struct {
        const char* what;
        const char* format;
        Write write;
        const char* source; // nullptr: no usable position
        double lat, lon, alt;
    } cases[] = {
        {"local, global reference",
         "vehicle_local_position:uint64_t timestamp;float x;float y;float z;double ref_lat;double ref_lon;float ref_alt;bool xy_global;bool z_global;",
         [](Body& b, uint64_t us) { b.put<uint64_t>(us).put<float>(1000.f).put<float>(500.f).put<float>(-20.f).put<double>(47.0).put<double>(8.0).put<float>(400.f).put<uint8_t>(1).put<uint8_t>(1); },
         "vehicle_local_position", 47.0 + 1000.0 / 6371000.0 / DEG, 8.0 + 500.0 / (6371000.0 * std::cos(47.0 * DEG)) / DEG, 420.0},
        {"local, no global reference",
         "vehicle_local_position:uint64_t timestamp;float x;float y;float z;double ref_lat;double ref_lon;float ref_alt;bool xy_global;bool z_global;",
         [](Body& b, uint64_t us) { b.put<uint64_t>(us).put<float>(1.f).put<float>(1.f).put<float>(0.f).put<double>(47.0).put<double>(8.0).put<float>(400.f).put<uint8_t>(0).put<uint8_t>(1); },
         nullptr, 0, 0, 0},
        {"sensor_gps in degrees",
         "sensor_gps:uint64_t timestamp;double latitude_deg;double longitude_deg;double altitude_msl_m;float vel_m_s;uint8_t fix_type;uint8_t satellites_used;",
         [](Body& b, uint64_t us) { b.put<uint64_t>(us).put<double>(-33.5).put<double>(151.25).put<double>(12.5).put<float>(3.f).put<uint8_t>(3).put<uint8_t>(11); },
         "sensor_gps", -33.5, 151.25, 12.5},
        {"sensor_gps in 1e-7 degrees and mm",
         "sensor_gps:uint64_t timestamp;int32_t lat;int32_t lon;int32_t alt;uint8_t fix_type;",
         [](Body& b, uint64_t us) { b.put<uint64_t>(us).put<int32_t>(471234567).put<int32_t>(-1225000000).put<int32_t>(450250).put<uint8_t>(3); },
         "sensor_gps", 47.1234567, -122.5, 450.25},
        {"sensor_gps without a fix",
         "sensor_gps:uint64_t timestamp;int32_t lat;int32_t lon;int32_t alt;uint8_t fix_type;",
         [](Body& b, uint64_t us) { b.put<uint64_t>(us).put<int32_t>(471234567).put<int32_t>(85000000).put<int32_t>(450250).put<uint8_t>(1); },
         nullptr, 0, 0, 0},
    };
    for (const auto& c : cases) {
        UlogWriter w;
        w.format(c.format);
        const std::string topic = std::string(c.format).substr(0, std::string(c.format).find(':'));
        w.subscribe(0, 3, topic);
        for (uint64_t k = 1; k <= 3; ++k) {
            Body body;
            c.write(body, k * 1000000u);
            w.data(3, body);
        }
        const Flight data = readUlogBytes(w.bytes);
        if (!c.source) {
            EXPECT_TRUE(data.position.empty()) << c.what;
            continue;
        }
        EXPECT_EQ(data.positionSource, c.source) << c.what;
        ASSERT_EQ(data.position.size(), 3u) << c.what;
        // A tenth of a metre: whichever mean Earth radius the local offsets use.
        EXPECT_NEAR(data.position[1].latDeg, c.lat, 1e-6) << c.what;
        EXPECT_NEAR(data.position[1].lonDeg, c.lon, 1e-6) << c.what;
        EXPECT_NEAR(data.position[1].altM, c.alt, 1e-4) << c.what;
    }
}
