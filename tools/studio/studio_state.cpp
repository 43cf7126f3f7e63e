#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

namespace {

constexpr const char* CAMERA_NAMES[CAMERA_MODE_COUNT] = {"chase", "cockpit", "orbit", "free", "top"};

} // namespace

const char* cameraName(CameraMode mode)
{
    return CAMERA_NAMES[static_cast<int>(mode)];
}

bool cameraFromName(const std::string& name, CameraMode& mode)
{
    for (int i = 0; i < CAMERA_MODE_COUNT; ++i) {
        if (name == CAMERA_NAMES[i]) {
            mode = static_cast<CameraMode>(i);
            return true;
        }
    }
    return false;
}

} // namespace flightreplay::studio
