#include <string>

#include <gtest/gtest.h>

#include "tools/assets/vehicle_model.h"
#include "tools/assets/vehicle_type.h"

using namespace flightreplay;
using flight::VehicleType;

// Every name parses back to its type; aliases and any case are taken; an
// unknown word leaves the type alone.
TEST(VehicleType, NamesAndWords)
{
    const VehicleType types[] = {VehicleType::unknown, VehicleType::fixedWing, VehicleType::multicopter,
                                 VehicleType::helicopter, VehicleType::glider,   VehicleType::vtol,
                                 VehicleType::ground};
    for (VehicleType type : types) {
        VehicleType parsed = type == VehicleType::ground ? VehicleType::glider : VehicleType::ground;
        EXPECT_TRUE(assets::parseVehicleType(assets::vehicleTypeName(type), parsed)) << assets::vehicleTypeName(type);
        EXPECT_EQ(parsed, type);
    }
    const struct {
        const char* word;
        VehicleType type;
    } aliases[] = {{"quad", VehicleType::multicopter}, {"Plane", VehicleType::fixedWing},
                   {"paraglider", VehicleType::glider}, {"rover", VehicleType::ground},
                   {"BOAT", VehicleType::ground},       {"VTOL", VehicleType::vtol}};
    for (const auto& alias : aliases) {
        VehicleType parsed = VehicleType::unknown;
        EXPECT_TRUE(assets::parseVehicleType(alias.word, parsed)) << alias.word;
        EXPECT_EQ(parsed, alias.type) << alias.word;
    }
    VehicleType untouched = VehicleType::helicopter;
    EXPECT_FALSE(assets::parseVehicleType("bicycle", untouched));
    EXPECT_FALSE(assets::parseVehicleType("", untouched));
    EXPECT_EQ(untouched, VehicleType::helicopter);
}

// The readers' vehicle words, and the formats that carry none.
TEST(VehicleType, OfAFlight)
{
    using flight::FlightFormat;
    using flight::VehicleKind;
    const struct {
        FlightFormat format;
        VehicleKind vehicle;
        VehicleType type;
    } cases[] = {
        {FlightFormat::ulog, VehicleKind::fixedWing, VehicleType::fixedWing},
        {FlightFormat::ulog, VehicleKind::multicopter, VehicleType::multicopter},
        {FlightFormat::dataflash, VehicleKind::helicopter, VehicleType::helicopter},
        {FlightFormat::dataflash, VehicleKind::vtol, VehicleType::vtol},
        {FlightFormat::ulog, VehicleKind::rover, VehicleType::ground},
        {FlightFormat::tlog, VehicleKind::boat, VehicleType::ground},
        {FlightFormat::ulog, VehicleKind::submarine, VehicleType::ground},
        {FlightFormat::ulog, VehicleKind::airship, VehicleType::unknown},
        {FlightFormat::ulog, VehicleKind::unknown, VehicleType::unknown},
        {FlightFormat::igc, VehicleKind::unknown, VehicleType::glider},
        {FlightFormat::gpx, VehicleKind::unknown, VehicleType::unknown},
        {FlightFormat::csv, VehicleKind::unknown, VehicleType::unknown},
        {FlightFormat::log, VehicleKind::unknown, VehicleType::fixedWing},
        {FlightFormat::igc, VehicleKind::multicopter, VehicleType::multicopter},
    };
    for (const auto& c : cases) {
        flight::Flight flight;
        flight.format = c.format;
        flight.vehicle = c.vehicle;
        EXPECT_EQ(assets::vehicleTypeOf(flight), c.type)
            << flight::formatWord(c.format) << " " << flight::vehicleKindName(c.vehicle);
    }
}

// The trainer is chased from the studio's distance of today (70 m behind,
// 22 m above), the quad from a few metres, and the distance grows with size.
TEST(VehicleType, ChaseDistanceFollowsSize)
{
    EXPECT_NEAR(assets::chaseDistanceFor(0.76), 73.0, 1.0);
    EXPECT_NEAR(assets::chaseDistanceFor(0.31), 5.0, 0.5);
    EXPECT_NEAR(assets::chaseDistanceFor(7.6), 730.0, 10.0);
    double previous = 0.0;
    for (double radius = 0.05; radius < 20.0; radius *= 1.2) {
        const double distance = assets::chaseDistanceFor(radius);
        EXPECT_GT(distance, previous) << radius;
        previous = distance;
    }
    EXPECT_GT(assets::chaseDistanceFor(0.0), 0.0);
}
