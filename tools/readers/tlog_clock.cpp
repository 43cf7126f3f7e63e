#include "tools/readers/tlog_clock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/readers/flight_happenings.h"

namespace flightreplay::readers {

namespace {

// Packets of one vehicle come out of order by a few milliseconds; a boot
// time further back than this is a reboot.
constexpr double REBOOT_BACK_SECONDS = 2.0;
// The radio and the station queue packets for well under a second: a larger
// disagreement between the stamps and the boot clock is the station's clock
// jumping.
constexpr double JUMP_SECONDS = 3.0;
constexpr double RATE_TOLERANCE = 0.02;
constexpr double RATE_SPAN_SECONDS = 10.0;
constexpr double DAY_SECONDS = 86400.0;

} // namespace

bool VehicleClock::rateTrusted() const
{
    return bootSpan_ < RATE_SPAN_SECONDS || std::fabs(stampSpan_ / bootSpan_ - 1.0) <= RATE_TOLERANCE;
}

bool VehicleClock::stampsTrusted() const
{
    return jumps_ == 0 && rateTrusted();
}

double VehicleClock::booted(double stamp, double bootSeconds)
{
    double t;
    if (!timed_) {
        timed_ = true;
        t = bootSeconds;
        firstStampUtc_ = stamp - t;
        lastBoot_ = t;
        lastBootStamp_ = stamp;
    } else {
        t = bootSeconds + offset_;
        const double stampStep = stamp - lastBootStamp_;
        if (t < lastBoot_ - REBOOT_BACK_SECONDS) {
            // The autopilot restarted: its clock carries on from where the
            // last one stopped, by the station's time in between.
            const double between = stampStep > 0.0 && stampStep < DAY_SECONDS ? stampStep : 0.0;
            offset_ = lastBoot_ + between - bootSeconds;
            t = bootSeconds + offset_;
            ++reboots_;
        } else if (t > lastBoot_) {
            const double bootStep = t - lastBoot_;
            if (std::fabs(stampStep - bootStep) > JUMP_SECONDS) {
                ++jumps_;
            } else {
                stampSpan_ += stampStep;
                bootSpan_ += bootStep;
            }
        }
        if (gapOpen_) {
            gapOpen_ = false;
            if (t - gapFrom_ > LINK_LOSS_SECONDS && losses_.size() < HAPPENINGS_CAP)
                losses_.push_back({gapFrom_, flight::FlightEventKind::linkLost, true, t - gapFrom_});
        }
        if (t >= lastBoot_) {
            lastBoot_ = t;
            lastBootStamp_ = stamp;
        }
        trusted_ = stampsTrusted();
    }
    lastT_ = std::max(lastT_, t);
    return t;
}

void VehicleClock::systemTime(double unixSeconds, double bootSeconds)
{
    if (unixSeconds > 0.0 && std::isnan(systemUtc_) && timed_ && std::isfinite(bootSeconds))
        systemUtc_ = unixSeconds - (bootSeconds + offset_);
}

double VehicleClock::utcAtClockZero() const
{
    if (!stampsTrusted() && std::isfinite(systemUtc_))
        return systemUtc_;
    return firstStampUtc_;
}

std::string VehicleClock::note() const
{
    std::string text;
    if (reboots_ > 0)
        text = "the autopilot restarted " + std::to_string(reboots_) + (reboots_ == 1 ? " time" : " times")
               + ": its boot clock is carried on by the station's time in between";
    if (stampsTrusted())
        return text;
    if (!text.empty())
        text += "; ";
    char rate[160] = "";
    if (jumps_ > 0)
        std::snprintf(rate, sizeof rate, "the station's clock jumped %lld %s against the vehicle's boot clock",
                      static_cast<long long>(jumps_), jumps_ == 1 ? "time" : "times");
    else
        std::snprintf(rate, sizeof rate,
                      "the station's stamps ran at %.3f times the vehicle's boot clock (a replayed or re-recorded log?)",
                      stampSpan_ / bootSpan_);
    text += rate;
    text += ": timed by the boot clock, UTC from ";
    text += std::isfinite(systemUtc_) ? "the vehicle's SYSTEM_TIME" : "the station's first stamps";
    return text;
}

} // namespace flightreplay::readers
