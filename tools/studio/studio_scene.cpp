#include "tools/studio/studio_scene.h"

#include <cstdio>

#include <osg/Geode>
#include <osg/MatrixTransform>
#include <osg/NodeVisitor>

#include "frame/terrain.h"
#include "path/flight_track.h"
#include "scene/aircraft_model.h"
#include "scene/sky_dome.h"
#include "tools/studio/track_colours.h"

namespace flightreplay::studio {

namespace {

constexpr unsigned AIRCRAFT_CHILD = 3;

osg::Geometry* trackGeometryOf(osg::Group& track)
{
    auto* geode = track.getNumChildren() > 0 ? track.getChild(0)->asGeode() : nullptr;
    return geode && geode->getNumDrawables() > 0 ? geode->getDrawable(0)->asGeometry() : nullptr;
}

class StudioUpdate : public osg::NodeCallback {
public:
    StudioUpdate(StudioState& state, osg::MatrixTransform* aircraft, osg::Geometry* track)
        : state_(state), aircraft_(aircraft), track_(track)
    {
    }

    void operator()(osg::Node* node, osg::NodeVisitor* nv) override
    {
        const osg::FrameStamp* stamp = nv->getFrameStamp();
        if (stamp) {
            const double now = stamp->getReferenceTime();
            if (lastTime_ >= 0.0)
                state_.clock.advance(now - lastTime_);
            lastTime_ = now;
        }
        state_.now = sampleFlight(state_.timeline, state_.clock.time());
        aircraft_->setMatrix(osg::Matrix::rotate(state_.now.attitude) * osg::Matrix::translate(state_.now.position));

        if (track_ && state_.colouring != colouring_) {
            colourTrack(*track_, state_.timeline, state_.colouring);
            track_->dirtyGLObjects();
            colouring_ = state_.colouring;
        }
        if (state_.trace && state_.traceRequested) {
            const osg::Vec3d p = aircraft_->getMatrix().getTrans();
            std::printf("trace t=%.3f row=%d x=%.5f y=%.5f z=%.5f camera=%s paused=%d speed=%g loop=%d\n",
                        state_.clock.time(), state_.now.row, p.x(), p.y(), p.z(), cameraName(state_.camera),
                        state_.clock.paused() ? 1 : 0, state_.clock.speed(), state_.clock.loop() ? 1 : 0);
            std::fflush(stdout);
            state_.traceRequested = false;
        }
        traverse(node, nv);
    }

private:
    StudioState& state_;
    osg::ref_ptr<osg::MatrixTransform> aircraft_;
    osg::ref_ptr<osg::Geometry> track_;
    TrackColouring colouring_ = TrackColouring::white;
    double lastTime_ = -1.0;
};

} // namespace

osg::Group* buildStudioScene(StudioState& state)
{
    osg::ref_ptr<osg::Group> root = new osg::Group;
    root->getOrCreateStateSet()->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    root->addChild(buildTerrain());
    osg::ref_ptr<osg::Group> track = buildFlightTrack();
    root->addChild(track.get());
    root->addChild(buildSkyDome());

    osg::ref_ptr<osg::MatrixTransform> aircraft = new osg::MatrixTransform;
    aircraft->setDataVariance(osg::Object::DYNAMIC);
    osg::ref_ptr<osg::MatrixTransform> model = buildAircraftModel();
    if (model)
        aircraft->addChild(model.get());
    root->addChild(aircraft.get());

    osg::Geometry* trackGeometry = trackGeometryOf(*track);
    if (trackGeometry)
        trackGeometry->setDataVariance(osg::Object::DYNAMIC);
    root->setUpdateCallback(new StudioUpdate(state, aircraft.get(), trackGeometry));
    return root.release();
}

osg::MatrixTransform* aircraftTransformOf(osg::Group& root)
{
    return root.getNumChildren() > AIRCRAFT_CHILD ? dynamic_cast<osg::MatrixTransform*>(root.getChild(AIRCRAFT_CHILD))
                                                  : nullptr;
}

} // namespace flightreplay::studio
