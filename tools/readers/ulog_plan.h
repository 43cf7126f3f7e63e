#pragma once
// What a PX4 ULog tells of the mission and the camera: camera_capture
// shots, and where logged navigator_mission_item (each item as it was
// flown, the uploaded mission itself is not logged) and mission_result (the
// item flown and the one reached).

#include <map>
#include <vector>

#include "tools/flight/flight.h"
#include "tools/readers/flight_happenings.h"
#include "tools/readers/series_bucket.h"

namespace flightreplay::readers {

class UlogPlan {
public:
    // Mission events go to happenings (in moveInto), which must outlive this.
    explicit UlogPlan(FlightHappenings& happenings) : happenings_(happenings) {}

    // A shot at t (seconds): degrees, metres above sea level, the camera's
    // quaternion (w, x, y, z) as vehicle_attitude's, its sequence number.
    void cameraCapture(double t, double latDeg, double lonDeg, double altM, const double q[4], double seq);
    // The item flown from t on.
    void missionItem(double t, const flight::MissionItem& item);
    // The item flown and the last one reached (negative for none yet).
    void missionResult(double t, double current, double reached);
    // The shots and the mission as flown into out, with a note saying the
    // mission is known only as far as it was flown; the mission events to
    // the happenings where there is a mission. Call before the happenings
    // move into out.
    void moveInto(flight::Flight& out);

private:
    void current(double t, int seq);

    FlightHappenings& happenings_;
    ThinnedSeries<flight::CameraShot> shots_;
    std::map<int, flight::MissionItem> flown_;
    std::vector<flight::FlightEvent> events_;
    int current_ = -1;
    int reached_ = -1;
};

} // namespace flightreplay::readers
