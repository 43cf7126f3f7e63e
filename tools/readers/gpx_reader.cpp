#include "tools/readers/gpx_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <tinyxml2.h>

#include "log/geography.h"
#include "tools/common/tool_error.h"
#include "tools/readers/utc_time.h"

namespace flightreplay::readers {

using namespace flight;

namespace {

using tinyxml2::XMLElement;

// Files carry the GPX namespace as the default one or with a prefix
// (gpx:trkpt); extensions always come prefixed (gpxtpx:speed).
std::string_view localName(const XMLElement& e)
{
    std::string_view name = e.Name();
    const size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

template <typename Visit>
void forChildren(const XMLElement& parent, std::string_view name, Visit visit)
{
    for (const XMLElement* e = parent.FirstChildElement(); e; e = e->NextSiblingElement())
        if (localName(*e) == name)
            visit(*e);
}

const XMLElement* child(const XMLElement& parent, std::string_view name)
{
    for (const XMLElement* e = parent.FirstChildElement(); e; e = e->NextSiblingElement())
        if (localName(*e) == name)
            return e;
    return nullptr;
}

// The first element of that name below `parent`, within a few levels of
// extension wrappers.
const XMLElement* descendant(const XMLElement& parent, std::string_view name, int depth)
{
    for (const XMLElement* e = parent.FirstChildElement(); e; e = e->NextSiblingElement()) {
        if (localName(*e) == name)
            return e;
        if (depth > 0)
            if (const XMLElement* found = descendant(*e, name, depth - 1))
                return found;
    }
    return nullptr;
}

bool number(const XMLElement* e, double& value)
{
    if (!e || !e->GetText())
        return false;
    const char* text = e->GetText();
    char* end = nullptr;
    const double parsed = std::strtod(text, &end);
    while (end && (*end == ' ' || *end == '\t' || *end == '\r' || *end == '\n'))
        ++end;
    if (end == text || *end != '\0' || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

struct Point {
    Fix fix;
    bool timed;
    double speed; // NaN where not given
};

void readPoint(const XMLElement& trkpt, std::vector<Point>& points)
{
    double lat = NAN, lon = NAN;
    if (trkpt.QueryDoubleAttribute("lat", &lat) != tinyxml2::XML_SUCCESS
        || trkpt.QueryDoubleAttribute("lon", &lon) != tinyxml2::XML_SUCCESS)
        return;
    if (!(std::fabs(lat) <= 90.0) || !(std::fabs(lon) <= 180.0))
        return;
    Point p{{0.0, lat, lon, NAN}, false, NAN};
    number(child(trkpt, "ele"), p.fix.altM);
    if (const XMLElement* time = child(trkpt, "time"); time && time->GetText())
        p.timed = parseIsoTime(time->GetText(), p.fix.t);
    double speed = NAN;
    if (number(descendant(trkpt, "speed", 3), speed) && speed >= 0.0)
        p.speed = speed;
    points.push_back(p);
}

bool sameTimeThroughout(const std::vector<Point>& points)
{
    const auto first = std::find_if(points.begin(), points.end(), [](const Point& p) { return p.timed; });
    return std::all_of(first, points.end(), [&](const Point& p) { return !p.timed || p.fix.t == first->fix.t; });
}

double span(const Fix& a, const Fix& b)
{
    const LocalOffset offset = localOffsetMetres(a.latDeg, a.lonDeg, b.latDeg, b.lonDeg);
    return std::hypot(offset.east, offset.north);
}

// Points without a time between two timed ones (the later one later) get a
// time in proportion to the distance along the track; the number of them.
size_t interpolateTimes(std::vector<Point>& points)
{
    size_t count = 0;
    size_t before = points.size(); // the last timed point so far
    for (size_t i = 0; i < points.size(); ++i) {
        if (!points[i].timed)
            continue;
        if (before < points.size() && i > before + 1 && points[i].fix.t > points[before].fix.t) {
            std::vector<double> along(i - before + 1, 0.0);
            for (size_t k = before + 1; k <= i; ++k)
                along[k - before] = along[k - before - 1] + span(points[k - 1].fix, points[k].fix);
            const double t0 = points[before].fix.t, t1 = points[i].fix.t;
            for (size_t k = before + 1; k < i; ++k) {
                const double share = along.back() > 0.0 ? along[k - before] / along.back()
                                                        : static_cast<double>(k - before) / static_cast<double>(i - before);
                points[k].fix.t = t0 + (t1 - t0) * share;
                points[k].timed = true;
                ++count;
            }
        }
        before = i;
    }
    return count;
}

} // namespace

Flight readGpx(const std::string& bytes)
{
    tinyxml2::XMLDocument doc;
    if (doc.Parse(bytes.data(), bytes.size()) != tinyxml2::XML_SUCCESS)
        throw tools::ToolError(std::string("not well-formed XML (") + doc.ErrorName() + " at line "
                               + std::to_string(doc.ErrorLineNum()) + ")");
    const XMLElement* root = doc.RootElement();
    if (!root || localName(*root) != "gpx")
        throw tools::ToolError("not a GPX file: the root element is not <gpx>");

    Flight data;
    data.format = FlightFormat::gpx;
    data.positionSource = "trk";
    if (const char* creator = root->Attribute("creator"))
        data.firmware = creator;

    std::vector<Point> points;
    forChildren(*root, "trk", [&](const XMLElement& trk) {
        forChildren(trk, "trkseg", [&](const XMLElement& seg) {
            forChildren(seg, "trkpt", [&](const XMLElement& pt) { readPoint(pt, points); });
        });
    });

    const size_t timed = static_cast<size_t>(std::count_if(points.begin(), points.end(), [](const Point& p) { return p.timed; }));
    if (timed > 1 && sameTimeThroughout(points)) {
        for (Point& p : points)
            p.timed = false;
        data.notes.push_back("every timed track point has the same time: the track taken as untimed");
    }
    if (std::none_of(points.begin(), points.end(), [](const Point& p) { return p.timed; }) && !points.empty()) {
        for (size_t i = 0; i < points.size(); ++i)
            points[i].fix.t = static_cast<double>(i);
        data.notes.push_back("no point of the track has a time: points taken 1 s apart");
    } else {
        const size_t interpolated = interpolateTimes(points);
        if (interpolated > 0)
            data.notes.push_back(std::to_string(interpolated)
                                 + " track points without a time: times interpolated along the track between their "
                                   "timed neighbours");
        const size_t untimed = static_cast<size_t>(std::count_if(points.begin(), points.end(), [](const Point& p) { return !p.timed; }));
        if (untimed > 0)
            data.notes.push_back(std::to_string(untimed) + " track points without a time skipped");
        points.erase(std::remove_if(points.begin(), points.end(), [](const Point& p) { return !p.timed; }), points.end());
        data.utcAtClockZero = 0.0;
    }
    std::stable_sort(points.begin(), points.end(), [](const Point& a, const Point& b) { return a.fix.t < b.fix.t; });

    double lastAlt = NAN;
    size_t sameTime = 0;
    for (Point& p : points) {
        if (!data.position.empty() && p.fix.t <= data.position.back().t) {
            ++sameTime;
            continue;
        }
        if (std::isnan(p.fix.altM))
            p.fix.altM = std::isnan(lastAlt) ? 0.0 : lastAlt;
        lastAlt = p.fix.altM;
        data.position.push_back(p.fix);
        if (!std::isnan(p.speed))
            data.groundSpeed.push_back({p.fix.t, p.speed});
    }
    if (sameTime > 0)
        data.notes.push_back(std::to_string(sameTime) + " track points with the time of an earlier one skipped");
    return data;
}

} // namespace flightreplay::readers
