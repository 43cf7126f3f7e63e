#include <gtest/gtest.h>

#include "tools/readers/series_bucket.h"

using namespace flightreplay::readers;
using namespace flightreplay::flight;

TEST(ThinnedSeries, BoundedAndEvenlySpacedHoweverLong)
{
    const struct {
        uint64_t arriving;
        size_t kept;
        uint64_t spacing; // between kept samples, in arrivals
    } cases[] = {
        {10, 10, 1},
        {STREAM_CAP, STREAM_CAP, 1},
        {STREAM_CAP + 1, STREAM_CAP / 2 + 1, 2},
        {4 * STREAM_CAP + 3, STREAM_CAP / 2 + 1, 8},
    };
    for (const auto& c : cases) {
        ThinnedSeries<Sample> stream;
        for (uint64_t i = 0; i < c.arriving; ++i)
            stream.add({static_cast<double>(i), 0.0});
        ASSERT_EQ(stream.samples.size(), c.kept) << c.arriving;
        for (size_t i = 0; i < stream.samples.size(); ++i)
            ASSERT_EQ(stream.samples[i].t, static_cast<double>(i * c.spacing)) << c.arriving << " " << i;
    }
}

TEST(ThinnedSeries, PassingWhatWouldBeDroppedKeepsTheSameSamples)
{
    ThinnedSeries<Sample> added, passed;
    uint64_t skipped = 0;
    for (uint64_t i = 0; i < 5 * STREAM_CAP + 7; ++i) {
        added.add({static_cast<double>(i), 0.0});
        if (passed.keepsNext()) {
            passed.add({static_cast<double>(i), 0.0});
            ASSERT_EQ(passed.samples.back().t, static_cast<double>(i));
        } else {
            passed.pass();
            ++skipped;
        }
    }
    EXPECT_GT(skipped, 2 * STREAM_CAP);
    ASSERT_EQ(passed.samples.size(), added.samples.size());
    for (size_t i = 0; i < added.samples.size(); ++i)
        ASSERT_EQ(passed.samples[i].t, added.samples[i].t) << i;
}
