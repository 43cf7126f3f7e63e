#pragma once
// How far a point of the scene lands from a place in the window, for picking
// what a click meant.

#include <cmath>
#include <limits>

#include <osg/Camera>
#include <osg/Matrixd>
#include <osg/Vec3d>
#include <osg/Vec4d>

namespace flightreplay::studio {

// The camera's world-to-window transform; false without a camera or a
// viewport (a click before the first frame).
inline bool worldToWindowOf(const osg::Camera* camera, osg::Matrixd& worldToWindow)
{
    if (!camera || !camera->getViewport())
        return false;
    worldToWindow = camera->getViewMatrix() * camera->getProjectionMatrix() * camera->getViewport()->computeWindowMatrix();
    return true;
}

// Pixels between the window point (x, y) and where the world point is drawn;
// infinite where the point lies behind the eye.
inline double windowDistance(const osg::Vec3d& point, const osg::Matrixd& worldToWindow, double x, double y)
{
    const osg::Vec4d clip = osg::Vec4d(point, 1.0) * worldToWindow;
    if (!(clip.w() > 0.0))
        return std::numeric_limits<double>::infinity();
    return std::hypot(clip.x() / clip.w() - x, clip.y() / clip.w() - y);
}

} // namespace flightreplay::studio
