#include "scene/scene.h"

#include <osg/AnimationPath>
#include <osg/MatrixTransform>

#include "frame/terrain.h"
#include "path/animation_path.h"
#include "path/flight_track.h"
#include "scene/aircraft_model.h"
#include "scene/sky_dome.h"

osg::Group* buildScene()
{
    osg::ref_ptr<osg::Group> root = new osg::Group;
    root->getOrCreateStateSet()->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    root->addChild(buildTerrain());
    root->addChild(buildFlightTrack());
    root->addChild(buildSkyDome());

    osg::ref_ptr<osg::MatrixTransform> aircraftTransform = new osg::MatrixTransform;
    aircraftTransform->setUpdateCallback(new osg::AnimationPathCallback(buildAnimationPath(), 0.0, 1.0));
    osg::ref_ptr<osg::MatrixTransform> modelTransform = buildAircraftModel();
    if (modelTransform)
        aircraftTransform->addChild(modelTransform.get());
    root->addChild(aircraftTransform.get());
    return root.release();
}
