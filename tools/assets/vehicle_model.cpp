#include "tools/assets/vehicle_model.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include <osg/Group>
#include <osgDB/FileNameUtils>
#include <osgDB/ReadFile>
#include <osgDB/Registry>

#include "frame/jpeg_header_check.h"
#include "scene/aircraft_model.h"
#include "scene/model_file_check.h"
#include "tools/assets/installed_path.h"
#include "tools/assets/vehicle_models.h"
#include "tools/assets/vehicle_type.h"

namespace flightreplay::assets {

namespace {

constexpr double QUAD_RADIUS = 0.31;
constexpr double QUAD_CHASE = 5.0;
constexpr double TRAINER_RADIUS = 0.76;
constexpr double TRAINER_CHASE = 73.0;

// The AC3D reader aborts on some malformed counts and the JPEG reader
// allocates whatever a header declares: the checks turn such files away.
osg::ref_ptr<osg::Node> readCheckedModel(const std::string& path)
{
    const std::string extension = osgDB::getLowerCaseFileExtension(path);
    if (extension == "ac" && !acModelCountsFit(path))
        return nullptr;
    if ((extension == "jpg" || extension == "jpeg") && !jpegHeaderFits(path))
        return nullptr;
    return osgDB::readRefNodeFile(path, checkedModelOptions().get());
}

osg::ref_ptr<osg::Node> generatedModel(flight::VehicleType type)
{
    osgDB::ReaderWriter* reader = osgDB::Registry::instance()->getReaderWriterForExtension("ac");
    if (reader) {
        std::istringstream text(acModelText(vehicleModel(type)));
        osgDB::ReaderWriter::ReadResult result = reader->readNode(text, checkedModelOptions().get());
        if (result.validNode())
            return result.getNode();
    }
    return new osg::Group;
}

} // namespace

osg::ref_ptr<osg::Node> loadVehicleModel(flight::VehicleType type, const std::string& file)
{
    if (!file.empty()) {
        if (osg::ref_ptr<osg::Node> model = readCheckedModel(file))
            return model;
        std::fprintf(stderr, "%s: not a model OpenSceneGraph can read; drawing the built-in %s\n", file.c_str(),
                     vehicleTypeName(type));
    }
    const std::string installed = installedAssetPath(vehicleModelFile(type));
    if (!installed.empty())
        if (osg::ref_ptr<osg::Node> model = readCheckedModel(installed))
            return model;
    return generatedModel(type);
}

double modelRadius(const osg::Node& model)
{
    const osg::BoundingSphere& bound = model.getBound();
    return bound.valid() && std::isfinite(bound.radius()) ? bound.radius() : 0.0;
}

double chaseDistanceFor(double radiusMetres)
{
    if (!(radiusMetres > 0.0) || !std::isfinite(radiusMetres))
        return TRAINER_CHASE;
    if (radiusMetres <= QUAD_RADIUS)
        return QUAD_CHASE * radiusMetres / QUAD_RADIUS;
    if (radiusMetres >= TRAINER_RADIUS)
        return TRAINER_CHASE * radiusMetres / TRAINER_RADIUS;
    const double f = std::log(radiusMetres / QUAD_RADIUS) / std::log(TRAINER_RADIUS / QUAD_RADIUS);
    return QUAD_CHASE * std::pow(TRAINER_CHASE / QUAD_CHASE, f);
}

} // namespace flightreplay::assets
