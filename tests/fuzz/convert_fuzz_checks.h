#pragma once
// What every converted input must satisfy, whatever the bytes: streams in
// time order after tidying, rows within the limit, on a rising clock from 0,
// positions finite and on the globe, angles in range.

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "log/units.h"
#include "tools/flight/flight.h"
#include "tools/convert/resample.h"
#include "tools/flight/flight_tidy.h"

inline void requireThat(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

inline void checkConversion(flightreplay::flight::Flight data, size_t inputSize)
{
    using namespace flightreplay::convert;
    flightreplay::flight::tidyStreams(data);
    // Every sample comes from a message of at least a few bytes.
    requireThat(data.position.size() + data.attitude.size() <= inputSize, "no more samples than input bytes");
    requireThat(data.notes.size() <= 4, "a handful of notes");
    if (data.position.empty())
        return;
    ResampleOptions options;
    options.maxRows = 300;
    options.rate = static_cast<double>(inputSize % 3) * 2.5;
    const LogRows rows = rowsOfFlight(data, options);
    requireThat(!rows.rows.empty() && rows.rows.size() <= 300, "1 to maxRows rows");
    requireThat(rows.rows[0].gps_time == 0.0, "time starts at 0");
    for (size_t i = 0; i < rows.rows.size(); ++i) {
        const LogRow& row = rows.rows[i];
        requireThat(std::isfinite(row.gps_time) && (i == 0 || row.gps_time >= rows.rows[i - 1].gps_time), "rising time");
        requireThat(std::fabs(row.gps_curlat) <= 90 * 60 && std::fabs(row.gps_curlon) <= 180 * 60 + 1e-6, "on the globe");
        requireThat(std::isfinite(row.gps_curalt), "finite altitude");
        requireThat(std::fabs(row.gps_curheading) <= MAP_PI + 1e-9 && std::fabs(row.pyro_curroll) <= MAP_PI + 1e-9,
                    "angles within pi");
    }
}
