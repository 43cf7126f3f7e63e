#include "tools/studio/plan_shapes.h"

#include <algorithm>
#include <cmath>

#include <osg/BlendFunc>
#include <osg/Depth>
#include <osg/Geode>
#include <osg/LineWidth>
#include <osg/Point>
#include <osgUtil/CullVisitor>

#include "frame/map_frame.h"
#include "log/geography.h"
#include "log/units.h"
#include "tools/flight/mission_commands.h"
#include "tools/studio/plan_overlay.h"

namespace flightreplay::studio {

using namespace flight;

namespace {

constexpr int CIRCLE_SEGMENTS = 64;
// A mission's labels drawn at a time: the nearest to the eye, within
// reach. More would crowd the picture, and a big mission's hundreds of
// them would cost the frame more than everything else of the plan.
constexpr size_t LABELS_SHOWN = 40;
constexpr double LABEL_REACH_METRES = 1500.0;
constexpr double BELOW_GROUND_METRES = 3.0;

// Labels (osgText::Text children) of which the cull traversal visits only
// the LABELS_SHOWN nearest to the eye within reach.
class NearestLabels : public osg::Group {
public:
    void traverse(osg::NodeVisitor& nv) override
    {
        osgUtil::CullVisitor* cull = nv.asCullVisitor();
        if (!cull) {
            osg::Group::traverse(nv);
            return;
        }
        const osg::Vec3 eye = cull->getEyeLocal();
        const float reach = static_cast<float>(LABEL_REACH_METRES * mapFrame.k);
        near_.clear();
        for (unsigned i = 0; i < getNumChildren(); ++i) {
            const float d = (static_cast<const osgText::Text*>(getChild(i))->getPosition() - eye).length2();
            if (d <= reach * reach)
                near_.push_back({d, i});
        }
        const size_t shown = std::min(near_.size(), LABELS_SHOWN);
        std::partial_sort(near_.begin(), near_.begin() + static_cast<std::ptrdiff_t>(shown), near_.end());
        for (size_t k = 0; k < shown; ++k)
            getChild(near_[k].second)->accept(nv);
    }

private:
    std::vector<std::pair<float, unsigned>> near_;
};

osg::Vec4 darker(const osg::Vec4& c)
{
    return osg::Vec4(c.r() * 0.6f, c.g() * 0.6f, c.b() * 0.6f, 1.0f);
}

// The point `east`, `north` metres from a place.
osg::Vec3 pointNear(double latDeg, double lonDeg, double altM, double east, double north)
{
    double lat, lon;
    offsetToDegrees(latDeg, lonDeg, {east, north}, lat, lon);
    return planPoint(lat, lon, altM);
}

struct Builder {
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    void add(const osg::Vec3& v, const osg::Vec4& c)
    {
        vertices->push_back(v);
        colours->push_back(c);
    }
    void line(const osg::Vec3& a, const osg::Vec3& b, const osg::Vec4& c)
    {
        add(a, c);
        add(b, c);
    }
    bool empty() const { return vertices->empty(); }
};

void addIfAny(osg::Geode& geode, Builder& b, GLenum mode, float size)
{
    if (!b.empty())
        geode.addDrawable(planGeometry(b.vertices.get(), b.colours.get(), mode, size).get());
}

// The ring of a fence region: its polygon, or its circle in segments.
std::vector<GeoPoint> ringOf(const FenceRegion& region)
{
    if (!region.polygon.empty())
        return region.polygon;
    std::vector<GeoPoint> ring;
    for (int i = 0; i < CIRCLE_SEGMENTS; ++i) {
        const double a = 2.0 * MAP_PI * i / CIRCLE_SEGMENTS;
        GeoPoint p;
        offsetToDegrees(region.centre.latDeg, region.centre.lonDeg,
                        {region.radiusM * std::cos(a), region.radiusM * std::sin(a)}, p.latDeg, p.lonDeg);
        ring.push_back(p);
    }
    return ring;
}

const char* markSuffix(int command)
{
    if (isTakeoff(command))
        return " T";
    if (isLanding(command))
        return " L";
    if (command == mav_cmd::RETURN_TO_LAUNCH)
        return " RTL";
    return "";
}

} // namespace

osg::Vec3 planPoint(double latDeg, double lonDeg, double altM)
{
    return geoToScene(latDeg, lonDeg, altM);
}

osg::ref_ptr<osgText::Text> planLabel(const std::string& text, const osg::Vec3& at, const osg::Vec4& colour)
{
    osg::ref_ptr<osgText::Text> label = new osgText::Text;
    label->setText(text);
    label->setColor(colour);
    label->setCharacterSizeMode(osgText::Text::SCREEN_COORDS);
    label->setCharacterSize(13.0f);
    label->setAxisAlignment(osgText::Text::SCREEN);
    // Beside its mark, up and to the right, as on a chart.
    label->setAlignment(osgText::Text::LEFT_BOTTOM);
    label->setPosition(at);
    label->setBackdropType(osgText::Text::DROP_SHADOW_BOTTOM_RIGHT);
    label->setBackdropColor(osg::Vec4(0, 0, 0, 0.9f));
    return label;
}

osg::ref_ptr<osg::Geometry> planGeometry(osg::Vec3Array* vertices, osg::Vec4Array* colours, GLenum mode, float size)
{
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setVertexArray(vertices);
    geometry->setColorArray(colours, osg::Array::BIND_PER_VERTEX);
    geometry->addPrimitiveSet(new osg::DrawArrays(mode, 0, static_cast<GLsizei>(vertices->size())));
    osg::StateSet* state = geometry->getOrCreateStateSet();
    if (mode == GL_POINTS)
        state->setAttribute(new osg::Point(size));
    else
        state->setAttribute(new osg::LineWidth(size));
    return geometry;
}

osg::ref_ptr<osg::Node> buildMissionShapes(const PlanRoute& route, const GroundAt& ground)
{
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    osg::ref_ptr<NearestLabels> labels = new NearestLabels;
    Builder markers, posts, path, circles, actions;
    for (const RouteItem& r : route.items) {
        if (!r.placed)
            continue;
        const int command = r.item.command;
        const osg::Vec4 colour = !r.resolved         ? plan_colour::UNRESOLVED
                                 : isTakeoff(command) ? plan_colour::TAKEOFF
                                 : isLanding(command) ? plan_colour::LANDING
                                                      : plan_colour::MISSION;
        const double alt = drawnAltitude(route, r);
        const osg::Vec3 at = planPoint(r.latDeg, r.lonDeg, alt);
        markers.add(at, colour);
        const bool marked = isTakeoff(command) || isLanding(command);
        posts.line(at, planPoint(r.latDeg, r.lonDeg, ground(r.latDeg, r.lonDeg)), marked ? colour : darker(colour));
        labels->addChild(planLabel(" " + std::to_string(r.item.seq) + (r.resolved ? "" : "?") + markSuffix(command), at,
                                   osg::Vec4(1, 1, 1, 1)).get());
        const double radius = loiterRadiusM(r.item);
        for (int i = 0; radius > 0.0 && i < CIRCLE_SEGMENTS; ++i) {
            const double a0 = 2.0 * MAP_PI * i / CIRCLE_SEGMENTS;
            const double a1 = 2.0 * MAP_PI * (i + 1) / CIRCLE_SEGMENTS;
            circles.line(pointNear(r.latDeg, r.lonDeg, alt, radius * std::cos(a0), radius * std::sin(a0)),
                         pointNear(r.latDeg, r.lonDeg, alt, radius * std::cos(a1), radius * std::sin(a1)),
                         plan_colour::MISSION);
        }
    }
    for (size_t k = 0; k < route.path.size(); ++k) {
        const RouteItem& r = route.items[static_cast<size_t>(route.path[k])];
        const osg::Vec3 at = planPoint(r.latDeg, r.lonDeg, drawnAltitude(route, r));
        path.add(at, plan_colour::MISSION);
        const std::vector<int>& done = route.legActions[k];
        if (k == 0 || done.empty())
            continue;
        const osg::Vec3 from = path.vertices->at(k - 1);
        for (size_t j = 0; j < done.size(); ++j) {
            const float f = static_cast<float>(j + 1) / static_cast<float>(done.size() + 1);
            const osg::Vec3 mark = from + (at - from) * f;
            actions.add(mark, plan_colour::ACTION);
            labels->addChild(planLabel(" " + std::to_string(route.items[static_cast<size_t>(done[j])].item.seq), mark,
                                       plan_colour::ACTION).get());
        }
    }
    addIfAny(*geode, posts, GL_LINES, 1.0f);
    addIfAny(*geode, path, GL_LINE_STRIP, 2.5f);
    addIfAny(*geode, circles, GL_LINES, 2.0f);
    addIfAny(*geode, markers, GL_POINTS, 10.0f);
    addIfAny(*geode, actions, GL_POINTS, 7.0f);
    osg::ref_ptr<osg::Group> group = new osg::Group;
    group->addChild(geode.get());
    group->addChild(labels.get());
    return group;
}

osg::ref_ptr<osg::Node> buildFenceShapes(const Plan& plan, double homeAltM, const GroundAt& ground)
{
    osg::ref_ptr<osg::Geode> walls = new osg::Geode;
    osg::ref_ptr<osg::Geode> edges = new osg::Geode;
    Builder quads, lines;
    for (const FenceRegion& region : plan.fence) {
        const std::vector<GeoPoint> ring = ringOf(region);
        const osg::Vec4 fill = region.inclusion ? plan_colour::INCLUSION : plan_colour::EXCLUSION;
        osg::Vec4 edge = fill;
        edge.a() = 1.0f;
        for (size_t i = 0; i < ring.size(); ++i) {
            const GeoPoint& a = ring[i];
            const GeoPoint& b = ring[(i + 1) % ring.size()];
            const double groundA = ground(a.latDeg, a.lonDeg);
            const double groundB = ground(b.latDeg, b.lonDeg);
            const bool ceiling = std::isfinite(plan.fenceCeilingM);
            const double topA = ceiling ? homeAltM + plan.fenceCeilingM : groundA + FENCE_WALL_METRES;
            const double topB = ceiling ? homeAltM + plan.fenceCeilingM : groundB + FENCE_WALL_METRES;
            const osg::Vec3 bottomA = planPoint(a.latDeg, a.lonDeg, groundA - BELOW_GROUND_METRES);
            const osg::Vec3 bottomB = planPoint(b.latDeg, b.lonDeg, groundB - BELOW_GROUND_METRES);
            const osg::Vec3 upA = planPoint(a.latDeg, a.lonDeg, topA);
            const osg::Vec3 upB = planPoint(b.latDeg, b.lonDeg, topB);
            quads.add(bottomA, fill);
            quads.add(bottomB, fill);
            quads.add(upB, fill);
            quads.add(upA, fill);
            lines.line(upA, upB, edge);
            lines.line(planPoint(a.latDeg, a.lonDeg, groundA + 1.0), planPoint(b.latDeg, b.lonDeg, groundB + 1.0), edge);
            if (!region.polygon.empty())
                lines.line(bottomA, upA, edge);
        }
    }
    addIfAny(*walls, quads, GL_QUADS, 1.0f);
    addIfAny(*edges, lines, GL_LINES, 2.0f);
    // Seen through from either side, and never hiding what is behind them.
    osg::StateSet* state = walls->getOrCreateStateSet();
    state->setAttributeAndModes(new osg::BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA), osg::StateAttribute::ON);
    state->setAttributeAndModes(new osg::Depth(osg::Depth::LESS, 0.0, 1.0, false), osg::StateAttribute::ON);
    state->setMode(GL_CULL_FACE, osg::StateAttribute::OFF);
    state->setRenderingHint(osg::StateSet::TRANSPARENT_BIN);
    osg::ref_ptr<osg::Group> group = new osg::Group;
    group->addChild(edges.get());
    group->addChild(walls.get());
    return group;
}

