#include "scene/aircraft_model.h"

#include <cmath>
#include <cstdio>

#include <osgDB/FileUtils>
#include <osgDB/ReadFile>
#include <osgUtil/Optimizer>

#include "frame/jpeg_header_check.h"
#include "frame/map_frame.h"
#include "log/console_report.h"
#include "scene/model_file_check.h"

namespace {

// The model reader reads the textures a model names by itself; each file
// passes the JPEG check first, as the tiles and the sky do, and one it turns
// away reads as an unreadable texture.
class CheckedTextures : public osgDB::ReadFileCallback {
public:
    osgDB::ReaderWriter::ReadResult readImage(const std::string& name, const osgDB::Options* options) override
    {
        const std::string path = osgDB::findDataFile(name, options);
        if (!path.empty() && !jpegHeaderFits(path))
            return osgDB::ReaderWriter::ReadResult::ERROR_IN_READING_FILE;
        return osgDB::ReadFileCallback::readImage(name, options);
    }
};

} // namespace

double aircraftScale(double k, float boundRadius)
{
    const double size = AIRCRAFT_RADIUS_METRES * k;
    if (!(boundRadius > 0.0f) || !std::isfinite(boundRadius))
        return 1.0;
    const double scale = size / boundRadius;
    return std::isfinite(scale) && scale > 0.0 ? scale : 1.0;
}

osg::ref_ptr<osgDB::Options> checkedModelOptions()
{
    const osgDB::Options* shared = osgDB::Registry::instance()->getOptions();
    osg::ref_ptr<osgDB::Options> options = shared ? shared->cloneOptions() : new osgDB::Options;
    options->setReadFileCallback(new CheckedTextures);
    return options;
}

osg::MatrixTransform* buildAircraftModel()
{
    const osg::ref_ptr<osgDB::Options> options = checkedModelOptions();
    osg::ref_ptr<osg::Node> model =
        acModelCountsFit(AIRCRAFT_MODEL_PATH) ? osgDB::readNodeFile(AIRCRAFT_MODEL_PATH, options.get()) : nullptr;
    if (!model) {
        report("Not found model '%s'\n", AIRCRAFT_MODEL_PATH);
        return nullptr;
    }
    const osg::BoundingSphere& bound = model->getBound();
    const double scale = aircraftScale(mapFrame.k, bound.valid() ? bound.radius() : 0.0f);

    osg::ref_ptr<osg::MatrixTransform> modelTransform = new osg::MatrixTransform;
    modelTransform->addChild(model.get());
    modelTransform->setMatrix(osg::Matrixd::scale(scale, scale, scale));
    modelTransform->getOrCreateStateSet()->setMode(GL_RESCALE_NORMAL, osg::StateAttribute::ON);

    osgUtil::Optimizer optimizer;
    optimizer.optimize(modelTransform.get());
    return modelTransform.release();
}
