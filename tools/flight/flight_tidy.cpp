#include "tools/flight/flight_tidy.h"

#include <algorithm>

namespace flightreplay::flight {

namespace {

template <typename T>
void tidy(std::vector<T>& samples)
{
    samples.erase(std::remove_if(samples.begin(), samples.end(), [](const T& s) { return !std::isfinite(s.t); }),
                  samples.end());
    const auto earlier = [](const T& a, const T& b) { return a.t < b.t; };
    if (!std::is_sorted(samples.begin(), samples.end(), earlier))
        std::stable_sort(samples.begin(), samples.end(), earlier);
}

} // namespace

void tidyStreams(Flight& data)
{
    tidy(data.position);
    tidy(data.attitude);
    for (Series* series : {&data.groundSpeed, &data.satellites, &data.fixMode, &data.voltage, &data.current, &data.mah,
                           &data.baroAlt, &data.airspeed, &data.windSpeed, &data.windDirection})
        tidy(*series);
    for (Series& series : data.rcIn)
        tidy(series);
    for (Series& series : data.servoOut)
        tidy(series);
    tidy(data.modes);
    tidy(data.messages);
    tidy(data.events);
    tidy(data.terrain);
    tidy(data.shots);
}

} // namespace flightreplay::flight
