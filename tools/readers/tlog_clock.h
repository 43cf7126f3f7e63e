#pragma once
// The time of one vehicle's packets in a ground station's log. The
// vehicle's boot clock (time_boot_ms) orders and spaces its samples, made
// continuous across a reboot of the autopilot by the station's time between
// the last packet before and the first after; the station's stamps place the
// packets that carry no boot time, give UTC, and show radio gaps. Stamps
// that jump against the boot clock, or run faster or slower than it (a
// replayed or re-recorded log), are not trusted for more than a second.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/flight/flight.h"

namespace flightreplay::readers {

// A silence of the vehicle longer than this is a lost link, seconds.
constexpr double LINK_LOSS_SECONDS = 2.0;

class VehicleClock {
public:
    // A packet of the vehicle that the station stamped at `stamp` (seconds
    // since 1970), carrying its boot time bootSeconds (NaN for a message
    // without one). Returns the packet's time on the flight's clock in
    // seconds; NaN before the first packet with a boot time.
    double packet(double stamp, double bootSeconds)
    {
        // Inline: every packet of the vehicle comes through here, most
        // without a boot time.
        if (heard_ && stamp - lastStamp_ > LINK_LOSS_SECONDS && timed_ && !gapOpen_) {
            gapOpen_ = true;
            gapFrom_ = lastT_;
        }
        heard_ = true;
        lastStamp_ = stamp;
        if (std::isfinite(bootSeconds))
            return booted(stamp, bootSeconds);
        if (!timed_)
            return NAN;
        const double lead = trusted_ ? TRUSTED_LEAD_SECONDS : UNTRUSTED_LEAD_SECONDS;
        const double t = lastBoot_ + std::clamp(stamp - lastBootStamp_, 0.0, lead);
        lastT_ = std::max(lastT_, t);
        return t;
    }
    // The vehicle's own UTC (SYSTEM_TIME) at a boot time, for when the
    // station's stamps are not to be trusted; ignored when unixSeconds is 0.
    void systemTime(double unixSeconds, double bootSeconds);

    // The radio gaps longer than LINK_LOSS_SECONDS: t at the vehicle's last
    // packet before, duration on the boot clock to its first after.
    const std::vector<flight::FlightEvent>& linkLosses() const { return losses_; }
    // Whether the stamps kept pace with the boot clock and never jumped.
    bool stampsTrusted() const;
    // UTC at flight time 0: from the stamps when trusted, else from the
    // vehicle's SYSTEM_TIME, else from the first stamps; NaN before any
    // packet with a boot time.
    double utcAtClockZero() const;
    // One line on what was not as expected (reboots, stamps not trusted and
    // where UTC came from); empty when all was.
    std::string note() const;

private:
    // How far after the last boot time a packet without one is placed by
    // the stamps: within a second while they are not trusted, up to this
    // when they are.
    static constexpr double UNTRUSTED_LEAD_SECONDS = 1.0;
    static constexpr double TRUSTED_LEAD_SECONDS = 600.0;

    double booted(double stamp, double bootSeconds);
    bool rateTrusted() const;

    bool timed_ = false;    // a packet with a boot time came
    double offset_ = 0.0;   // continuous boot time minus the packet's own
    double lastBoot_ = 0.0; // continuous, of the latest packet with a boot time
    double lastBootStamp_ = 0.0;
    bool heard_ = false;
    double lastStamp_ = 0.0;
    double lastT_ = 0.0;
    bool gapOpen_ = false;
    double gapFrom_ = 0.0;  // flight time of the last packet before the gap
    bool trusted_ = true;   // stampsTrusted() as of the last packet with a boot time
    double stampSpan_ = 0.0;
    double bootSpan_ = 0.0;
    int64_t jumps_ = 0;
    int64_t reboots_ = 0;
    double firstStampUtc_ = NAN;
    double systemUtc_ = NAN;
    std::vector<flight::FlightEvent> losses_;
};

} // namespace flightreplay::readers
