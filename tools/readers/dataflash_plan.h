#pragma once
// What a DataFlash log tells of the plan and beside it: the mission (CMD),
// rally points (RALY), home (ORGN), the autopilot's terrain reports (TERR)
// and camera shots (CAM, else TRIG). The log reader hands each such
// message over with a way to read its columns by name.

#include <functional>
#include <optional>
#include <string>

#include "tools/flight/flight.h"
#include "tools/readers/numbered_lists.h"
#include "tools/readers/series_bucket.h"

namespace flightreplay::readers {

enum class PlanMessage { cmd, raly, orgn, terr, cam, trig };

// The kind of a message name read here; nullopt for any other.
std::optional<PlanMessage> planMessageOf(const std::string& name);

// A column's value by name, in the units the format gives (degrees for
// latitude and longitude); NaN where the message has no such column.
using ColumnValue = std::function<double(const char* column)>;

class DataflashPlan {
public:
    DataflashPlan();
    // One message of the kind, t on the boot clock in seconds.
    void add(PlanMessage kind, double t, const ColumnValue& value);
    // Puts the plan, the terrain reports and the shots into out, with a note
    // for lists left incomplete and for a mission whose altitudes had to be
    // taken as above home.
    void moveInto(flight::Flight& out);

private:
    void shot(PlanMessage kind, double t, const ColumnValue& value);

    LastCompleteList<flight::MissionItem> mission_;
    LastCompleteList<flight::RallyPoint> rally_;
    flight::Fix home_ = {NAN, NAN, NAN, NAN};
    ThinnedSeries<flight::TerrainReport> terrain_;
    ThinnedSeries<flight::CameraShot> cam_, trig_;
    bool frameless_ = false; // a CMD without a Frame column
};

} // namespace flightreplay::readers
