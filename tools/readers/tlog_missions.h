#pragma once
// Missions, fences and rally points as a ground station's log carries them:
// transfers between the station and a vehicle in either direction (an
// upload from the station, a download by it), item by item after a count,
// and the older FENCE_POINT and RALLY_POINT lists. A transfer is complete
// when every item from 0 to count - 1 came; the last complete one of each
// kind is the plan, an incomplete one is told and not used.

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "tools/flight/flight.h"
#include "tools/readers/mavlink_messages.h"

namespace flightreplay::readers {

class MissionTransfers {
public:
    // A MISSION_COUNT, MISSION_ITEM, MISSION_ITEM_INT, FENCE_POINT or
    // RALLY_POINT packet that system `sender` sent; payload of at least
    // message.extendedLength bytes, zeros past what came. Packets come in
    // file order.
    void packet(int sender, const mavlink::Message& message, const uint8_t* payload);

    // The mission, fence regions and rally points of the last complete
    // transfer of each kind between any system and `vehicle` into plan
    // (home and the fence ceiling untouched), and a note on the incomplete
    // ones when there were.
    void fillPlan(int vehicle, flight::Plan& plan, std::vector<std::string>& notes) const;

private:
    enum Kind { mission, fence, rally, fencePoints, rallyPoints, KIND_COUNT };
    using Key = std::tuple<int, int, int>; // sender, target, kind

    struct Transfer {
        int sender = 0;
        int target = 0;
        int kind = mission;
        int count = 0;
        std::map<int, flight::MissionItem> items;
        uint64_t order = 0; // when it completed or was given up
    };

    void open(const Key& key, int count);
    void add(const Key& key, const flight::MissionItem& item);
    bool involves(const Transfer& transfer, int vehicle) const;

    std::map<Key, Transfer> open_;
    std::map<Key, Transfer> complete_;   // the latest of each key
    std::vector<Transfer> givenUp_;      // items dropped: sender, target, kind, count and how many came
    uint64_t order_ = 0;
};

} // namespace flightreplay::readers
