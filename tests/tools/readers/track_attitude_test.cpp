#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "log/units.h"
#include "tools/readers/track_attitude.h"

namespace fc = flightreplay::readers;
namespace ff = flightreplay::flight;

namespace {

constexpr double DEG = MAP_PI / 180;
constexpr double G = 9.80665;
constexpr double LAT0 = 47.0, LON0 = 8.0;

// A fix at east/north/up metres from (LAT0, LON0, 400 m).
ff::Fix fixAt(double t, double east, double north, double up)
{
    const double metresPerDegree = 6371000.0 * MAP_PI / 180;
    return {t, LAT0 + north / metresPerDegree, LON0 + east / (metresPerDegree * std::cos(LAT0 * DEG)), 400 + up};
}

double angleBetween(double a, double b)
{
    return std::fabs(std::remainder(a - b, 2 * MAP_PI));
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
        ff::Flight data;
        const double omega = c.speed / c.radius * (c.right ? 1 : -1); // heading rate, clockwise positive
        const int count = static_cast<int>(120 * c.rateHz);
        for (int i = 0; i <= count; ++i) {
            const double t = i / c.rateHz, bearing = omega * t; // of the aircraft seen from the centre
            data.position.push_back(fixAt(1000 + t, c.radius * std::sin(bearing), c.radius * std::cos(bearing), 0));
        }
        fc::deriveAttitude(data);
        ASSERT_EQ(data.attitude.size(), data.position.size());
        EXPECT_TRUE(data.attitudeDerived);
        const double bank = std::atan(c.speed * c.speed / (c.radius * G)) * (c.right ? 1 : -1);
        const size_t margin = static_cast<size_t>(10 * c.rateHz);
        for (size_t i = margin; i + margin < data.attitude.size(); ++i) {
            const ff::Attitude& a = data.attitude[i];
            ASSERT_NEAR(a.roll, bank, 1 * DEG) << "radius " << c.radius << " at t " << a.t;
            ASSERT_NEAR(a.pitch, 0, 0.1 * DEG);
            const double tangent = omega * (a.t - 1000) + (c.right ? MAP_PI / 2 : -MAP_PI / 2);
            ASSERT_LT(angleBetween(a.yaw, tangent), 1 * DEG) << "radius " << c.radius << " at t " << a.t;
            ASSERT_LE(std::fabs(a.yaw), MAP_PI);
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
        ff::Flight data;
        for (int i = 0; i <= 60; ++i) {
            const double d = c.speed * i;
            data.position.push_back(fixAt(i, d * std::sin(c.headingDeg * DEG), d * std::cos(c.headingDeg * DEG), c.climb * i));
        }
        fc::deriveAttitude(data);
        for (const ff::Attitude& a : data.attitude) {
            ASSERT_NEAR(a.pitch, std::atan(c.climb / c.speed), 0.1 * DEG) << c.headingDeg;
            ASSERT_NEAR(a.roll, 0, 0.1 * DEG) << c.headingDeg;
            ASSERT_LT(angleBetween(a.yaw, c.headingDeg * DEG), 0.1 * DEG) << c.headingDeg;
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
        ff::Flight data;
        for (int i = 0; i <= 300 * c.rateHz; ++i) {
            const double t = i / c.rateHz, d = 20.0 * t;
            data.position.push_back(fixAt(t, d * std::sin(c.headingDeg * DEG) + jitter(random),
                                          d * std::cos(c.headingDeg * DEG) + jitter(random), jitter(random)));
        }
        fc::deriveAttitude(data);
        for (const ff::Attitude& a : data.attitude) {
            ASSERT_LT(std::fabs(a.roll), 5 * DEG) << c.headingDeg << " at " << a.t;
            ASSERT_LT(std::fabs(a.pitch), 5 * DEG) << c.headingDeg << " at " << a.t;
            ASSERT_LT(angleBetween(a.yaw, c.headingDeg * DEG), 8 * DEG) << c.headingDeg << " at " << a.t;
        }
    }
}

TEST(DeriveAttitude, StandingStillKeepsTheLastHeading)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<double> jitter(-0.3, 0.3);
    ff::Flight data;
    for (int i = 0; i <= 20; ++i)
        data.position.push_back(fixAt(i, 15.0 * i, 0, 0));
    for (int i = 21; i <= 80; ++i)
        data.position.push_back(fixAt(i, 300 + jitter(random), jitter(random), 0));
    fc::deriveAttitude(data);
    for (const ff::Attitude& a : data.attitude) {
        ASSERT_LT(angleBetween(a.yaw, MAP_PI / 2), 5 * DEG) << a.t;
        if (a.t > 30) {
            ASSERT_EQ(a.roll, 0.0) << a.t;
        }
    }
}

TEST(DeriveAttitude, KeepsWhatTheFileRecorded)
{
    ff::Flight data;
    for (int i = 0; i <= 30; ++i)
        data.position.push_back(fixAt(i, 0, 20.0 * i, 2.0 * i));
    for (int i = 0; i <= 60; ++i)
        data.attitude.push_back({i * 0.5, 0.25, NAN, i % 2 ? NAN : 1.0});
    data.groundSpeed = {{0.0, 19.0}};
    fc::deriveAttitude(data);
    EXPECT_TRUE(data.attitudeDerived);
    ASSERT_EQ(data.attitude.size(), 61u);
    for (size_t i = 0; i < data.attitude.size(); ++i) {
        const ff::Attitude& a = data.attitude[i];
        EXPECT_EQ(a.roll, 0.25);
        EXPECT_NEAR(a.pitch, std::atan(2.0 / 20.0), 0.1 * DEG);
        EXPECT_NEAR(a.yaw, i % 2 ? 0.0 : 1.0, 0.1 * DEG);
    }
    EXPECT_EQ(data.groundSpeed.size(), 1u);

    ff::Flight recorded;
    recorded.position = data.position;
    recorded.attitude = {{0, 0.1, 0.2, 0.3}};
    fc::deriveAttitude(recorded);
    EXPECT_FALSE(recorded.attitudeDerived);
    EXPECT_EQ(recorded.attitude[0].yaw, 0.3);
    ASSERT_EQ(recorded.groundSpeed.size(), recorded.position.size());
    EXPECT_NEAR(recorded.groundSpeed[10].value, 20.0, 0.01);
}
