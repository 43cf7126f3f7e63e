#include <cmath>

#include <gtest/gtest.h>
#include <osg/Geode>
#include <osg/Shape>
#include <osg/ShapeDrawable>
#include <osg/Viewport>
#include <osgUtil/CullVisitor>
#include <osgUtil/RenderStage>
#include <osgUtil/StateGraph>

#include "tools/assets/minimum_screen_size.h"

using namespace flightreplay;

namespace {

// Records the scale of the model-view matrix the model is culled under.
class ScaleProbe : public osg::NodeCallback {
public:
    void operator()(osg::Node* node, osg::NodeVisitor* visitor) override
    {
        auto* cull = static_cast<osgUtil::CullVisitor*>(visitor);
        scale = osg::Matrix::transform3x3(osg::Vec3d(1, 0, 0), *cull->getModelViewMatrix()).length();
        traverse(node, visitor);
    }
    double scale = 0.0;
};

// Culls `node` for a 800 x 600 view with a 30 degree field of view from a
// camera `distance` metres away along +z; returns the probe's scale.
double cullScaleAt(osg::Node* node, ScaleProbe& probe, double distance)
{
    osg::ref_ptr<osgUtil::CullVisitor> cull = new osgUtil::CullVisitor;
    osg::ref_ptr<osgUtil::StateGraph> graph = new osgUtil::StateGraph;
    osg::ref_ptr<osgUtil::RenderStage> stage = new osgUtil::RenderStage;
    cull->setStateGraph(graph.get());
    cull->setRenderStage(stage.get());
    osg::ref_ptr<osg::Viewport> viewport = new osg::Viewport(0, 0, 800, 600);
    cull->pushViewport(viewport.get());
    cull->pushProjectionMatrix(new osg::RefMatrix(osg::Matrix::perspective(30.0, 800.0 / 600.0, 0.1, 10000.0)));
    cull->pushModelViewMatrix(new osg::RefMatrix(osg::Matrix::lookAt(osg::Vec3d(0, 0, distance), osg::Vec3d(),
                                                                      osg::Vec3d(0, 1, 0))),
                              osg::Transform::ABSOLUTE_RF);
    probe.scale = 0.0;
    node->accept(*cull);
    return probe.scale;
}

} // namespace

// A model of bounding radius r spans 600 / (2 tan 15 deg) * 2r / d pixels
// across at d metres (r = 0.35 m for a 0.2 m sphere's box: about 78 px at
// 10 m). Asked for 40 px it keeps its size there and nearer, and is scaled
// up in proportion to the distance beyond.
TEST(MinimumScreenSize, ScalesUpOnlyWhenSmall)
{
    osg::ref_ptr<osg::Geode> model = new osg::Geode;
    model->addDrawable(new osg::ShapeDrawable(new osg::Sphere(osg::Vec3(), 0.2f)));
    osg::ref_ptr<ScaleProbe> probe = new ScaleProbe;
    model->setCullCallback(probe.get());
    osg::ref_ptr<osg::Node> kept = assets::keepMinimumScreenSize(model.get(), 40.0);

    const double pixelsPerMetreAtOne = 600.0 / (2.0 * std::tan(osg::DegreesToRadians(15.0)));
    const double radius = model->getBound().radius();
    const double realSizeUpTo = 2.0 * radius * pixelsPerMetreAtOne / 40.0; // metres
    const struct {
        double distance;
        double scale;
    } cases[] = {{2.0, 1.0}, {10.0, 1.0}, {100.0, 100.0 / realSizeUpTo}, {1000.0, 1000.0 / realSizeUpTo}};
    for (const auto& c : cases) {
        EXPECT_NEAR(cullScaleAt(kept.get(), *probe, c.distance), c.scale, 0.01 * c.scale) << c.distance;
    }
    // Any other visitor sees the real size.
    EXPECT_NEAR(kept->getBound().radius(), radius, 1e-6);
}