osg::ref_ptr<osg::Node> buildRallyShapes(const Plan& plan, double homeAltM, const GroundAt& ground)
{
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    Builder poles, flags;
    for (size_t i = 0; i < plan.rally.size(); ++i) {
        const RallyPoint& p = plan.rally[i];
        const double top = homeAltM + p.altM;
        const osg::Vec3 at = planPoint(p.latDeg, p.lonDeg, top);
        poles.line(planPoint(p.latDeg, p.lonDeg, ground(p.latDeg, p.lonDeg)), at, osg::Vec4(1, 1, 1, 1));
        flags.add(at, plan_colour::RALLY);
        flags.add(pointNear(p.latDeg, p.lonDeg, top - 6.0, 0.0, 0.0), plan_colour::RALLY);
        flags.add(pointNear(p.latDeg, p.lonDeg, top - 3.0, 12.0, 0.0), plan_colour::RALLY);
        geode->addDrawable(planLabel(" R" + std::to_string(i + 1), at, plan_colour::RALLY).get());
    }
    addIfAny(*geode, poles, GL_LINES, 2.0f);
    addIfAny(*geode, flags, GL_TRIANGLES, 1.0f);
    if (geode->getNumDrawables() > 0)
        geode->getOrCreateStateSet()->setMode(GL_CULL_FACE, osg::StateAttribute::OFF);
    return geode;
}

