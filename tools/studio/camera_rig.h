#pragma once
// The studio's cameras as one camera manipulator: chase, cockpit, orbit and
// top-down follow the aircraft in state.now; free hands over to the
// library's trackball manipulator, starting from the view of the moment.

#include <osgGA/CameraManipulator>
#include <osgGA/TrackballManipulator>

#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

class CameraRig : public osgGA::CameraManipulator {
public:
    // The rig follows state.camera; the state must outlive the rig.
    explicit CameraRig(StudioState& state);

    const char* className() const override { return "CameraRig"; }

    // Computes the view for state.now and state.camera; called by the viewer
    // after the update traversal of every frame.
    void updateCamera(osg::Camera& camera) override;

    void setByMatrix(const osg::Matrixd& matrix) override;
    void setByInverseMatrix(const osg::Matrixd& matrix) override;
    osg::Matrixd getMatrix() const override;
    osg::Matrixd getInverseMatrix() const override;
    void setNode(osg::Node* node) override;
    osg::Node* getNode() override;
    const osg::Node* getNode() const override;
    void home(double) override {}
    void home(const osgGA::GUIEventAdapter&, osgGA::GUIActionAdapter&) override {}

    // Mouse drag turns the orbit and scroll zooms orbit and top-down; in free
    // mode every event goes to the trackball.
    bool handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& us) override;

private:
    osg::Matrixd followView(double flightStep);
    void enter(CameraMode mode);

    StudioState& state_;
    osg::ref_ptr<osgGA::TrackballManipulator> trackball_;
    CameraMode mode_;
    osg::Matrixd view_;         // inverse camera matrix: world to eye
    bool started_ = false;
    double flightTime_ = 0.0;   // clock time of the last view
    double chaseHeading_ = 0.0; // smoothed heading, radians counter-clockwise from east
    double orbitAzimuth_ = 0.0; // radians in the scene's x-y plane
    double orbitElevation_ = 0.35;
    double orbitMetres_ = 120.0;
    double topMetres_ = 350.0;
    float dragX_ = 0.0f;
    float dragY_ = 0.0f;
};

} // namespace flightreplay::studio
