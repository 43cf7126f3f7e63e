#include "tools/studio/studio_assets.h"

#include <algorithm>
#include <map>
#include <utility>

#include <osg/MatrixTransform>
#include <osg/Notify>
#include <osgDB/FileUtils>
#include <osgDB/ReadFile>

#include "frame/jpeg_header_check.h"
#include "frame/map_frame.h"
#include "scene/aircraft_model.h"
#include "scene/sky_dome.h"
#include "tools/common/tool_error.h"
#include "tools/assets/minimum_screen_size.h"
#include "tools/assets/sky_picture.h"
#include "tools/assets/vehicle_model.h"
#include "tools/assets/vehicle_type.h"

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

// A model drawn at its real size stays at least this many pixels across, so
// that a 40 cm quad can be seen from the chase camera.
constexpr double MINIMUM_MODEL_PIXELS = 28.0;
// The replay's chase distance for its own aircraft size, and the farthest a
// big model (a 15 m glider) is chased from, so that it still fills a good
// part of the picture.
constexpr double REPLAY_CHASE_METRES = 70.0;
constexpr double MAX_CHASE_METRES = 90.0;

osg::ref_ptr<osg::Node> scaledToAircraftSize(osg::Node* model)
{
    const osg::BoundingSphere& bound = model->getBound();
    const double scale = aircraftScale(mapFrame.k, bound.valid() ? bound.radius() : 0.0f);
    osg::ref_ptr<osg::MatrixTransform> transform = new osg::MatrixTransform(osg::Matrixd::scale(scale, scale, scale));
    transform->addChild(model);
    transform->getOrCreateStateSet()->setMode(GL_RESCALE_NORMAL, osg::StateAttribute::ON);
    return transform;
}

// A model in metres at its real size in scene units, never smaller on
// screen than MINIMUM_MODEL_PIXELS.
osg::ref_ptr<osg::Node> atRealSize(osg::Node* metresModel)
{
    osg::ref_ptr<osg::MatrixTransform> transform =
        new osg::MatrixTransform(osg::Matrixd::scale(mapFrame.k, mapFrame.k, mapFrame.k));
    transform->addChild(metresModel);
    transform->getOrCreateStateSet()->setMode(GL_RESCALE_NORMAL, osg::StateAttribute::ON);
    return assets::keepMinimumScreenSize(transform.get(), MINIMUM_MODEL_PIXELS);
}

// Models read once for the process: several flights share one, and they
// outlive OSG's own statics at exit (hence no static ref_ptr).
osg::Node* keptForTheProcess(osg::ref_ptr<osg::Node> model)
{
    osg::Node* node = model.release();
    if (node)
        node->ref();
    return node;
}

osg::Node* folderModel()
{
    static osg::Node* const model = [] {
        const QuietReaders quiet;
        return keptForTheProcess(buildAircraftModel());
    }();
    return model;
}

// The built-in model of a type (or a model file) in metres.
osg::Node* metresModel(flight::VehicleType type, const std::string& file)
{
    static std::map<std::pair<int, std::string>, osg::Node*> models;
    osg::Node*& model = models[{static_cast<int>(type), file}];
    if (!model)
        model = keptForTheProcess(assets::loadVehicleModel(type, file));
    return model;
}

} // namespace

osg::ref_ptr<osg::Node> vehicleModelFor(const flight::Flight& flight, const std::string& modelOption, std::string& note)
{
    flight::VehicleType type = assets::vehicleTypeOf(flight);
    if (!modelOption.empty()) {
        if (assets::parseVehicleType(modelOption, type))
            return atRealSize(metresModel(type, ""));
        if (!osgDB::fileExists(modelOption))
            throw tools::ToolError("--model " + modelOption
                                   + ": neither a vehicle type (fixed-wing, multicopter, helicopter, glider, vtol, "
                                     "ground, generic) nor a model file");
        const QuietReaders quiet;
        if (!osgDB::readNodeFile(modelOption))
            throw tools::ToolError("--model " + modelOption + ": no model OpenSceneGraph can read");
        return atRealSize(metresModel(type, modelOption));
    }
    // The folder's model is the one the replay draws, at the replay's size.
    if (osg::Node* model = folderModel())
        return scaledToAircraftSize(model);
    note = std::string("no aircraft model in this folder (") + AIRCRAFT_MODEL_PATH + "): the built-in "
           + assets::vehicleTypeName(type) + " model";
    return atRealSize(metresModel(type, ""));
}

double chaseDistanceFor(const osg::Node* model)
{
    if (!model || !model->getBound().valid() || !(mapFrame.k > 0.0))
        return REPLAY_CHASE_METRES;
    const double radiusMetres = model->getBound().radius() / mapFrame.k;
    if (radiusMetres >= 0.99 * AIRCRAFT_RADIUS_METRES)
        return REPLAY_CHASE_METRES;
    return std::min(assets::chaseDistanceFor(radiusMetres), MAX_CHASE_METRES);
}

osg::ref_ptr<osg::Image> skyImageFor(std::string& note)
{
    {
        const QuietReaders quiet;
        osg::ref_ptr<osg::Image> image =
            jpegHeaderFits(SKY_IMAGE_PATH)
                ? osgDB::readImageFile(SKY_IMAGE_PATH, osgDB::Registry::instance()->getOptions())
                : nullptr;
        if (image)
            return image;
    }
    note = std::string("no sky picture in this folder (") + SKY_IMAGE_PATH + "): the built-in sky";
    return assets::loadSkyImage();
}

} // namespace flightreplay::studio
