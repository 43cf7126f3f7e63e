#include "tools/readers/dataflash_plan.h"

#include <cmath>

#include "log/units.h"
#include "tools/flight/loaded_mission.h"
#include "tools/flight/mission_commands.h"

namespace flightreplay::readers {

using namespace flight;

namespace {

constexpr int ORIGIN_IS_HOME = 1;

bool sameItem(const MissionItem& a, const MissionItem& b)
{
    return a.seq == b.seq && a.command == b.command && a.frame == b.frame && a.param == b.param && a.latDeg == b.latDeg
           && a.lonDeg == b.lonDeg && a.alt == b.alt;
}

bool sameRally(const RallyPoint& a, const RallyPoint& b)
{
    return a.latDeg == b.latDeg && a.lonDeg == b.lonDeg && a.altM == b.altM;
}

int whole(double value)
{
    return std::isfinite(value) && std::fabs(value) < 1e9 ? static_cast<int>(std::lround(value)) : -1;
}

double finiteOr(double value, double otherwise)
{
    return std::isfinite(value) ? value : otherwise;
}

std::string incompleteNote(const char* what, int lists, int filled, int total)
{
    if (lists == 1)
        return std::string("an incomplete ") + what + " list (" + std::to_string(filled) + " of " + std::to_string(total)
               + " items) left out";
    return std::to_string(lists) + " incomplete " + what + " lists left out";
}

} // namespace

std::optional<PlanMessage> planMessageOf(const std::string& name)
{
    static const std::pair<const char*, PlanMessage> names[] = {
        {"CMD", PlanMessage::cmd},   {"RALY", PlanMessage::raly}, {"ORGN", PlanMessage::orgn},
        {"TERR", PlanMessage::terr}, {"CAM", PlanMessage::cam},   {"TRIG", PlanMessage::trig},
    };
    for (const auto& [text, kind] : names)
        if (name == text)
            return kind;
    return std::nullopt;
}

DataflashPlan::DataflashPlan() : mission_(sameItem), rally_(sameRally) {}

void DataflashPlan::add(PlanMessage kind, double t, const ColumnValue& value)
{
    switch (kind) {
    case PlanMessage::cmd: {
        MissionItem item;
        item.seq = whole(value("CNum"));
        item.command = whole(value("CId"));
        item.param = {finiteOr(value("Prm1"), 0), finiteOr(value("Prm2"), 0), finiteOr(value("Prm3"), 0),
                      finiteOr(value("Prm4"), 0)};
        item.latDeg = finiteOr(value("Lat"), 0);
        item.lonDeg = finiteOr(value("Lng"), 0);
        item.alt = finiteOr(value("Alt"), 0);
        const double frame = value("Frame");
        // Logs from before the frame was logged keep altitudes above home,
        // but for home itself.
        frameless_ = frameless_ || std::isnan(frame);
        item.frame = std::isfinite(frame) ? whole(frame) : item.seq == 0 ? 0 : 3;
        mission_.add(whole(value("CTot")), item.seq, item);
        break;
    }
    case PlanMessage::raly:
        rally_.add(whole(value("Tot")), whole(value("Seq")), {value("Lat"), value("Lng"), value("Alt")});
        break;
    case PlanMessage::orgn:
        if (whole(value("Type")) == ORIGIN_IS_HOME && std::isfinite(value("Lat")) && std::isfinite(value("Lng")))
            home_ = {t, value("Lat"), value("Lng"), value("Alt")};
        break;
    case PlanMessage::terr:
        terrain_.add({t, whole(value("Status")), value("Lat"), value("Lng"), value("TerrH"), value("CHeight")});
        break;
    case PlanMessage::cam:
    case PlanMessage::trig: shot(kind, t, value); break;
    }
}

void DataflashPlan::shot(PlanMessage kind, double t, const ColumnValue& value)
{
    ThinnedSeries<CameraShot>& shots = kind == PlanMessage::cam ? cam_ : trig_;
    const double image = value("Img");
    CameraShot shot;
    shot.t = t;
    shot.index = std::isfinite(image) ? whole(image) : static_cast<int>(shots.samples.size()) + 1;
    shot.latDeg = value("Lat");
    shot.lonDeg = value("Lng");
    shot.altM = value("Alt");
    shot.roll = value("Roll") * RADIANS_PER_DEGREE;
    shot.pitch = value("Pitch") * RADIANS_PER_DEGREE;
    shot.yaw = value("Yaw") * RADIANS_PER_DEGREE;
    if (std::isfinite(shot.latDeg) && std::isfinite(shot.lonDeg) && (shot.latDeg != 0.0 || shot.lonDeg != 0.0))
        shots.add(shot);
}

void DataflashPlan::moveInto(Flight& out)
{
    mission_.finish();
    rally_.finish();
    Plan& plan = out.plan;
    if (const auto& items = mission_.kept()) {
        // Fence and rally items that come in the list belong to their own lists.
        std::vector<MissionItem> fence;
        for (const MissionItem& item : *items) {
            const CommandKind kind = commandKind(item.command);
            if (kind == CommandKind::fence)
                fence.push_back(item);
            else if (kind == CommandKind::rally)
                plan.rally.push_back({item.latDeg, item.lonDeg, item.alt});
            else
                plan.mission.push_back(item);
        }
        plan.fence = fenceRegionsOf(fence);
        // ArduPilot's lists start with home.
        if (frameless_ && holdsMission(plan.mission, !plan.mission.empty() && plan.mission.front().seq == 0))
            out.notes.push_back("the mission's items carry no frame: altitudes taken as above home");
    }
    if (mission_.incomplete() > 0)
        out.notes.push_back(incompleteNote("mission", mission_.incomplete(), mission_.lastIncompleteFilled(),
                                           mission_.lastIncompleteTotal()));
    if (const auto& points = rally_.kept())
        plan.rally = *points;
    if (rally_.incomplete() > 0)
        out.notes.push_back(incompleteNote("rally point", rally_.incomplete(), rally_.lastIncompleteFilled(),
                                           rally_.lastIncompleteTotal()));
    plan.home = home_;
    out.terrain = std::move(terrain_.samples);
    out.shots = std::move(cam_.empty() ? trig_.samples : cam_.samples);
}

} // namespace flightreplay::readers
