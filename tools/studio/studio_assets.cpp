#include "tools/studio/studio_assets.h"

#include <algorithm>

#include <osg/Geode>
#include <osg/MatrixTransform>
#include <osg/Notify>
#include <osg/ShapeDrawable>
#include <osgDB/FileUtils>
#include <osgDB/ReadFile>

#include "frame/jpeg_header_check.h"
#include "frame/map_frame.h"
#include "scene/aircraft_model.h"
#include "scene/sky_dome.h"
#include "tools/common/tool_error.h"
#include "tools/demo_data/sky_image.h"

namespace flightreplay::studio {

namespace {

// The folder's files are optional here: a missing one gets a note of ours,
// not the reader's line.
class QuietReaders {
public:
    QuietReaders() : saved_(osg::getNotifyLevel()) { osg::setNotifyLevel(osg::FATAL); }
    ~QuietReaders() { osg::setNotifyLevel(saved_); }
    QuietReaders(const QuietReaders&) = delete;
    QuietReaders& operator=(const QuietReaders&) = delete;

private:
    osg::NotifySeverity saved_;
};

constexpr double CHASE_METRES_PER_RADIUS_METRE = 70.0 / AIRCRAFT_RADIUS_METRES;
constexpr double CHASE_MIN_METRES = 8.0;

osg::ref_ptr<osg::Node> scaledToAircraftSize(osg::Node* model)
{
    const osg::BoundingSphere& bound = model->getBound();
    const double scale = aircraftScale(mapFrame.k, bound.valid() ? bound.radius() : 0.0f);
    osg::ref_ptr<osg::MatrixTransform> transform = new osg::MatrixTransform(osg::Matrixd::scale(scale, scale, scale));
    transform->addChild(model);
    transform->getOrCreateStateSet()->setMode(GL_RESCALE_NORMAL, osg::StateAttribute::ON);
    return transform;
}

void addBox(osg::Geode& geode, const osg::Vec3& centre, const osg::Vec3& size, const osg::Vec4& colour)
{
    osg::ref_ptr<osg::ShapeDrawable> box = new osg::ShapeDrawable(new osg::Box(centre, size.x(), size.y(), size.z()));
    box->setColor(colour);
    geode.addDrawable(box.get());
}

// A plain aircraft of boxes, metres, nose along -x, top along +y, left
// wing along +z: enough to show position and attitude.
osg::ref_ptr<osg::Node> standInModel()
{
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    const osg::Vec4 body(0.95f, 0.45f, 0.1f, 1.0f);
    const osg::Vec4 wing(0.92f, 0.92f, 0.92f, 1.0f);
    const osg::Vec4 tail(0.75f, 0.2f, 0.1f, 1.0f);
    addBox(*geode, osg::Vec3(0.0f, 0.0f, 0.0f), osg::Vec3(1.2f, 0.14f, 0.14f), body);
    addBox(*geode, osg::Vec3(-0.1f, 0.06f, 0.0f), osg::Vec3(0.28f, 0.03f, 1.6f), wing);
    addBox(*geode, osg::Vec3(0.52f, 0.02f, 0.0f), osg::Vec3(0.16f, 0.02f, 0.5f), wing);
    addBox(*geode, osg::Vec3(0.54f, 0.14f, 0.0f), osg::Vec3(0.16f, 0.26f, 0.02f), tail);
    return geode;
}

} // namespace

osg::ref_ptr<osg::Node> vehicleModelFor(const flight::Flight&, const std::string& modelOption, std::string& note)
{
    if (!modelOption.empty() && osgDB::fileExists(modelOption)) {
        osg::ref_ptr<osg::Node> model = osgDB::readNodeFile(modelOption);
        if (!model)
            throw tools::ToolError("--model " + modelOption + ": no model OpenSceneGraph can read");
        return scaledToAircraftSize(model.get());
    }
    // Several flights share one model: read once, the node has many parents,
    // and kept for the process (a static ref_ptr would be released after
    // OSG's own statics at exit).
    static osg::Node* const folderModel = [] {
        const QuietReaders quiet;
        osg::Node* model = buildAircraftModel();
        if (model)
            model->ref();
        return model;
    }();
    if (folderModel)
        return folderModel;
    note = std::string("no aircraft model in this folder (") + AIRCRAFT_MODEL_PATH + "): a built-in stand-in";
    static osg::Node* const standIn = [] {
        osg::Node* model = scaledToAircraftSize(standInModel().get()).release();
        model->ref();
        return model;
    }();
    return standIn;
}

double chaseDistanceFor(const osg::Node* model)
{
    if (!model || !model->getBound().valid() || !(mapFrame.k > 0.0))
        return AIRCRAFT_RADIUS_METRES * CHASE_METRES_PER_RADIUS_METRE;
    const double radiusMetres = model->getBound().radius() / mapFrame.k;
    return std::max(radiusMetres * CHASE_METRES_PER_RADIUS_METRE, CHASE_MIN_METRES);
}

osg::ref_ptr<osg::Image> skyImageFor(std::string& note)
{
    const QuietReaders quiet;
    osg::ref_ptr<osg::Image> image = jpegHeaderFits(SKY_IMAGE_PATH)
                                         ? osgDB::readImageFile(SKY_IMAGE_PATH, osgDB::Registry::instance()->getOptions())
                                         : nullptr;
    if (image)
        return image;
    note = std::string("no sky picture in this folder (") + SKY_IMAGE_PATH + "): the built-in sky";
    return demo::makeSkyImage();
}

} // namespace flightreplay::studio
