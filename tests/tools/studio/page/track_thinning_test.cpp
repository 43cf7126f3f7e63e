#include <gtest/gtest.h>

#include "tools/studio/page/track_thinning.h"

using flightreplay::page::nearestTurn;
using flightreplay::page::thinSamples;
using flightreplay::page::ThinningChannel;

TEST(TrackThinning, KeepsWhatInterpolationCannotRebuild)
{
    const std::vector<double> times = {0, 1, 2, 3, 4};
    struct Case {
        const char* what;
        std::vector<double> values;
        double tolerance;
        std::vector<size_t> kept;
    };
    const std::vector<Case> cases = {
        {"a straight line: its ends", {0, 10, 20, 30, 40}, 0.1, {0, 4}},
        // From sample 0 to 4 the line passes 2 at 20: 20.3 is off by 0.3.
        {"a bump over the tolerance", {0, 10, 20.3, 30, 40}, 0.2, {0, 2, 4}},
        {"a bump within it", {0, 10, 20.3, 30, 40}, 0.5, {0, 4}},
        {"a corner", {0, 10, 20, 20, 20}, 0.1, {0, 2, 4}},
        {"one sample", {5}, 0.1, {0}},
    };
    for (const Case& c : cases) {
        const std::vector<double> t(times.begin(), times.begin() + static_cast<long>(c.values.size()));
        EXPECT_EQ(thinSamples(t, {ThinningChannel{c.values, c.tolerance, false}}), c.kept) << c.what;
    }
}

TEST(TrackThinning, EveryChannelMustFit)
{
    const std::vector<double> times = {0, 1, 2};
    const ThinningChannel straight{{0, 1, 2}, 0.01, false};
    const ThinningChannel bent{{0, 5, 0}, 0.01, false};
    EXPECT_EQ(thinSamples(times, {straight}), (std::vector<size_t>{0, 2}));
    EXPECT_EQ(thinSamples(times, {straight, bent}), (std::vector<size_t>{0, 1, 2}));
}

TEST(TrackThinning, UnevenTimesInterpolateByTime)
{
    // Sample 1 at a tenth of the way: on the line from 0 to 100 it is 10.
    EXPECT_EQ(thinSamples({0, 1, 10}, {ThinningChannel{{0, 10, 100}, 0.01, false}}), (std::vector<size_t>{0, 2}));
    EXPECT_EQ(thinSamples({0, 5, 10}, {ThinningChannel{{0, 10, 100}, 0.01, false}}), (std::vector<size_t>{0, 1, 2}));
}

TEST(TrackThinning, HeadingsTurnTheShortWay)
{
    // 350 -> 10 passes north: 0 halfway.
    const ThinningChannel heading{{350, 0, 10}, 0.01, true};
    EXPECT_EQ(thinSamples({0, 1, 2}, {heading}), (std::vector<size_t>{0, 2}));
    const ThinningChannel plain{{350, 0, 10}, 0.01, false};
    EXPECT_EQ(thinSamples({0, 1, 2}, {plain}), (std::vector<size_t>{0, 1, 2}));
    const std::vector<std::vector<double>> turns = {{350, 10, 370}, {10, 350, -10}, {0, 180, 180}, {0, 540, 180}};
    for (const auto& t : turns)
        EXPECT_DOUBLE_EQ(nearestTurn(t[0], t[1]), t[2]) << t[0] << " " << t[1];
}

TEST(TrackThinning, NoGapLongerThanAsked)
{
    std::vector<double> times;
    std::vector<double> values;
    for (int i = 0; i <= 10; ++i) {
        times.push_back(i);
        values.push_back(2.0 * i);
    }
    EXPECT_EQ(thinSamples(times, {ThinningChannel{values, 0.1, false}}, 4), (std::vector<size_t>{0, 4, 8, 10}));
}
