#pragma once
// Where a binary reader collects a topic's samples: every series kept to at
// most STREAM_CAP samples however long the log, so that memory stays bounded
// by the output rather than growing with the file. A series that fills up
// drops every other sample and from then on keeps every second (fourth, ...)
// one arriving, evenly in count and so, for a steady rate, in time.

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tools/flight/flight.h"

namespace flightreplay::readers {

// Well above the replay's 10000 rows: a two-hour log at 25 Hz keeps every
// sample, longer ones a sample every few tenths of a second.
constexpr size_t STREAM_CAP = size_t(1) << 17;

template <typename T>
class ThinnedSeries {
public:
    void add(const T& sample)
    {
        if (placeFor(arrived_++))
            samples.push_back(sample);
    }
    // Whether the next sample added would be kept: a reader may skip working
    // out one that would not, and count it with pass() instead of add().
    bool keepsNext() const
    {
        return (arrived_ & (stride_ - 1)) == 0 && (samples.size() < STREAM_CAP || (arrived_ & (2 * stride_ - 1)) == 0);
    }
    // Counts a sample that keepsNext() said would be dropped.
    void pass() { placeFor(arrived_++); }
    bool empty() const { return samples.empty(); }

    std::vector<T> samples;

private:
    // Whether the sample arriving as number index is kept, thinning a full
    // stream first.
    bool placeFor(uint64_t index)
    {
        // The stride is a power of two: a mask instead of a division per sample.
        if ((index & (stride_ - 1)) != 0)
            return false;
        if (samples.size() >= STREAM_CAP) {
            size_t kept = 0;
            for (size_t i = 0; i < samples.size(); i += 2)
                samples[kept++] = samples[i];
            samples.resize(kept);
            stride_ *= 2;
            if ((index & (stride_ - 1)) != 0)
                return false;
        }
        // A stream that grows long gets its whole room at once: growing by
        // doubling would touch and copy twice the memory it ends up using.
        if (samples.size() == STREAM_CAP / 8)
            samples.reserve(STREAM_CAP);
        return true;
    }

    uint64_t arrived_ = 0;
    uint64_t stride_ = 1;
};

struct SeriesBucket {
    ThinnedSeries<flight::Fix> position;
    ThinnedSeries<flight::Attitude> attitude;
    ThinnedSeries<flight::Sample> groundSpeed, satellites, fixMode, voltage, current, mah, baroAlt, airspeed;
    std::array<ThinnedSeries<flight::Sample>, 5> rcIn;
    std::array<ThinnedSeries<flight::Sample>, 4> servoOut;
    double utcAtClockZero = NAN;
};

// Adds a sample when the value is finite.
inline void addValue(ThinnedSeries<flight::Sample>& stream, double t, double value)
{
    if (std::isfinite(value))
        stream.add({t, value});
}

} // namespace flightreplay::readers
