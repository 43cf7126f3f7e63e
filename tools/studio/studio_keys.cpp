#include "tools/studio/studio_keys.h"

#include <osgViewer/View>
#include <osgViewer/ViewerBase>

namespace flightreplay::studio {

namespace {

constexpr double SHORT_SEEK = 5.0;
constexpr double LONG_SEEK = 60.0;

} // namespace

bool StudioKeys::handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa)
{
    if (ea.getEventType() != osgGA::GUIEventAdapter::KEYDOWN || ea.getHandled())
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
        state_.colouring = static_cast<TrackColouring>((static_cast<int>(state_.colouring) + 1) % 3);
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