osg::ref_ptr<osg::Node> buildHomeShape(const Fix& home)
{
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    Builder ring, dot;
    for (int i = 0; i < CIRCLE_SEGMENTS / 2; ++i) {
        const double a0 = 4.0 * MAP_PI * i / CIRCLE_SEGMENTS;
        const double a1 = 4.0 * MAP_PI * (i + 1) / CIRCLE_SEGMENTS;
        ring.line(pointNear(home.latDeg, home.lonDeg, home.altM, 15.0 * std::cos(a0), 15.0 * std::sin(a0)),
                  pointNear(home.latDeg, home.lonDeg, home.altM, 15.0 * std::cos(a1), 15.0 * std::sin(a1)),
                  plan_colour::HOME);
    }
    const osg::Vec3 at = planPoint(home.latDeg, home.lonDeg, home.altM);
    dot.add(at, plan_colour::HOME);
    addIfAny(*geode, ring, GL_LINES, 2.5f);
    addIfAny(*geode, dot, GL_POINTS, 9.0f);
    geode->addDrawable(planLabel(" H", at, plan_colour::HOME).get());
    return geode;
}

osg::ref_ptr<osg::Node> buildShotShapes(const std::vector<CameraShot>& shots)
{
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    Builder frusta, apexes;
    // Half width, half height and depth of the frustum, metres.
    constexpr double W = 3.0, H = 2.2, D = 5.0;
    const double k = mapFrame.k;
    for (const CameraShot& shot : shots) {
        const double roll = std::isfinite(shot.roll) ? shot.roll : 0.0;
        const double pitch = std::isfinite(shot.pitch) ? shot.pitch : 0.0;
        const double yaw = std::isfinite(shot.yaw) ? shot.yaw : 0.0;
        // Body (forward, right, down) into north-east-down: yaw, then pitch, then roll.
        const osg::Matrixd toNed = osg::Matrixd::rotate(roll, osg::Vec3d(1, 0, 0))
                                   * osg::Matrixd::rotate(pitch, osg::Vec3d(0, 1, 0))
                                   * osg::Matrixd::rotate(yaw, osg::Vec3d(0, 0, 1));
        const osg::Vec3 apex = planPoint(shot.latDeg, shot.lonDeg, shot.altM);
        apexes.add(apex, plan_colour::SHOT);
        osg::Vec3 corners[4];
        const double signs[4][2] = {{1, 1}, {1, -1}, {-1, -1}, {-1, 1}};
        for (int c = 0; c < 4; ++c) {
            const osg::Vec3d ned = osg::Vec3d(signs[c][0] * H, signs[c][1] * W, D) * toNed;
            corners[c] = apex + osg::Vec3(static_cast<float>(-ned.x() * k), static_cast<float>(ned.y() * k),
                                          static_cast<float>(-ned.z() * k));
        }
        for (int c = 0; c < 4; ++c) {
            frusta.line(apex, corners[c], plan_colour::SHOT);
            frusta.line(corners[c], corners[(c + 1) % 4], plan_colour::SHOT);
        }
    }
    addIfAny(*geode, frusta, GL_LINES, 1.0f);
    addIfAny(*geode, apexes, GL_POINTS, 5.0f);
    return geode;
}

} // namespace flightreplay::studio
