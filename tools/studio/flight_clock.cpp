#include "tools/studio/flight_clock.h"

#include <algorithm>
#include <cmath>

namespace flightreplay::studio {

namespace {

constexpr double SPEEDS[] = {0.25, 0.5, 1.0, 2.0, 4.0, 8.0, 16.0, 32.0, 64.0};
constexpr int SPEED_COUNT = static_cast<int>(sizeof(SPEEDS) / sizeof(SPEEDS[0]));
constexpr int NORMAL_SPEED = 2;

} // namespace

FlightClock::FlightClock(double duration)
    : duration_(std::isfinite(duration) && duration > 0.0 ? duration : 0.0), speedStep_(NORMAL_SPEED)
{
}

void FlightClock::setDuration(double duration)
{
    duration_ = std::isfinite(duration) && duration > 0.0 ? duration : 0.0;
    time_ = std::min(time_, duration_);
}

void FlightClock::advance(double realSeconds)
{
    if (paused_ || !(realSeconds > 0.0))
        return;
    const double next = time_ + realSeconds * speed();
    if (next < duration_) {
        time_ = next;
    } else if (loop_ && duration_ > 0.0) {
        time_ = std::fmod(next, duration_);
    } else {
        time_ = duration_;
        paused_ = true;
    }
}

void FlightClock::seek(double seconds)
{
    if (std::isnan(seconds))
        return;
    time_ = std::clamp(seconds, 0.0, duration_);
}

void FlightClock::seekBy(double seconds)
{
    seek(time_ + seconds);
}

void FlightClock::setPaused(bool paused)
{
    // Playing from the very end of a flight without loop starts it again.
    if (!paused && !loop_ && time_ >= duration_)
        time_ = 0.0;
    paused_ = paused;
}

double FlightClock::speed() const
{
    return SPEEDS[speedStep_];
}

void FlightClock::faster()
{
    speedStep_ = std::min(speedStep_ + 1, SPEED_COUNT - 1);
}

void FlightClock::slower()
{
    speedStep_ = std::max(speedStep_ - 1, 0);
}

} // namespace flightreplay::studio
