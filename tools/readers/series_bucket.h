#pragma once
// Where a binary reader collects a topic's samples: every series kept to at
// most STREAM_CAP samples however long the log, so that memory stays bounded
// by the output rather than growing with the file. A series that fills up
// drops every other sample and from then on keeps every second (fourth, ...)
// one arriving, evenly in count and so, for a steady rate, in time.

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "tools/flight/field_series.h"
#include "tools/flight/flight.h"

namespace flightreplay::readers {

// Well above the replay's 10000 rows: a two-hour log at 25 Hz keeps every
// sample, longer ones a sample every few tenths of a second.
constexpr size_t STREAM_CAP = size_t(1) << 17;

template <typename T>
class ThinnedSeries {
public:
    ThinnedSeries() = default;
    // A series that went on as another, thinned alike, that had taken
    // arrived samples at every stride-th one and kept these.
    ThinnedSeries(std::vector<T> kept, uint64_t arrived, uint64_t stride) : samples(std::move(kept)), arrived_(arrived), stride_(stride) {}
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

// Rows of the fields of a message kept as it carried them (SampleRows),
// thinned as a ThinnedSeries of each field would be while every one of
// them is finite.
class ThinnedRows {
public:
    explicit ThinnedRows(size_t width) { rows.width = width; }
    // Counts a row arriving at t: where its fields' bytes go (its time
    // written), or nullptr where it is not kept.
    uint8_t* add(double t)
    {
        if (!placeFor(arrived_++))
            return nullptr;
        const size_t at = rows.bytes.size();
        rows.bytes.resize(at + rows.width);
        std::memcpy(rows.bytes.data() + at, &t, sizeof t);
        return rows.bytes.data() + at;
    }
    // Rows arrived so far, and every how many one is kept.
    uint64_t arrived() const { return arrived_; }
    uint64_t stride() const { return stride_; }

    flight::SampleRows rows;

private:
    // ThinnedSeries::placeFor over the rows.
    bool placeFor(uint64_t index)
    {
        if ((index & (stride_ - 1)) != 0)
            return false;
        const size_t width = rows.width;
        if (rows.size() >= STREAM_CAP) {
            size_t kept = 0;
            for (size_t i = 0; i < rows.size(); i += 2)
                std::memmove(rows.bytes.data() + width * kept++, rows.bytes.data() + width * i, width);
            rows.bytes.resize(width * kept);
            stride_ *= 2;
            if ((index & (stride_ - 1)) != 0)
                return false;
        }
        if (rows.size() == STREAM_CAP / 8)
            rows.bytes.reserve(width * STREAM_CAP);
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

// The samples of each series, in order, moved out.
inline std::vector<flight::Series> samplesOf(std::vector<ThinnedSeries<flight::Sample>>& series)
{
    std::vector<flight::Series> out;
    out.reserve(series.size());
    for (ThinnedSeries<flight::Sample>& s : series)
        out.push_back(std::move(s.samples));
    return out;
}

} // namespace flightreplay::readers
