#include "tools/readers/ulog_plan.h"

#include <cmath>

#include "log/geography.h"
#include "tools/readers/ulog_format.h"

namespace flightreplay::readers {

using namespace flight;

void UlogPlan::cameraCapture(double t, double latDeg, double lonDeg, double altM, const double q[4], double seq)
{
    if (!hasPlace(latDeg, lonDeg))
        return;
    CameraShot shot{t, std::isfinite(seq) ? static_cast<int>(seq) : static_cast<int>(shots_.samples.size()), latDeg,
                    lonDeg, altM, NAN, NAN, NAN};
    anglesOfUlogQuaternion(q[0], q[1], q[2], q[3], shot.roll, shot.pitch, shot.yaw);
    shots_.add(shot);
}

void UlogPlan::missionItem(double t, const MissionItem& item)
{
    if (item.seq < 0)
        return;
    flown_[item.seq] = item;
    current(t, item.seq);
}

void UlogPlan::missionResult(double t, double currentSeq, double reachedSeq)
{
    if (std::isfinite(currentSeq))
        current(t, static_cast<int>(currentSeq));
    if (std::isfinite(reachedSeq) && reachedSeq >= 0.0 && static_cast<int>(reachedSeq) != reached_) {
        reached_ = static_cast<int>(reachedSeq);
        FlightEvent reached{t, FlightEventKind::missionReached, true};
        reached.item = reached_;
        events_.push_back(reached);
    }
}

// Both topics name the item flown: one event per change.
void UlogPlan::current(double t, int seq)
{
    if (seq == current_)
        return;
    current_ = seq;
    FlightEvent event{t, FlightEventKind::missionCurrent, true};
    event.item = seq;
    events_.push_back(event);
}

void UlogPlan::moveInto(Flight& out)
{
    out.shots = std::move(shots_.samples);
    // Without an item to draw, the progress through the mission means nothing.
    if (flown_.empty())
        return;
    for (const FlightEvent& event : events_)
        happenings_.event(event);
    for (const auto& entry : flown_)
        out.plan.mission.push_back(entry.second);
    out.notes.push_back("the mission as flown (navigator_mission_item): " + std::to_string(flown_.size())
                        + " items; items never flown are not in the log");
}

} // namespace flightreplay::readers
