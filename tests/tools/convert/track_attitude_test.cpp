#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "tools/convert/track_attitude.h"

namespace fc = flightreplay::convert;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180;
constexpr double kG = 9.80665;
constexpr double kLat0 = 47.0, kLon0 = 8.0;

// A fix at east/north/up metres from (kLat0, kLon0, 400 m).
fc::Fix fixAt(double t, double east, double north, double up)
{
    const double metresPerDegree = 6371000.0 * kPi / 180;
    return {t, kLat0 + north / metresPerDegree, kLon0 + east / (metresPerDegree * std::cos(kLat0 * kDeg)), 400 + up};
}

double angleBetween(double a, double b)
{
    return std::fabs(std::remainder(a - b, 2 * kPi));
}

} // namespace

TEST(DeriveAttitude, CoordinatedTurnBank)
{
    const struct {
        double radius, speed, rateHz;
        bool right;
    } cases[] = {
        {100, 20, 1, true},
        {200, 25, 5, false},
        {60, 15, 2, true},
        {400, 30, 0.5, false},
    };
    for (const auto& c : cases) {
        fc::FlightData data;
        const double omega = c.speed / c.radius * (c.right ? 1 : -1); // heading rate, clockwise positive
        const int count = static_cast<int>(120 * c.rateHz);
        for (int i = 0; i <= count; ++i) {
            const double t = i / c.rateHz, bearing = omega * t; // of the aircraft seen from the centre
            data.position.push_back(fixAt(1000 + t, c.radius * std::sin(bearing), c.radius * std::cos(bearing), 0));
        }
        fc::deriveAttitude(data);
        ASSERT_EQ(data.attitude.size(), data.position.size());
        EXPECT_TRUE(data.attitudeDerived);
        const double bank = std::atan(c.speed * c.speed / (c.radius * kG)) * (c.right ? 1 : -1);
        const size_t margin = static_cast<size_t>(10 * c.rateHz);
        for (size_t i = margin; i + margin < data.attitude.size(); ++i) {
            const fc::Attitude& a = data.attitude[i];
            ASSERT_NEAR(a.roll, bank, 1 * kDeg) << "radius " << c.radius << " at t " << a.t;
            ASSERT_NEAR(a.pitch, 0, 0.1 * kDeg);
            const double tangent = omega * (a.t - 1000) + (c.right ? kPi / 2 : -kPi / 2);
            ASSERT_LT(angleBetween(a.yaw, tangent), 1 * kDeg) << "radius " << c.radius << " at t " << a.t;
            ASSERT_LE(std::fabs(a.yaw), kPi);
        }
        EXPECT_NEAR(data.groundSpeed[data.groundSpeed.size() / 2].value, c.speed, 0.01 * c.speed);
    }
}

TEST(DeriveAttitude, StraightClimbAndDescent)
{
    const struct {
        double speed, climb, headingDeg;
    } cases[] = {{20, 3, 45}, {10, -2, 180}, {30, 0, -90}, {8, 4, 0}};
    for (const auto& c : cases) {
        fc::FlightData data;
        for (int i = 0; i <= 60; ++i) {
            const double d = c.speed * i;
            data.position.push_back(fixAt(i, d * std::sin(c.headingDeg * kDeg), d * std::cos(c.headingDeg * kDeg), c.climb * i));
        }
        fc::deriveAttitude(data);
        for (const fc::Attitude& a : data.attitude) {
            ASSERT_NEAR(a.pitch, std::atan(c.climb / c.speed), 0.1 * kDeg) << c.headingDeg;
            ASSERT_NEAR(a.roll, 0, 0.1 * kDeg) << c.headingDeg;
            ASSERT_LT(angleBetween(a.yaw, c.headingDeg * kDeg), 0.1 * kDeg) << c.headingDeg;
        }
    }
}

TEST(DeriveAttitude, JitterDoesNotFlapTheWings)
{
    // Due south puts the course on the ±π seam, where noise crosses it.
    const struct {
        double headingDeg, rateHz;
    } cases[] = {{180, 1}, {30, 1}, {180, 10}, {-100, 5}};
    for (const auto& c : cases) {
        std::mt19937 random(7);
        std::uniform_real_distribution<double> jitter(-1.5, 1.5);
        fc::FlightData data;
        for (int i = 0; i <= 300 * c.rateHz; ++i) {
            const double t = i / c.rateHz, d = 20.0 * t;
            data.position.push_back(fixAt(t, d * std::sin(c.headingDeg * kDeg) + jitter(random),
                                          d * std::cos(c.headingDeg * kDeg) + jitter(random), jitter(random)));
        }
        fc::deriveAttitude(data);
        for (const fc::Attitude& a : data.attitude) {
            ASSERT_LT(std::fabs(a.roll), 5 * kDeg) << c.headingDeg << " at " << a.t;
            ASSERT_LT(std::fabs(a.pitch), 5 * kDeg) << c.headingDeg << " at " << a.t;
            ASSERT_LT(angleBetween(a.yaw, c.headingDeg * kDeg), 8 * kDeg) << c.headingDeg << " at " << a.t;
        }
    }
}

TEST(DeriveAttitude, StandingStillKeepsTheLastHeading)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<double> jitter(-0.3, 0.3);
    fc::FlightData data;
    for (int i = 0; i <= 20; ++i)
        data.position.push_back(fixAt(i, 15.0 * i, 0, 0));
    for (int i = 21; i <= 80; ++i)
        data.position.push_back(fixAt(i, 300 + jitter(random), jitter(random), 0));
    fc::deriveAttitude(data);
    for (const fc::Attitude& a : data.attitude) {
        ASSERT_LT(angleBetween(a.yaw, kPi / 2), 5 * kDeg) << a.t;
        if (a.t > 30) {
            ASSERT_EQ(a.roll, 0.0) << a.t;
        }
    }
}

TEST(DeriveAttitude, KeepsWhatTheFileRecorded)
{
    fc::FlightData data;
    for (int i = 0; i <= 30; ++i)
        data.position.push_back(fixAt(i, 0, 20.0 * i, 2.0 * i));
    for (int i = 0; i <= 60; ++i)
        data.attitude.push_back({i * 0.5, 0.25, NAN, i % 2 ? NAN : 1.0});
    data.groundSpeed = {{0.0, 19.0}};
    fc::deriveAttitude(data);
    EXPECT_TRUE(data.attitudeDerived);
    ASSERT_EQ(data.attitude.size(), 61u);
    for (size_t i = 0; i < data.attitude.size(); ++i) {
        const fc::Attitude& a = data.attitude[i];
        EXPECT_EQ(a.roll, 0.25);
        EXPECT_NEAR(a.pitch, std::atan(2.0 / 20.0), 0.1 * kDeg);
        EXPECT_NEAR(a.yaw, i % 2 ? 0.0 : 1.0, 0.1 * kDeg);
    }
    EXPECT_EQ(data.groundSpeed.size(), 1u);

    fc::FlightData recorded;
    recorded.position = data.position;
    recorded.attitude = {{0, 0.1, 0.2, 0.3}};
    fc::deriveAttitude(recorded);
    EXPECT_FALSE(recorded.attitudeDerived);
    EXPECT_EQ(recorded.attitude[0].yaw, 0.3);
    ASSERT_EQ(recorded.groundSpeed.size(), recorded.position.size());
    EXPECT_NEAR(recorded.groundSpeed[10].value, 20.0, 0.01);
}
