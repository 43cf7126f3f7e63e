#include "tools/studio/drop_lines.h"

#include <algorithm>
#include <cmath>

#include <osg/BlendFunc>
#include <osg/Depth>
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/LineWidth>
#include <osg/MatrixTransform>
#include <osg/PolygonOffset>
#include <osgUtil/IntersectionVisitor>
#include <osgUtil/LineSegmentIntersector>

#include "frame/map_frame.h"
#include "log/units.h"

namespace flightreplay::studio {

namespace {

constexpr double SPREAD_PER_METRE_UP = 0.03;
constexpr int MARK_SEGMENTS = 32;
constexpr float LINE_ALPHA = 0.85f;
constexpr float LINE_PIXELS = 2.0f;

// Radii (of the unit disc) and darkness of the mark's rings, a soft
// falloff to nothing at the rim.
constexpr float RING_RADII[] = {0.0f, 0.4f, 0.7f, 1.0f};
constexpr float RING_ALPHAS[] = {0.55f, 0.42f, 0.18f, 0.0f};
constexpr int RINGS = 4;

void blendWithoutDepthWrites(osg::StateSet& state)
{
    state.setAttributeAndModes(new osg::BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA), osg::StateAttribute::ON);
    state.setAttribute(new osg::Depth(osg::Depth::LESS, 0.0, 1.0, false));
    state.setRenderingHint(osg::StateSet::TRANSPARENT_BIN);
}

// A unit disc in the x-y plane, dark in the middle and clear at the rim.
osg::ref_ptr<osg::Geometry> softDisc()
{
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    vertices->push_back(osg::Vec3());
    colours->push_back(osg::Vec4(0, 0, 0, RING_ALPHAS[0]));
    for (int ring = 1; ring < RINGS; ++ring) {
        for (int s = 0; s < MARK_SEGMENTS; ++s) {
            const double angle = 2.0 * MAP_PI * s / MARK_SEGMENTS;
            vertices->push_back(osg::Vec3(static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle)), 0.0f)
                                * RING_RADII[ring]);
            colours->push_back(osg::Vec4(0, 0, 0, RING_ALPHAS[ring]));
        }
    }
    auto at = [](int ring, int s) {
        return static_cast<unsigned short>(ring == 0 ? 0 : 1 + (ring - 1) * MARK_SEGMENTS + s % MARK_SEGMENTS);
    };
    osg::ref_ptr<osg::DrawElementsUShort> triangles = new osg::DrawElementsUShort(GL_TRIANGLES);
    for (int s = 0; s < MARK_SEGMENTS; ++s) {
        for (unsigned short corner : {at(0, 0), at(1, s), at(1, s + 1)})
            triangles->push_back(corner);
        for (int ring = 1; ring + 1 < RINGS; ++ring)
            for (unsigned short corner : {at(ring, s), at(ring + 1, s), at(ring + 1, s + 1), at(ring, s),
                                          at(ring + 1, s + 1), at(ring, s + 1)})
                triangles->push_back(corner);
    }
    osg::ref_ptr<osg::Geometry> disc = new osg::Geometry;
    disc->setVertexArray(vertices.get());
    disc->setColorArray(colours.get(), osg::Array::BIND_PER_VERTEX);
    disc->addPrimitiveSet(triangles.get());
    osg::StateSet* state = disc->getOrCreateStateSet();
    blendWithoutDepthWrites(*state);
    // Drawn on the ground itself, so it must win the depth test against it.
    state->setAttributeAndModes(new osg::PolygonOffset(-1.0f, -4.0f), osg::StateAttribute::ON);
    state->setMode(GL_CULL_FACE, osg::StateAttribute::OFF);
    return disc;
}

osg::ref_ptr<osg::Geometry> verticalLine(const osg::Vec4& colour)
{
    osg::ref_ptr<osg::Vec3Array> ends = new osg::Vec3Array(2);
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    colours->push_back(osg::Vec4(colour.r(), colour.g(), colour.b(), LINE_ALPHA));
    osg::ref_ptr<osg::Geometry> line = new osg::Geometry;
    line->setDataVariance(osg::Object::DYNAMIC);
    // Its ends move every frame: a display list would keep the first ones.
    line->setUseDisplayList(false);
    line->setUseVertexBufferObjects(true);
    line->setVertexArray(ends.get());
    line->setColorArray(colours.get(), osg::Array::BIND_OVERALL);
    line->addPrimitiveSet(new osg::DrawArrays(GL_LINES, 0, 2));
    osg::StateSet* state = line->getOrCreateStateSet();
    blendWithoutDepthWrites(*state);
    state->setAttribute(new osg::LineWidth(LINE_PIXELS));
    return line;
}

