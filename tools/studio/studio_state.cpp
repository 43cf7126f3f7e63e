#include "tools/studio/studio_state.h"

#include <algorithm>

namespace flightreplay::studio {

namespace {

constexpr const char* CAMERA_NAMES[CAMERA_MODE_COUNT] = {"chase", "cockpit", "orbit", "free", "top-down"};

} // namespace

const char* cameraName(CameraMode mode)
{
    return CAMERA_NAMES[static_cast<int>(mode)];
}

bool cameraFromName(const std::string& name, CameraMode& mode)
{
    if (name == "top") {
        mode = CameraMode::top;
        return true;
    }
    for (int i = 0; i < CAMERA_MODE_COUNT; ++i) {
        if (name == CAMERA_NAMES[i]) {
            mode = static_cast<CameraMode>(i);
            return true;
        }
    }
    return false;
}

void StudioState::settleOffsets()
{
    if (flights.empty())
        return;
    double first = flights.front().offset;
    for (const StudioFlight& f : flights)
        first = std::min(first, f.offset);
    double end = 0.0;
    for (StudioFlight& f : flights) {
        f.offset -= first;
        end = std::max(end, f.offset + f.sampler->duration());
    }
    const double time = clock.time() - first;
    clock.setDuration(end);
    clock.seek(time);
}

void StudioState::sampleFlights()
{
    for (size_t i = 0; i < flights.size(); ++i)
        flights[i].now = flights[i].sampler->sample(flightTime(i));
    if (selected < flights.size())
        now = flights[selected].now;
}

TrackColouring StudioState::nextColouring() const
{
    const int next = (static_cast<int>(colouring) + 1) % TRACK_COLOURING_COUNT;
    if (static_cast<TrackColouring>(next) == TrackColouring::field && trackField.empty())
        return TrackColouring::white;
    return static_cast<TrackColouring>(next);
}

void StudioState::startReviews()
{
    for (StudioFlight& f : flights)
        if (f.jobs)
            f.jobs->startReview();
}

void StudioState::waitForJobs()
{
    for (StudioFlight& f : flights)
        if (f.jobs)
            f.jobs->wait();
}

} // namespace flightreplay::studio
