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
    for (const char* absent : {"VIBE.TimeUS", "VIBE[2].VibeX", "vehicle_gps_position._padding0[0]", "vehicle_gps_position.timestamp", "NOPE.x"}) {
        EXPECT_FALSE(flight::hasField(dataflash, absent) || flight::hasField(ulog, absent)) << absent;
        EXPECT_TRUE(flight::readField(ulog, absent).empty()) << absent;
    }
}

TEST(FieldCatalogue, FieldsComeFromTheFileUntilItIsGone)
{
    const std::string path = (std::filesystem::temp_directory_path() / "field_catalogue_test.bin").string();
    {
        std::ofstream out(path, std::ios::binary);
        out << reader_test::dataflashReviewFlight({});
    }
    const flight::Flight data = readers::readFlightFile(path, {});
    const std::vector<flight::Series> both = flight::readFields(data, {"CTUN.ThO", "NOPE.x", "POWR.Vcc"});
    ASSERT_EQ(both.size(), 3u);
    EXPECT_EQ(both[0].size(), 1500u);
    EXPECT_TRUE(both[1].empty());
    EXPECT_NEAR(both[2].front().value, 5.05, 1e-9);
    std::filesystem::remove(path);
    EXPECT_TRUE(flight::readField(data, "CTUN.ThO").empty());
    EXPECT_TRUE(flight::hasField(data, "CTUN.ThO"));
}
