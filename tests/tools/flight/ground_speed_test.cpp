#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "tools/flight/ground_speed.h"

using namespace flightreplay::flight;

namespace {

// A degree of latitude on the mean sphere: 2π × 6371008.8 m / 360.
constexpr double METRES_PER_DEGREE = 111195.080;

// Fixes every `step` seconds from t = 100 s, at `east(t)`, `north(t)` metres
// from 47° N 8° E.
std::vector<Fix> track(double seconds, double step, const std::function<double(double)>& east,
                       const std::function<double(double)>& north = [](double) { return 0.0; })
{
    std::vector<Fix> fixes;
    const double eastDegree = METRES_PER_DEGREE * std::cos(47.0 * 3.141592653589793 / 180.0);
    for (int i = 0; i * step <= seconds + 1e-9; ++i) {
        const double s = i * step;
        fixes.push_back({100.0 + s, 47.0 + north(s) / METRES_PER_DEGREE, 8.0 + east(s) / eastDegree, 400.0});
    }
    return fixes;
}

} // namespace

TEST(GroundSpeed, ChordOfASecondAcrossEachFix)
{
    const struct Case {
        const char* name;
        std::vector<Fix> fixes;
        double east, north; // m/s expected at every fix
        double tolerance;
    } cases[] = {
        {"10 m/s east, 5 fixes a second", track(10, 0.2, [](double s) { return 10.0 * s; }), 10.0, 0.0, 1e-3},
        {"4 m/s south-west, a fix a second",
         track(10, 1.0, [](double s) { return -4.0 * s * std::sqrt(0.5); }, [](double s) { return -4.0 * s * std::sqrt(0.5); }),
         -4.0 * std::sqrt(0.5), -4.0 * std::sqrt(0.5), 1e-3},
        // ±0.5 m of jitter north at 10 fixes a second: fix to fix that is
        // 10 m/s; over the chord of a second 0, of half a second at the ends 2 m/s.
        {"standing with jitter", track(10, 0.1, [](double) { return 0.0; },
                                       [](double s) { return std::lround(s * 10.0) % 2 ? 0.5 : -0.5; }),
         0.0, 0.0, 2.001},
    };
    for (const Case& c : cases) {
        const std::vector<GroundVelocity> v = trackVelocities(c.fixes);
        ASSERT_EQ(v.size(), c.fixes.size()) << c.name;
        for (size_t i = 0; i < v.size(); ++i) {
            EXPECT_NEAR(v[i].east, c.east, c.tolerance) << c.name << " fix " << i;
            EXPECT_NEAR(v[i].north, c.north, c.tolerance) << c.name << " fix " << i;
        }
    }
    // Across the antimeridian: 0.001° of longitude a second on the equator
    // is 111.195 m/s east.
    const std::vector<Fix> dateLine = {{0, 0.0, 179.999, 0}, {1, 0.0, -180.0, 0}, {2, 0.0, -179.999, 0}};
    for (const GroundVelocity& v : trackVelocities(dateLine))
        EXPECT_NEAR(v.east, METRES_PER_DEGREE / 1000.0, 1e-3);
    // Two fixes at one time span no time: no speed rather than infinity.
    const std::vector<Fix> sameTime = {{5, 47.0, 8.0, 0}, {5, 47.001, 8.0, 0}};
    for (const GroundVelocity& v : trackVelocities(sameTime))
        EXPECT_EQ(std::hypot(v.east, v.north), 0.0);
}

TEST(GroundSpeed, RecordedWhereItWasRecordedElseAlongTheTrack)
{
    Flight flight;
    flight.position = track(20, 1.0, [](double s) { return 8.0 * s; });
    // Recorded from 105 s to 110 s only, rising from 20 to 30 m/s.
    flight.groundSpeed = {{105.0, 20.0}, {110.0, 30.0}};
    const std::vector<double> speeds = groundSpeedsAtFixes(flight);
    ASSERT_EQ(speeds.size(), 21u);
    const struct {
        size_t fix;
        double speed;
    } cases[] = {{0, 8.0}, {4, 8.0}, {5, 20.0}, {7, 24.0}, {10, 30.0}, {11, 8.0}, {20, 8.0}};
    for (const auto& c : cases)
        EXPECT_NEAR(speeds[c.fix], c.speed, 1e-3) << "fix " << c.fix;
}
