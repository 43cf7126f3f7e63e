#include "tools/studio/studio_keys.h"

#include <cmath>

#include <osgViewer/View>

#include "frame/map_frame.h"
#include "tools/studio/studio_scene.h"
#include "tools/studio/window_pick.h"
#include <osgViewer/ViewerBase>

namespace flightreplay::studio {

namespace {

constexpr double SHORT_SEEK = 5.0;
constexpr double LONG_SEEK = 60.0;
constexpr double PICK_PIXELS = 30.0;

} // namespace

int flightAtWindowPoint(const StudioState& state, const osg::Matrixd& worldToWindow, double x, double y,
                        double radius)
{
    int best = -1;
    double bestDistance = radius;
    for (size_t i = 0; i < state.flights.size(); ++i) {
        const osg::Vec3d at = state.flights[i].now.position;
        const osg::Vec3d label = at + osg::Vec3d(0, 0, LABEL_ABOVE_METRES * mapFrame.k);
        for (const osg::Vec3d& point : {at, label}) {
            const double distance = windowDistance(point, worldToWindow, x, y);
            if (distance <= bestDistance) {
                bestDistance = distance;
                best = static_cast<int>(i);
            }
        }
    }
    return best;
}

bool StudioKeys::handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa)
{
    if (ea.getHandled())
        return false;
    if (ea.getEventType() == osgGA::GUIEventAdapter::PUSH
        && ea.getButton() == osgGA::GUIEventAdapter::LEFT_MOUSE_BUTTON && state_.flights.size() > 1) {
        auto* view = dynamic_cast<osgViewer::View*>(&aa);
        osg::Matrixd worldToWindow;
        if (!worldToWindowOf(view ? view->getCamera() : nullptr, worldToWindow))
            return false;
        const int picked = flightAtWindowPoint(state_, worldToWindow, ea.getX(), ea.getY(), PICK_PIXELS);
        if (picked < 0)
            return false;
        state_.selected = static_cast<size_t>(picked);
        state_.traceRequested = true;
        return true;
    }
    if (ea.getEventType() != osgGA::GUIEventAdapter::KEYDOWN)
        return false;
    FlightClock& clock = state_.clock;
    const bool shift = (ea.getModKeyMask() & osgGA::GUIEventAdapter::MODKEY_SHIFT) != 0;
    const int key = ea.getKey();
    switch (key) {
    case ' ':
        clock.togglePause();
        break;
    case '[':
        clock.slower();
        break;
    case ']':
        clock.faster();
        break;
    case osgGA::GUIEventAdapter::KEY_Left:
    case osgGA::GUIEventAdapter::KEY_KP_Left:
        clock.seekBy(shift ? -LONG_SEEK : -SHORT_SEEK);
        break;
    case osgGA::GUIEventAdapter::KEY_Right:
    case osgGA::GUIEventAdapter::KEY_KP_Right:
        clock.seekBy(shift ? LONG_SEEK : SHORT_SEEK);
        break;
    case osgGA::GUIEventAdapter::KEY_Home:
    case osgGA::GUIEventAdapter::KEY_KP_Home:
        clock.seek(0.0);
        break;
    case osgGA::GUIEventAdapter::KEY_End:
    case osgGA::GUIEventAdapter::KEY_KP_End:
        clock.seek(clock.duration());
        break;
    case 'l':
    case 'L':
        clock.setLoop(!clock.loop());
        break;
    case 'c':
    case 'C':
        state_.colouring = state_.nextColouring();
        break;
    case 'g':
    case 'G':
        state_.dropLines = !state_.dropLines;
        break;
    case 'm':
    case 'M':
        state_.showPlan = !state_.showPlan;
        break;
    case osgGA::GUIEventAdapter::KEY_Tab:
        state_.showPanels = !state_.showPanels;
        break;
    case osgGA::GUIEventAdapter::KEY_Escape: {
        auto* view = dynamic_cast<osgViewer::View*>(&aa);
        if (view && view->getViewerBase())
            view->getViewerBase()->setDone(true);
        break;
    }
    default:
        if (key >= '1' && key < '1' + CAMERA_MODE_COUNT) {
            state_.camera = static_cast<CameraMode>(key - '1');
            break;
        }
        return false;
    }
    state_.traceRequested = true;
    return true;
}

} // namespace flightreplay::studio
