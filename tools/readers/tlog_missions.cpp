#include "tools/readers/tlog_missions.h"

#include <cmath>

#include "log/geography.h"
#include "tools/flight/mission_commands.h"

namespace flightreplay::readers {

using namespace flight;

namespace {

constexpr int RALLY_POINT_COMMAND = mav_cmd::RALLY_POINT;
constexpr size_t GIVEN_UP_KEPT = 64;

const char* kindName(int kind)
{
    static const char* names[] = {"mission", "fence", "rally", "fence point", "rally point"};
    return kind >= 0 && kind < 5 ? names[kind] : "mission";
}

} // namespace

void MissionTransfers::open(const Key& key, int count)
{
    const auto was = open_.find(key);
    if (was != open_.end()) {
        // The same count again is a retry of a request, not a new list.
        if (was->second.count == count && (std::get<2>(key) >= fencePoints || was->second.items.empty()))
            return;
        if (givenUp_.size() < GIVEN_UP_KEPT) {
            was->second.items.clear();
            was->second.order = order_++;
            givenUp_.push_back(std::move(was->second));
        }
        open_.erase(was);
    }
    Transfer transfer;
    std::tie(transfer.sender, transfer.target, transfer.kind) = key;
    transfer.count = count;
    transfer.order = order_++;
    if (count == 0)
        complete_[key] = std::move(transfer);
    else
        open_[key] = std::move(transfer);
}

void MissionTransfers::add(const Key& key, const MissionItem& item)
{
    const auto found = open_.find(key);
    if (found == open_.end() || item.seq < 0 || item.seq >= found->second.count)
        return;
    Transfer& transfer = found->second;
    transfer.items[item.seq] = item;
    if (transfer.items.size() == static_cast<size_t>(transfer.count)) {
        transfer.order = order_++;
        complete_[key] = std::move(transfer);
        open_.erase(found);
    }
}

void MissionTransfers::packet(int sender, const mavlink::Message& message, const uint8_t* payload)
{
    using namespace mavlink;
    const auto v = [&](const char* name, size_t index = 0) { return valueOf(payload, fieldOf(message, name), index); };
    switch (message.id) {
    case MISSION_COUNT: {
        const int kind = static_cast<int>(v("mission_type"));
        if (kind <= rally)
            open({sender, static_cast<int>(v("target_system")), kind}, static_cast<int>(v("count")));
        break;
    }
    case MISSION_ITEM:
    case MISSION_ITEM_INT: {
        const int kind = static_cast<int>(v("mission_type"));
        if (kind > rally)
            break;
        MissionItem item;
        item.seq = static_cast<int>(v("seq"));
        item.command = static_cast<int>(v("command"));
        item.frame = static_cast<int>(v("frame"));
        for (size_t i = 0; i < item.param.size(); ++i)
            item.param[i] = v("param1", i);
        const double scale = message.id == MISSION_ITEM_INT ? 1e-7 : 1.0;
        item.latDeg = v("x") * scale;
        item.lonDeg = v("y") * scale;
        item.alt = v("z");
        item.autocontinue = v("autocontinue") != 0.0;
        add({sender, static_cast<int>(v("target_system")), kind}, item);
        break;
    }
    case FENCE_POINT:
    case RALLY_POINT: {
        const bool fencePoint = message.id == FENCE_POINT;
        const Key key{sender, static_cast<int>(v("target_system")), fencePoint ? fencePoints : rallyPoints};
        open(key, static_cast<int>(v("count")));
        MissionItem item;
        item.seq = static_cast<int>(v("idx"));
        item.latDeg = fencePoint ? v("lat") : v("lat") * 1e-7;
        item.lonDeg = fencePoint ? v("lng") : v("lng") * 1e-7;
        item.alt = fencePoint ? 0.0 : v("alt");
        add(key, item);
        break;
    }
    default: break;
    }
}

bool MissionTransfers::involves(const Transfer& transfer, int vehicle) const
{
    return transfer.sender == vehicle || transfer.target == vehicle || transfer.target == 0;
}

void MissionTransfers::fillPlan(int vehicle, Plan& plan, std::vector<std::string>& notes) const
{
    const Transfer* latest[KIND_COUNT] = {};
    for (const auto& [key, transfer] : complete_)
        if (involves(transfer, vehicle) && (!latest[transfer.kind] || transfer.order > latest[transfer.kind]->order))
            latest[transfer.kind] = &transfer;
    const auto itemsOf = [](const Transfer* transfer) {
        std::vector<MissionItem> items;
        if (transfer)
            for (const auto& [seq, item] : transfer->items)
                items.push_back(item);
        return items;
    };
    const auto later = [](const Transfer* a, const Transfer* b) { return a && (!b || a->order > b->order); };

    if (latest[mission])
        plan.mission = itemsOf(latest[mission]);
    if (later(latest[fence], latest[fencePoints])) {
        plan.fence = fenceRegionsOf(itemsOf(latest[fence]));
    } else if (latest[fencePoints]) {
        // ArduPilot's older list: point 0 is where to return, the others
        // the polygon, the last closing it on the first.
        std::vector<MissionItem> points = itemsOf(latest[fencePoints]);
        FenceRegion region;
        for (size_t i = 1; i < points.size(); ++i)
            if (onGlobe(points[i].latDeg, points[i].lonDeg))
                region.polygon.push_back({points[i].latDeg, points[i].lonDeg});
        if (region.polygon.size() > 3 && region.polygon.back().latDeg == region.polygon.front().latDeg
            && region.polygon.back().lonDeg == region.polygon.front().lonDeg)
            region.polygon.pop_back();
        plan.fence.clear();
        if (region.polygon.size() >= 3)
            plan.fence.push_back(region);
    }
    const Transfer* rallyList = later(latest[rally], latest[rallyPoints]) ? latest[rally] : latest[rallyPoints];
    if (rallyList) {
        plan.rally.clear();
        for (const MissionItem& item : itemsOf(rallyList))
            if ((rallyList->kind == rallyPoints || item.command == RALLY_POINT_COMMAND) && onGlobe(item.latDeg, item.lonDeg))
                plan.rally.push_back({item.latDeg, item.lonDeg, item.alt});
    }

    size_t incomplete = 0;
    const Transfer* last = nullptr;
    const auto count = [&](const Transfer& transfer) {
        if (!involves(transfer, vehicle))
            return;
        ++incomplete;
        if (!last || transfer.order > last->order)
            last = &transfer;
    };
    for (const Transfer& transfer : givenUp_)
        count(transfer);
    for (const auto& [key, transfer] : open_)
        count(transfer);
    if (incomplete > 0) {
        const size_t got = last->items.size();
        notes.push_back(std::to_string(incomplete) + (incomplete == 1 ? " incomplete transfer" : " incomplete transfers")
                        + " of mission, fence or rally items not used (the last: " + kindName(last->kind) + ", "
                        + (got > 0 ? std::to_string(got) + " of " : "") + std::to_string(last->count) + " items)");
    }
}

} // namespace flightreplay::readers
