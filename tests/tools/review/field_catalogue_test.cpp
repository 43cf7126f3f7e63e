#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "review_logs.h"
#include "tools/flight/field_catalogue.h"
#include "tools/readers/read_flight.h"

using namespace flightreplay;

TEST(FieldCatalogue, NamesUnitsAndValuesOfEveryFormat)
{
    const flight::Flight dataflash = readers::readFlightBytes(reader_test::dataflashReviewFlight({}), {});
    const flight::Flight ulog = readers::readFlightBytes(reader_test::ulogReviewFlight({}), {});
    const flight::Flight tlog = readers::readFlightBytes(reader_test::tlogReviewFlight({}), {});
    struct Case {
        const flight::Flight* flight;
        const char* name;
        const char* unit;
        double t;     // the first sample's, file clock
        double value; // its value
    };
    const Case cases[] = {
        {&dataflash, "VIBE.VibeZ", "", 0.0, 12},
        {&dataflash, "VIBE[1].VibeX", "", 0.0, 6},
        {&dataflash, "MAG[1].MagX", "Gauss", 0.0, 0.2}, // stored as milligauss, the log's multiplier applied
        {&dataflash, "XKF4.SV", "", 0.0, 0.2},
        {&dataflash, "GPS.Lat", "", 1.0, 48.1},
        {&ulog, "vehicle_imu_status[1].accel_clipping[0]", "", 0.0, 0},
        {&ulog, "vehicle_gps_position.lat", "", 1.0, 481000000},
        {&ulog, "vehicle_magnetometer[1].magnetometer_ga[2]", "", 0.0, 0.4},
        {&ulog, "actuator_motors.control[3]", "", 0.0, 0.005},
        {&tlog, "SERVO_OUTPUT_RAW.servo3_raw", "", 0.0, 995},
        {&tlog, "VIBRATION.vibration_z", "", 0.0, 12},
        {&tlog, "GPS_RAW_INT.eph", "", 1.0, 90},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.flight->fields) << c.name;
        const flight::FieldInfo* info = c.flight->fields->find(c.name);
        ASSERT_NE(info, nullptr) << c.name;
        EXPECT_EQ(info->unit, c.unit) << c.name;
        const flight::Series series = flight::readField(*c.flight, c.name);
        ASSERT_FALSE(series.empty()) << c.name;
        EXPECT_NEAR(series.front().t, c.t, 1e-6) << c.name;
        EXPECT_NEAR(series.front().value, c.value, 1e-4) << c.name;
        EXPECT_EQ(series.size(), c.t == 0 ? 1500u : 1490u) << c.name;
    }
    for (const char* absent : {"VIBE.TimeUS", "VIBE[2].VibeX", "vehicle_gps_position._padding0[0]", "vehicle_gps_position.timestamp",
                               "ATTITUDE.time_boot_ms", "STATUSTEXT.text", "SERVO_OUTPUT_RAW.servo9_raw", "NOPE.x"}) {
        EXPECT_FALSE(flight::hasField(dataflash, absent) || flight::hasField(ulog, absent) || flight::hasField(tlog, absent)) << absent;
        EXPECT_TRUE(flight::readField(ulog, absent).empty()) << absent;
    }
}

TEST(FieldCatalogue, FieldsComeFromTheFileUntilItIsGoneUnlessKept)
{
    struct Case {
        const char* what;
        std::string bytes;
        const char* kept;
        const char* read;
    };
    const Case cases[] = {
        {"DataFlash", reader_test::dataflashReviewFlight({}), "MAG[1].MagX", "POWR.Vcc"},
        {"ULog", reader_test::ulogReviewFlight({}), "vehicle_imu_status[1].accel_vibration_metric", "system_power.voltage5v_v"},
        {"tlog", reader_test::tlogReviewFlight({}), "VIBRATION.vibration_z", "POWER_STATUS.Vcc"},
        // Clipping is 0: MAVLink 2 drops those bytes, which read as zeros.
        {"tlog, a field of the zeros dropped", reader_test::tlogReviewFlight({}), "VIBRATION.clipping_2", "POWER_STATUS.Vcc"},
    };
    for (const Case& c : cases) {
        const std::string path = (std::filesystem::temp_directory_path() / "field_catalogue_test.log").string();
        std::ofstream(path, std::ios::binary) << c.bytes;
        readers::ReadOptions options;
        const std::string kept = c.kept;
        options.keepFields = {{kept.substr(0, kept.find_first_of("[.")), kept.substr(kept.find('.') + 1)}};
        const flight::Flight data = readers::readFlightFile(path, options);
        const std::vector<flight::Series> both = flight::readFields(data, {c.kept, "NOPE.x", c.read});
        ASSERT_EQ(both.size(), 3u);
        EXPECT_EQ(both[0].size(), 1500u) << c.what;
        EXPECT_TRUE(both[1].empty()) << c.what;
        EXPECT_EQ(both[2].size(), 1500u) << c.what;
        const flight::Series reread = flight::readField(readers::readFlightFile(path, readers::ReadOptions{}), c.kept);
        ASSERT_EQ(reread.size(), both[0].size()) << c.what;
        for (size_t i = 0; i < reread.size(); ++i)
            ASSERT_EQ(reread[i].value, both[0][i].value) << c.what << " at " << reread[i].t;
        // Kept in memory, the first is the same series read again; the
        // other comes from the file, and so goes with it.
        std::filesystem::remove(path);
        const std::vector<flight::Series> again = flight::readFields(data, {c.kept, c.read});
        ASSERT_EQ(again[0].size(), both[0].size()) << c.what;
        EXPECT_EQ(again[0].back().value, both[0].back().value) << c.what;
        EXPECT_TRUE(again[1].empty()) << c.what;
        EXPECT_TRUE(flight::hasField(data, c.read)) << c.what;
    }
}
