#pragma once
// A DataFlash log of a plane flying a mission, for the plan's tests, the
// studio's pictures and the benchmark: the mission (CMD, fence items in the
// same list), rally points (RALY), home (ORGN), GPS and ATT along the route,
// the autopilot's terrain reports (TERR) a known offset above a given ground,
// and camera shots (CAM). Written from the description alone, without the
// code under test.

#include <functional>
#include <string>
#include <vector>

#include "tools/flight/flight.h"

namespace reader_test {

struct PlanFlight {
    double homeLat = 0.0;
    double homeLon = 0.0;
    double homeAlt = 0.0;
    std::vector<flightreplay::flight::MissionItem> mission; // item 0 home; seq = index
    std::vector<flightreplay::flight::MissionItem> fence;   // fence items, sent after the mission in the one list
    std::vector<flightreplay::flight::RallyPoint> rally;
    std::function<double(double latDeg, double lonDeg)> ground; // metres above sea level
    double terrainOffsetM = 3.5; // the autopilot's terrain above the ground
    double outlierM = 9.0;       // added to the terrain of one report half way through
    int waitingReports = 3;      // reports without data (status 1) before the first with
    double shotEverySeconds = 8.0;
    double speed = 15.0;         // m/s along the route
    bool sendEarlierLists = true; // an older complete list and an incomplete upload before the mission
};

struct PlanFlightLog {
    std::string bytes;
    double firstFixT = 0.0;  // boot clock, seconds
    double outlierT = 0.0;   // boot clock of the report with the outlier
    int reportsWithData = 0;
    int shots = 0;
};

// Metres east and north of home to degrees.
void placeOf(const PlanFlight& plan, double east, double north, double& latDeg, double& lonDeg);

// The tests' mission around home: item 0 home; 1 take-off in place (frame 3,
// 40 m); 2 waypoint frame 3 60 m at (300, 200); 3 waypoint frame 0 at home +
// 80 m, (600, 500); 4 DO_CHANGE_SPEED; 5 waypoint frame 10, 70 m at (900,
// 200); 6 loiter one turn of 80 m radius, frame 6, 90 m at (1000, -200); 7
// waypoint frame 5 at home + 85 m, (600, -500); 8 waypoint frame 11, 60 m at
// (200, -400); 9 DO_JUMP to 2 once; 10 DO_LAND_START; 11 waypoint frame 3,
// 30 m at (-300, -150); 12 land frame 3 at (50, 0) (metres east, north of
// home). A fence polygon of 6 vertices (inclusion) around it all and an
// exclusion circle of 100 m at (-200, 500); rally points at (-400, 300) 50 m
// and (500, -800) 60 m above home.
PlanFlight standardPlanFlight(double homeLat, double homeLon, double homeAlt,
                              std::function<double(double, double)> ground);

// A survey of `items` items: home, take-off, `items - 3` waypoints in a
// lawnmower pattern 60 m apart (frame 3, 100 m), return to launch; a round
// inclusion fence of `fenceVertices` vertices around it.
PlanFlight surveyPlanFlight(double homeLat, double homeLon, double homeAlt,
                            std::function<double(double, double)> ground, int items, int fenceVertices);

// The log of the plan flown: boot clock from 5 s, fixes at 5 Hz from 10 s.
PlanFlightLog writePlanFlight(const PlanFlight& plan);

// One fix of the plan flown, as both logs write it.
struct PlanSample {
    double t = 0.0;          // boot clock, seconds
    double latDeg = 0.0;
    double lonDeg = 0.0;
    double alt = 0.0;        // metres above sea level
    double course = 0.0;     // degrees clockwise from north
    int target = 0;          // the item flown to
    bool report = false;     // a terrain report now (every second) ...
    bool waiting = false;    // ... without data
    double terrain = 0.0;    // ... of this terrain height
    int shot = 0;            // the camera's shot number now; 0 for none
};

// The fixes at 5 Hz from boot second 10 along the route at the plan's
// speed (the do-jump followed once, the loiter flown once round), with the
// terrain reports and shots; their counts and times into summary.
std::vector<PlanSample> flownPlan(const PlanFlight& plan, PlanFlightLog& summary);

// A sloping ground in the one elevation file (zsi-FI-FJ.egm, 1025 x 1025
// heights of zoom-18 corners) that holds a point: sample (r, c), r rows
// south and c columns east of the file's north-west corner, at base + r +
// c metres, base chosen for about heightThere metres at the point (a metre
// per zoom-18 tile, some 100 m, down to the north-west). Linear, so that
// heightAt, worked out from Web Mercator, is what any bilinear reading of
// the samples gives.
struct SlopedGround {
    SlopedGround(double latDeg, double lonDeg, double heightThere);
    std::string fileName() const;
    std::string fileBytes() const;
    double heightAt(double latDeg, double lonDeg) const;

    int fileRow;
    int fileCol;
    int base;
};

// ArduPlane's log with no mission loaded: CMD home a waypoint at 0, 0 and
// five items of command 0 at 0, 0 (without the Frame column of older logs
// where frameless), then 10 fixes 0.2 s apart at 47 N 9 E.
std::string arduPlaneWithoutMission(bool frameless);

} // namespace reader_test
