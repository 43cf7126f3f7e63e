#include "scene/scene.h"

#include <osg/AnimationPath>
#include <osg/MatrixTransform>

#include "frame/terrain.h"
#include "path/animation_path.h"
#include "path/flight_track.h"
#include "scene/aircraft_model.h"
#include "scene/sky_dome.h"

osg::Group* assembleScene(const SceneParts& parts)
{
    osg::ref_ptr<osg::Group> root = new osg::Group;
    root->getOrCreateStateSet()->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    for (const osg::ref_ptr<osg::Node>& part : {parts.terrain, parts.track, parts.sky, parts.aircraft})
        if (part)
            root->addChild(part.get());
    return root.release();
}

osg::Group* buildScene()
{
    // The builders print as they go, so they run in the scene's order.
    SceneParts parts;
    parts.terrain = buildTerrain();
    parts.track = buildFlightTrack();
    parts.sky = buildSkyDome();

    osg::ref_ptr<osg::MatrixTransform> aircraftTransform = new osg::MatrixTransform;
    aircraftTransform->setUpdateCallback(new osg::AnimationPathCallback(buildAnimationPath(), 0.0, 1.0));
    osg::ref_ptr<osg::MatrixTransform> modelTransform = buildAircraftModel();
    if (modelTransform)
        aircraftTransform->addChild(modelTransform.get());
    parts.aircraft = aircraftTransform;
    return assembleScene(parts);
}
