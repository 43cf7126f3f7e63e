#include "tools/studio/camera_rig.h"

#include <algorithm>
#include <cmath>

#include "frame/map_frame.h"
#include "log/units.h"

namespace flightreplay::studio {

namespace {

constexpr double CHASE_AIM_ABOVE_PER_BEHIND = 3.0 / 70.0;
constexpr double CHASE_ABOVE_PER_BEHIND = 22.0 / 70.0;
constexpr double CHASE_SETTLE_SECONDS = 1.2; // flight seconds to follow a turn
constexpr double COCKPIT_AHEAD_METRES = 13.0;
constexpr double COCKPIT_ABOVE_METRES = 2.5;

osg::Vec3d headingDirection(double heading)
{
    return osg::Vec3d(-std::sin(heading), std::cos(heading), 0.0);
}

double metres(double m)
{
    return m * mapFrame.k;
}

} // namespace

CameraRig::CameraRig(StudioState& state)
    : state_(state), trackball_(new osgGA::TrackballManipulator), mode_(state.camera)
{
}

void CameraRig::enter(CameraMode mode)
{
    const osg::Matrixd eyeMatrix = osg::Matrixd::inverse(view_);
    const osg::Vec3d eye = eyeMatrix.getTrans();
    const osg::Vec3d offset = eye - state_.now.position;
    if (mode == CameraMode::orbit && offset.length() > 0.0 && mapFrame.k > 0.0) {
        orbitMetres_ = std::clamp(offset.length() / mapFrame.k, 5.0, 20000.0);
        orbitAzimuth_ = std::atan2(offset.y(), offset.x());
        orbitElevation_ = std::clamp(std::asin(offset.z() / offset.length()), -1.4, 1.5);
    } else if (mode == CameraMode::free) {
        trackball_->setDistance(std::max(offset.length(), metres(5.0)));
        trackball_->setByMatrix(eyeMatrix);
    }
    mode_ = mode;
}

osg::Matrixd CameraRig::followView(double flightStep)
{
    const FlightSample& now = state_.now;
    const osg::Vec3d up(0, 0, 1);
    const double heading = logHeadingOfCompass(now.modelYaw);
    const double behind = state_.flights.empty() ? 70.0 : state_.selectedFlight().chaseMetres;
    switch (mode_) {
    case CameraMode::chase: {
        // A long step (a seek, a fast replay) brings the camera round at once.
        if (!started_)
            chaseHeading_ = heading;
        else
            chaseHeading_ = interpolateAngle(chaseHeading_, heading,
                                             1.0 - std::exp(-std::fabs(flightStep) / CHASE_SETTLE_SECONDS));
        const osg::Vec3d eye = now.position - headingDirection(chaseHeading_) * metres(behind)
                               + up * metres(behind * CHASE_ABOVE_PER_BEHIND);
        // Aimed a little above the aircraft, in proportion to the distance, so
        // that a small model keeps the ground in view.
        return osg::Matrixd::lookAt(eye, now.position + up * metres(behind * CHASE_AIM_ABOVE_PER_BEHIND), up);
    }
    case CameraMode::cockpit: {
        // The model's nose points along -x and its top along +y.
        const osg::Vec3d forward = now.attitude * osg::Vec3d(-1, 0, 0);
        const osg::Vec3d top = now.attitude * osg::Vec3d(0, 1, 0);
        const osg::Vec3d eye = now.position + forward * metres(COCKPIT_AHEAD_METRES) + top * metres(COCKPIT_ABOVE_METRES);
        return osg::Matrixd::lookAt(eye, eye + forward, top);
    }
    case CameraMode::orbit: {
        const osg::Vec3d offset(std::cos(orbitElevation_) * std::cos(orbitAzimuth_),
                                std::cos(orbitElevation_) * std::sin(orbitAzimuth_), std::sin(orbitElevation_));
        return osg::Matrixd::lookAt(now.position + offset * metres(orbitMetres_), now.position, up);
    }
    case CameraMode::top:
        // North (-x) at the top of the picture.
        return osg::Matrixd::lookAt(now.position + up * metres(topMetres_), now.position, osg::Vec3d(-1, 0, 0));
    case CameraMode::free:
        break;
    }
    return trackball_->getInverseMatrix();
}

void CameraRig::updateCamera(osg::Camera& camera)
{
    // Every camera starts from the chase view, so that orbit and free open
    // on the aircraft too.
    if (!started_) {
        mode_ = CameraMode::chase;
        view_ = followView(0.0);
        started_ = true;
    }
    if (state_.camera != mode_)
        enter(state_.camera);
    const double step = state_.clock.time() - flightTime_;
    flightTime_ = state_.clock.time();
    view_ = mode_ == CameraMode::free ? trackball_->getInverseMatrix() : followView(step);
    camera.setViewMatrix(view_);
}

void CameraRig::setByMatrix(const osg::Matrixd& matrix)
{
    view_ = osg::Matrixd::inverse(matrix);
    trackball_->setByMatrix(matrix);
}

void CameraRig::setByInverseMatrix(const osg::Matrixd& matrix)
{
    setByMatrix(osg::Matrixd::inverse(matrix));
}

osg::Matrixd CameraRig::getMatrix() const
{
    return osg::Matrixd::inverse(view_);
}

osg::Matrixd CameraRig::getInverseMatrix() const
{
    return view_;
}

void CameraRig::setNode(osg::Node* node)
{
    trackball_->setNode(node);
}

osg::Node* CameraRig::getNode()
{
    return trackball_->getNode();
}

const osg::Node* CameraRig::getNode() const
{
    return trackball_->getNode();
}

bool CameraRig::handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& us)
{
    if (mode_ == CameraMode::free)
        return trackball_->handle(ea, us);
    if (ea.getHandled())
        return false;
    switch (ea.getEventType()) {
    case osgGA::GUIEventAdapter::PUSH:
        dragX_ = ea.getXnormalized();
        dragY_ = ea.getYnormalized();
        return mode_ == CameraMode::orbit;
    case osgGA::GUIEventAdapter::DRAG:
        if (mode_ == CameraMode::orbit) {
            const float dx = ea.getXnormalized() - dragX_;
            const float dy = ea.getYnormalized() - dragY_;
            dragX_ = ea.getXnormalized();
            dragY_ = ea.getYnormalized();
            if (ea.getButtonMask() & osgGA::GUIEventAdapter::RIGHT_MOUSE_BUTTON) {
                orbitMetres_ = std::clamp(orbitMetres_ * std::exp(-dy), 5.0, 20000.0);
            } else {
                orbitAzimuth_ -= dx * 2.0;
                orbitElevation_ = std::clamp(orbitElevation_ - dy * 1.5, -1.4, 1.5);
            }
            return true;
        }
        return false;
    case osgGA::GUIEventAdapter::SCROLL: {
        const bool closer = ea.getScrollingMotion() == osgGA::GUIEventAdapter::SCROLL_UP;
        const double factor = closer ? 1.0 / 1.15 : 1.15;
        if (mode_ == CameraMode::orbit)
            orbitMetres_ = std::clamp(orbitMetres_ * factor, 5.0, 20000.0);
        else if (mode_ == CameraMode::top)
            topMetres_ = std::clamp(topMetres_ * factor, 30.0, 20000.0);
        else
            return false;
        return true;
    }
    default:
        return false;
    }
}

} // namespace flightreplay::studio
