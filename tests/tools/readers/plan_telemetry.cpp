#include "plan_telemetry.h"

#include <cmath>

#include "tlog_writer.h"

namespace reader_test {

using flightreplay::flight::MissionItem;

namespace {

constexpr uint64_t START_US = 1781431200000000ull; // 2026-06-14 10:00:00 UTC
constexpr uint8_t VEHICLE = 1;
constexpr uint8_t STATION = 255;

void upload(TlogWriter& w, double t, const std::vector<MissionItem>& items, size_t sent, size_t count, uint8_t type)
{
    const auto at = [t](size_t i) { return START_US + static_cast<uint64_t>(std::llround((t + 0.01 * static_cast<double>(i)) * 1e6)); };
    put(w, at(0), STATION, 190, mav::missionCount(static_cast<uint16_t>(count), VEHICLE, type));
    for (size_t i = 0; i < sent; ++i) {
        const MissionItem& m = items[i];
        put(w, at(i + 1), STATION, 190,
            mav::missionItemInt(static_cast<uint16_t>(i), static_cast<uint16_t>(m.command), static_cast<uint8_t>(m.frame),
                                m.latDeg, m.lonDeg, static_cast<float>(m.alt), VEHICLE, type,
                                static_cast<float>(m.param[0]), static_cast<float>(m.param[1]),
                                static_cast<float>(m.param[2]), static_cast<float>(m.param[3])));
    }
}

} // namespace

PlanFlightLog writePlanTelemetry(const PlanFlight& plan)
{
    TlogWriter w;
    const auto stamp = [](double t) { return START_US + static_cast<uint64_t>(std::llround(t * 1e6)); };
    const auto send = [&](double t, const mav::Payload& p) { put(w, stamp(t), VEHICLE, 1, p); };

    std::vector<MissionItem> rally;
    for (const auto& point : plan.rally) {
        MissionItem item;
        item.command = 5100;
        item.frame = 3;
        item.latDeg = point.latDeg;
        item.lonDeg = point.lonDeg;
        item.alt = point.altM;
        rally.push_back(item);
    }
    if (plan.sendEarlierLists)
        upload(w, 5.5, plan.mission, 4, plan.mission.size() + 1, 0);
    upload(w, 6.0, plan.mission, plan.mission.size(), plan.mission.size(), 0);
    upload(w, 7.0, plan.fence, plan.fence.size(), plan.fence.size(), 1);
    upload(w, 7.5, rally, rally.size(), rally.size(), 2);
    send(8.0, mav::homePosition(plan.homeLat, plan.homeLon, plan.homeAlt));

    PlanFlightLog out;
    int current = -1;
    for (const PlanSample& f : flownPlan(plan, out)) {
        const auto boot = static_cast<uint32_t>(std::llround(f.t * 1000.0));
        if (std::fmod(f.t + 1e-9, 1.0) < 0.1)
            send(f.t, mav::heartbeat(10, 1, 3, 128 | 1));
        send(f.t, mav::globalPositionInt(boot, f.latDeg, f.lonDeg, f.alt, f.alt - plan.homeAlt, f.course));
        send(f.t, mav::gpsRawInt(static_cast<uint64_t>(boot) * 1000, f.latDeg, f.lonDeg, f.alt, plan.speed, 3, 12));
        if (f.target != current) {
            if (current >= 0)
                send(f.t, mav::missionItemReached(static_cast<uint16_t>(current)));
            current = f.target;
            send(f.t, mav::missionCurrent(static_cast<uint16_t>(current)));
        }
        if (f.report)
            send(f.t, mav::terrainReport(f.latDeg, f.lonDeg, static_cast<float>(f.terrain),
                                         static_cast<float>(f.waiting ? 0.0 : f.alt - f.terrain), f.waiting ? 4 : 0, 12));
        if (f.shot > 0)
            send(f.t, mav::cameraFeedback(f.latDeg, f.lonDeg, static_cast<float>(f.alt), 0, -2, static_cast<float>(f.course),
                                          static_cast<uint16_t>(f.shot)));
    }
    out.bytes = w.bytes();
    return out;
}

std::string arduPlaneTelemetryWithoutMission(uint16_t count)
{
    TlogWriter w;
    const uint64_t start = START_US;
    put(w, start, 1, 1, mav::heartbeat(0, 1, 3, 0x51));
    put(w, start + 1000, 1, 1, mav::missionCount(count, 255, 0));
    for (uint16_t seq = 0; seq < count; ++seq)
        put(w, start + 2000 + seq, 1, 1, mav::missionItemInt(seq, seq == 0 ? 16 : 0, 0, 0.0, 0.0, 0.0f, 255, 0));
    for (int k = 0; k < 20; ++k) {
        const uint64_t at = start + 100000 + 200000ull * static_cast<uint64_t>(k);
        put(w, at, 1, 1, mav::globalPositionInt(1000 + 200 * static_cast<uint32_t>(k), 47.0 + 1e-5 * k, 9.0, 400.0, 0.0, 0.0));
        if (k % 5 == 0) {
            put(w, at + 10, 1, 1, mav::heartbeat(0, 1, 3, 0x51));
            put(w, at + 20, 1, 1, mav::missionCurrent(0));
        }
    }
    return w.bytes();
}

} // namespace reader_test
