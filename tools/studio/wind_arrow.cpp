#include "tools/studio/wind_arrow.h"

#include <algorithm>
#include <cmath>

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/LineWidth>
#include <osg/MatrixTransform>

#include "frame/map_frame.h"
#include "log/units.h"

namespace flightreplay::studio {

namespace {

constexpr double SLOWEST_SHOWN = 1.0;  // m/s: a calmer wind keeps this length
constexpr double FASTEST_SHOWN = 20.0;

// A unit arrow along +x from the origin, its head at x = 1.
osg::ref_ptr<osg::Geode> unitArrow()
{
    osg::ref_ptr<osg::Vec3Array> lines = new osg::Vec3Array;
    for (const auto& [a, b] : {std::pair{osg::Vec3(-0.5f, 0, 0), osg::Vec3(0.5f, 0, 0)},
                               std::pair{osg::Vec3(0.5f, 0, 0), osg::Vec3(0.3f, 0.12f, 0)},
                               std::pair{osg::Vec3(0.5f, 0, 0), osg::Vec3(0.3f, -0.12f, 0)}}) {
        lines->push_back(a);
        lines->push_back(b);
    }
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setVertexArray(lines.get());
    osg::ref_ptr<osg::Vec4Array> colour = new osg::Vec4Array;
    colour->push_back(WIND_ARROW_COLOUR);
    geometry->setColorArray(colour.get(), osg::Array::BIND_OVERALL);
    geometry->addPrimitiveSet(new osg::DrawArrays(GL_LINES, 0, static_cast<GLsizei>(lines->size())));
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(geometry.get());
    osg::StateSet* state = geode->getOrCreateStateSet();
    state->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    state->setAttribute(new osg::LineWidth(4.0f));
    return geode;
}

class FollowWind : public osg::NodeCallback {
public:
    explicit FollowWind(const StudioFlight& flight) : flight_(flight) {}

    void operator()(osg::Node* node, osg::NodeVisitor* nv) override
    {
        auto* transform = static_cast<osg::MatrixTransform*>(node);
        const FlightSample& now = flight_.now;
        const bool shown = std::isfinite(now.windSpeed) && std::isfinite(now.windDirection) && !now.linkLost;
        // The arrow itself is hidden, not this node: a node masked out
        // gets no update traversal to show it again.
        if (transform->getNumChildren() > 0)
            transform->getChild(0)->setNodeMask(shown ? ~0u : 0u);
        if (shown) {
            const double metres = 0.05 * flight_.chaseMetres * std::clamp(now.windSpeed, SLOWEST_SHOWN, FASTEST_SHOWN);
            const double length = metres * mapFrame.k;
            const osg::Vec3d towards = windHeading(now.windDirection);
            // Centred a little above the aircraft, where the model does not hide it.
            transform->setMatrix(osg::Matrix::scale(length, length, length)
                                 * osg::Matrix::rotate(std::atan2(towards.y(), towards.x()), osg::Vec3d(0, 0, 1))
                                 * osg::Matrix::translate(0, 0, 0.15 * flight_.chaseMetres * mapFrame.k));
        }
        traverse(node, nv);
    }

private:
    const StudioFlight& flight_;
};

} // namespace

osg::Vec3d windHeading(double fromDegrees)
{
    const double towards = (fromDegrees + 180.0) * RADIANS_PER_DEGREE;
    return osg::Vec3d(-std::cos(towards), std::sin(towards), 0.0);
}

osg::ref_ptr<osg::Node> buildWindArrow(const StudioFlight& flight)
{
    osg::ref_ptr<osg::MatrixTransform> arrow = new osg::MatrixTransform;
    arrow->setDataVariance(osg::Object::DYNAMIC);
    osg::ref_ptr<osg::Geode> shape = unitArrow();
    shape->setNodeMask(0);
    arrow->addChild(shape.get());
    arrow->setUpdateCallback(new FollowWind(flight));
    return arrow;
}

} // namespace flightreplay::studio