struct FlightDrop {
    osg::ref_ptr<osg::Group> node;
    osg::ref_ptr<osg::Geometry> line;
    osg::ref_ptr<osg::MatrixTransform> mark;
    double modelRadiusMetres = 0.0;
};

class DropLinesUpdate : public osg::NodeCallback {
public:
    DropLinesUpdate(const StudioState& state, osg::Node& ground, std::vector<FlightDrop> drops)
        : state_(state), ground_(&ground), drops_(std::move(drops))
    {
    }

    void operator()(osg::Node* node, osg::NodeVisitor* nv) override
    {
        for (size_t i = 0; i < drops_.size() && i < state_.flights.size(); ++i)
            place(drops_[i], state_.flights[i].now.position);
        traverse(node, nv);
    }

private:
    void place(FlightDrop& drop, const osg::Vec3d& aircraft)
    {
        osg::Vec3d hit;
        osg::Vec3d normal;
        const bool shown = state_.dropLines && mapFrame.k > 0.0 && groundBelow(*ground_, aircraft, hit, normal);
        drop.node->setNodeMask(shown ? ~0u : 0u);
        if (!shown)
            return;
        auto* ends = static_cast<osg::Vec3Array*>(drop.line->getVertexArray());
        (*ends)[0] = osg::Vec3(aircraft);
        (*ends)[1] = osg::Vec3(hit);
        ends->dirty();
        drop.line->dirtyBound();
        const double height = std::fabs(aircraft.z() - hit.z()) / mapFrame.k;
        const double radius = markRadiusMetres(drop.modelRadiusMetres, height) * mapFrame.k;
        drop.mark->setMatrix(osg::Matrixd::scale(radius, radius, radius)
                             * osg::Matrixd::rotate(osg::Vec3d(0, 0, 1), normal) * osg::Matrixd::translate(hit));
    }

    const StudioState& state_;
    osg::ref_ptr<osg::Node> ground_;
    std::vector<FlightDrop> drops_;
};

} // namespace

bool groundBelow(osg::Node& ground, const osg::Vec3d& at, osg::Vec3d& hit, osg::Vec3d& normal)
{
    const osg::BoundingSphere bound = ground.getBound();
    if (!bound.valid())
        return false;
    const double top = std::max(at.z(), static_cast<double>(bound.center().z() + bound.radius())) + 1.0;
    const double bottom = std::min(at.z(), static_cast<double>(bound.center().z() - bound.radius())) - 1.0;
    osg::ref_ptr<osgUtil::LineSegmentIntersector> vertical =
        new osgUtil::LineSegmentIntersector(osg::Vec3d(at.x(), at.y(), top), osg::Vec3d(at.x(), at.y(), bottom));
    osgUtil::IntersectionVisitor visitor(vertical.get());
    ground.accept(visitor);
    if (!vertical->containsIntersections())
        return false;
    const osgUtil::LineSegmentIntersector::Intersection& first = vertical->getFirstIntersection();
    hit = first.getWorldIntersectPoint();
    normal = first.getWorldIntersectNormal();
    if (normal.z() < 0.0)
        normal = -normal;
    if (!(normal.normalize() > 0.0))
        normal = osg::Vec3d(0, 0, 1);
    return true;
}

double markRadiusMetres(double modelRadiusMetres, double heightMetres)
{
    return modelRadiusMetres + SPREAD_PER_METRE_UP * std::max(heightMetres, 0.0);
}

osg::ref_ptr<osg::Node> buildDropLines(const StudioState& state, osg::Node& ground,
                                       const std::vector<double>& modelRadiiMetres)
{
    osg::ref_ptr<osg::Group> group = new osg::Group;
    osg::ref_ptr<osg::Geode> disc = new osg::Geode;
    disc->addDrawable(softDisc().get());
    std::vector<FlightDrop> drops;
    for (size_t i = 0; i < state.flights.size(); ++i) {
        FlightDrop drop;
        drop.node = new osg::Group;
        drop.line = verticalLine(state.flights[i].colour);
        osg::ref_ptr<osg::Geode> line = new osg::Geode;
        line->addDrawable(drop.line.get());
        drop.mark = new osg::MatrixTransform;
        drop.mark->setDataVariance(osg::Object::DYNAMIC);
        drop.mark->addChild(disc.get());
        drop.node->addChild(line.get());
        drop.node->addChild(drop.mark.get());
        drop.node->setNodeMask(0u);
        drop.modelRadiusMetres = i < modelRadiiMetres.size() ? modelRadiiMetres[i] : 0.0;
        group->addChild(drop.node.get());
        drops.push_back(drop);
    }
    group->setUpdateCallback(new DropLinesUpdate(state, ground, std::move(drops)));
    return group;
}

} // namespace flightreplay::studio
