#include "scene/aircraft_model.h"

#include <cmath>
#include <cstdio>

#include <osgDB/ReadFile>
#include <osgUtil/Optimizer>

#include "frame/map_frame.h"
#include "log/console_report.h"
#include "scene/model_file_check.h"

double aircraftScale(double k, float boundRadius)
{
    const double size = AIRCRAFT_RADIUS_METRES * k;
    if (!(boundRadius > 0.0f) || !std::isfinite(boundRadius))
        return 1.0;
    const double scale = size / boundRadius;
    return std::isfinite(scale) && scale > 0.0 ? scale : 1.0;
}

osg::MatrixTransform* buildAircraftModel()
{
    osg::ref_ptr<osg::Node> model = acModelCountsFit(AIRCRAFT_MODEL_PATH)
        ? osgDB::readNodeFile(AIRCRAFT_MODEL_PATH, osgDB::Registry::instance()->getOptions())
        : nullptr;
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
