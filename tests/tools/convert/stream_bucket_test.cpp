#include <gtest/gtest.h>

#include "tools/convert/stream_bucket.h"

using namespace flightreplay::convert;

TEST(ThinnedStream, BoundedAndEvenlySpacedHoweverLong)
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
        ThinnedStream<Sample> stream;
        for (uint64_t i = 0; i < c.arriving; ++i)
            stream.add({static_cast<double>(i), 0.0});
        ASSERT_EQ(stream.samples.size(), c.kept) << c.arriving;
        for (size_t i = 0; i < stream.samples.size(); ++i)
            ASSERT_EQ(stream.samples[i].t, static_cast<double>(i * c.spacing)) << c.arriving << " " << i;
    }
}
