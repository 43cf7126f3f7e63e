#include "plan_flight.h"

#include <cmath>

#include "log/geography.h"
#include "log_writers.h"

namespace reader_test {

using flightreplay::flight::MissionItem;

namespace {

struct Point {
    double east;
    double north;
    double alt;     // AMSL
    int target = 0; // the item flown to
};

MissionItem item(int command, int frame, double alt, const PlanFlight& plan, double east, double north,
                 std::array<double, 4> param = {0, 0, 0, 0})
{
    MissionItem m;
    m.command = command;
    m.frame = frame;
    m.alt = alt;
    m.param = param;
    if (east != 0.0 || north != 0.0)
        placeOf(plan, east, north, m.latDeg, m.lonDeg);
    return m;
}

void number(std::vector<MissionItem>& items, int first)
{
    for (size_t i = 0; i < items.size(); ++i)
        items[i].seq = first + static_cast<int>(i);
}

// Where the plan sends the vehicle: the navigation items in order, the
// do-jump followed once, a loiter flown as one circle.
std::vector<Point> route(const PlanFlight& plan)
{
    const double metresPerDegree = MEAN_EARTH_RADIUS * RADIANS_PER_DEGREE;
    const double eastPerDegree = metresPerDegree * std::cos(plan.homeLat * RADIANS_PER_DEGREE);
    std::vector<Point> points;
    Point last{0.0, 0.0, plan.homeAlt};
    std::vector<bool> jumped(plan.mission.size(), false);
    for (size_t i = 0; i < plan.mission.size();) {
        const MissionItem& m = plan.mission[i];
        if (m.command == 177 && !jumped[i]) {
            jumped[i] = true;
            i = static_cast<size_t>(m.param[0]);
            continue;
        }
        ++i;
        if (m.command > 31 && m.command != 82)
            continue;
        Point p = last;
        p.target = m.seq;
        if (m.latDeg != 0.0 || m.lonDeg != 0.0) {
            p.east = (m.lonDeg - plan.homeLon) * eastPerDegree;
            p.north = (m.latDeg - plan.homeLat) * metresPerDegree;
        }
        if (m.command == 20)
            p.east = p.north = 0.0;
        double lat, lon;
        placeOf(plan, p.east, p.north, lat, lon);
        if (m.command != 20) {
            if (m.frame == 0 || m.frame == 5)
                p.alt = m.alt;
            else if (m.frame == 3 || m.frame == 6)
                p.alt = plan.homeAlt + m.alt;
            else
                p.alt = plan.ground(lat, lon) + m.alt;
        }
        if (m.command == 18 && m.param[2] > 0.0) {
            // Once round the circle from where the vehicle meets it.
            const double r = m.param[2];
            const double start = std::atan2(last.north - p.north, last.east - p.east);
            for (int k = 0; k <= 36; ++k) {
                const double a = start + 2.0 * MAP_PI * k / 36.0;
                points.push_back({p.east + r * std::cos(a), p.north + r * std::sin(a), p.alt, m.seq});
            }
        } else {
            points.push_back(p);
        }
        last = p;
    }
    return points;
}

void writeList(DataflashWriter& w, double t, const std::vector<MissionItem>& items, size_t count, size_t total)
{
    for (size_t i = 0; i < count; ++i) {
        const MissionItem& m = items[i];
        w.write(140, {t * 1e6, static_cast<double>(total), m.seq, m.command, m.param[0], m.param[1], m.param[2],
                      m.param[3], m.latDeg, m.lonDeg, m.alt, m.frame});
    }
}

} // namespace

void placeOf(const PlanFlight& plan, double east, double north, double& latDeg, double& lonDeg)
{
    offsetToDegrees(plan.homeLat, plan.homeLon, {east, north}, latDeg, lonDeg);
}

PlanFlight standardPlanFlight(double homeLat, double homeLon, double homeAlt, std::function<double(double, double)> ground)
{
    PlanFlight p;
    p.homeLat = homeLat;
    p.homeLon = homeLon;
    p.homeAlt = homeAlt;
    p.ground = std::move(ground);
    MissionItem home = item(16, 0, homeAlt, p, 0, 0);
    home.latDeg = homeLat;
    home.lonDeg = homeLon;
    p.mission = {
        home,
        item(22, 3, 40, p, 0, 0, {15, 0, 0, 0}),
        item(16, 3, 60, p, 300, 200),
        item(16, 0, homeAlt + 80, p, 600, 500),
        item(178, 0, 0, p, 0, 0, {0, 18, -1, 0}),
        item(16, 10, 70, p, 900, 200),
        item(18, 6, 90, p, 1000, -200, {1, 0, 80, 0}),
        item(16, 5, homeAlt + 85, p, 600, -500),
        item(16, 11, 60, p, 200, -400),
        item(177, 0, 0, p, 0, 0, {2, 1, 0, 0}),
        item(189, 0, 0, p, 0, 0),
        item(16, 3, 30, p, -300, -150),
        item(21, 3, 0, p, 50, 0),
    };
    number(p.mission, 0);
    const double corners[6][2] = {{-800, -300}, {-500, 900}, {900, 1000}, {1500, 200}, {1300, -1100}, {-200, -1000}};
    for (const auto& c : corners)
        p.fence.push_back(item(5001, 0, 0, p, c[0], c[1], {6, 0, 0, 0}));
    p.fence.push_back(item(5004, 0, 0, p, -200, 500, {100, 0, 0, 0}));
    number(p.fence, static_cast<int>(p.mission.size()));
    double lat, lon;
    placeOf(p, -400, 300, lat, lon);
    p.rally.push_back({lat, lon, 50});
    placeOf(p, 500, -800, lat, lon);
    p.rally.push_back({lat, lon, 60});
    return p;
}

PlanFlight surveyPlanFlight(double homeLat, double homeLon, double homeAlt, std::function<double(double, double)> ground,
                            int items, int fenceVertices)
{
    PlanFlight p;
    p.homeLat = homeLat;
    p.homeLon = homeLon;
    p.homeAlt = homeAlt;
    p.ground = std::move(ground);
    p.sendEarlierLists = false;
    MissionItem home = item(16, 0, homeAlt, p, 0, 0);
    home.latDeg = homeLat;
    home.lonDeg = homeLon;
    p.mission = {home, item(22, 3, 40, p, 0, 0, {15, 0, 0, 0})};
    const int waypoints = items - 3;
    const int perRow = 20;
    const int rows = (waypoints + perRow - 1) / perRow;
    for (int k = 0; k < waypoints; ++k) {
        const int row = k / perRow;
        const int column = row % 2 ? perRow - 1 - k % perRow : k % perRow;
        p.mission.push_back(item(16, 3, 100, p, -600.0 + 60.0 * column, -30.0 * rows + 60.0 * row));
    }
    p.mission.push_back(item(20, 0, 0, p, 0, 0));
    number(p.mission, 0);
    const double radius = std::hypot(60.0 * perRow, 60.0 * rows) * 0.75;
    for (int v = 0; v < fenceVertices; ++v) {
        const double a = 2.0 * MAP_PI * v / fenceVertices;
        p.fence.push_back(item(5001, 0, 0, p, radius * std::cos(a), radius * std::sin(a),
                               {static_cast<double>(fenceVertices), 0, 0, 0}));
    }
    number(p.fence, static_cast<int>(p.mission.size()));
    return p;
}

PlanFlightLog writePlanFlight(const PlanFlight& plan)
{
    DataflashWriter w;
    w.define(130, "GPS", "QBIHBcLLeffffB", "TimeUS,Status,GMS,GWk,NSats,HDop,Lat,Lng,Alt,Spd,GCrs,VZ,Yaw,U");
    w.define(131, "ATT", "QccccCCCC", "TimeUS,DesRoll,Roll,DesPitch,Pitch,DesYaw,Yaw,ErrRP,ErrYaw");
    w.define(134, "MSG", "QZ", "TimeUS,Message");
    w.define(140, "CMD", "QHHHffffffff", "TimeUS,CTot,CNum,CId,Prm1,Prm2,Prm3,Prm4,Lat,Lng,Alt,Frame");
    w.define(141, "RALY", "QBBLLh", "TimeUS,Tot,Seq,Lat,Lng,Alt");
    w.define(142, "ORGN", "QBLLe", "TimeUS,Type,Lat,Lng,Alt");
    w.define(143, "TERR", "QBLLHffHH", "TimeUS,Status,Lat,Lng,Spacing,TerrH,CHeight,Pending,Loaded");
    w.define(144, "CAM", "QIHLLeeeccC", "TimeUS,GPSTime,GPSWeek,Lat,Lng,Alt,RelAlt,GPSAlt,Roll,Pitch,Yaw");
    w.write(134, {5e6, "ArduPlane V4.3.1 (abcdef12)"});
    w.write(142, {6e6, 0, plan.homeLat + 0.001, plan.homeLon, plan.homeAlt - 5});
    w.write(142, {6e6, 1, plan.homeLat, plan.homeLon, plan.homeAlt});

    std::vector<MissionItem> list = plan.mission;
    list.insert(list.end(), plan.fence.begin(), plan.fence.end());
    if (plan.sendEarlierLists) {
        // An older mission of three items, then an upload that broke off.
        std::vector<MissionItem> older(plan.mission.begin(), plan.mission.begin() + 3);
        writeList(w, 6.5, older, older.size(), older.size());
        writeList(w, 6.7, list, 4, list.size() + 1);
    }
    writeList(w, 7.0, list, list.size(), list.size());
    if (plan.sendEarlierLists)
        writeList(w, 7.2, list, 2, list.size()); // the same list again in part
    for (size_t i = 0; i < plan.rally.size(); ++i)
        w.write(141, {7.5e6, static_cast<double>(plan.rally.size()), static_cast<double>(i), plan.rally[i].latDeg,
                      plan.rally[i].lonDeg, plan.rally[i].altM});

    PlanFlightLog out;
    for (const PlanSample& f : flownPlan(plan, out)) {
        w.write(130, {f.t * 1e6, 3, 345600000.0 + f.t * 1000, 2200, 12, 0.8, f.latDeg, f.lonDeg, f.alt, plan.speed,
                      f.course, 0, 0, 0});
        w.write(131, {f.t * 1e6, 0, 0, 0, 0, 0, f.course, 0, 0});
        if (f.report)
            w.write(143, {f.t * 1e6, f.waiting ? 1 : 2, f.latDeg, f.lonDeg, 100, f.terrain, f.waiting ? 0.0 : f.alt - f.terrain,
                          0, 12});
        if (f.shot > 0)
            w.write(144, {f.t * 1e6, 0, 2200, f.latDeg, f.lonDeg, f.alt, f.alt - plan.homeAlt, f.alt, 0, -2, f.course});
    }
    out.bytes = w.bytes;
    return out;
}

std::vector<PlanSample> flownPlan(const PlanFlight& plan, PlanFlightLog& summary)
{
    const std::vector<Point> points = route(plan);
    const double step = 0.2;
    summary.firstFixT = 10.0;
    // Positions every step seconds along the route at constant speed.
    std::vector<Point> fixes;
    if (!points.empty())
        fixes.push_back(points.front());
    for (size_t k = 1; k < points.size(); ++k) {
        const Point& a = points[k - 1];
        const Point& b = points[k];
        const double length = std::hypot(b.east - a.east, b.north - a.north, b.alt - a.alt);
        const int steps = std::max(1, static_cast<int>(std::ceil(length / (plan.speed * step))));
        for (int s = 1; s <= steps; ++s) {
            const double f = static_cast<double>(s) / steps;
            fixes.push_back({a.east + f * (b.east - a.east), a.north + f * (b.north - a.north),
                             a.alt + f * (b.alt - a.alt), b.target});
        }
    }
    const int reports = static_cast<int>(static_cast<double>(fixes.size()) * step);
    const int outlier = plan.waitingReports + (reports - plan.waitingReports) / 2;
    int report = 0;
    double nextShot = summary.firstFixT + plan.shotEverySeconds;
    std::vector<PlanSample> samples;
    for (size_t k = 0; k < fixes.size(); ++k) {
        PlanSample f;
        f.t = summary.firstFixT + step * static_cast<double>(k);
        const Point& p = fixes[k];
        const Point& next = fixes[std::min(k + 1, fixes.size() - 1)];
        const Point& before = fixes[k > 0 ? k - 1 : 0];
        placeOf(plan, p.east, p.north, f.latDeg, f.lonDeg);
        f.alt = p.alt;
        f.course = std::fmod(std::atan2(next.east - before.east, next.north - before.north) * DEGREES_PER_RADIAN + 360.0, 360.0);
        f.target = p.target;
        if (k % 5 == 0) {
            f.report = true;
            f.waiting = report < plan.waitingReports;
            f.terrain = f.waiting ? 0.0 : plan.ground(f.latDeg, f.lonDeg) + plan.terrainOffsetM;
            if (report == outlier) {
                f.terrain += plan.outlierM;
                summary.outlierT = f.t;
            }
            summary.reportsWithData += f.waiting ? 0 : 1;
            ++report;
        }
        if (f.t >= nextShot) {
            f.shot = ++summary.shots;
            nextShot += plan.shotEverySeconds;
        }
        samples.push_back(f);
    }
    return samples;
}

SlopedGround::SlopedGround(double latDeg, double lonDeg, double heightThere)
    : fileRow(static_cast<int>(mercatorYOfLatitude(latDeg) * 256)),
      fileCol(static_cast<int>(mercatorXOfLongitude(lonDeg) * 256)), base(0)
{
    base = static_cast<int>(std::lround(heightThere - heightAt(latDeg, lonDeg)));
}

std::string SlopedGround::fileName() const
{
    return "zsi-" + std::to_string(fileRow) + "-" + std::to_string(fileCol) + ".egm";
}

std::string SlopedGround::fileBytes() const
{
    std::string bytes;
    bytes.reserve(1025 * 1025 * 2);
    for (int r = 0; r < 1025; ++r)
        for (int c = 0; c < 1025; ++c) {
            const int h = base + r + c;
            bytes += static_cast<char>(h & 0xff);
            bytes += static_cast<char>((h >> 8) & 0xff);
        }
    return bytes;
}

double SlopedGround::heightAt(double latDeg, double lonDeg) const
{
    const double row = mercatorYOfLatitude(latDeg) * 262144.0 - fileRow * 1024.0;
    const double col = mercatorXOfLongitude(lonDeg) * 262144.0 - fileCol * 1024.0;
    return base + row + col;
}

std::string arduPlaneWithoutMission(bool frameless)
{
    DataflashWriter w;
    w.define(130, "GPS", "QBIHBcLLeffffB", "TimeUS,Status,GMS,GWk,NSats,HDop,Lat,Lng,Alt,Spd,GCrs,VZ,Yaw,U");
    if (frameless)
        w.define(140, "CMD", "QHHHfffffff", "TimeUS,CTot,CNum,CId,Prm1,Prm2,Prm3,Prm4,Lat,Lng,Alt");
    else
        w.define(140, "CMD", "QHHHffffffff", "TimeUS,CTot,CNum,CId,Prm1,Prm2,Prm3,Prm4,Lat,Lng,Alt,Frame");
    for (int seq = 0; seq < 6; ++seq) {
        std::vector<DataflashWriter::Value> v = {1e6, 6, seq, seq == 0 ? 16 : 0, 0, 0, 0, 0, 0.0, 0.0, 0.0};
        if (!frameless)
            v.push_back(0);
        w.write(140, v);
    }
    for (int k = 0; k < 10; ++k)
        w.write(130, {5e6 + 2e5 * k, 3, 0, 2200, 9, 0.9, 47.0 + 1e-5 * k, 9.0, 400.0, 0, 0, 0, 0, 0});
    return w.bytes;
}

} // namespace reader_test
