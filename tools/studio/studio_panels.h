#pragma once
// The studio's panels, drawn with Dear ImGui each frame: instruments with an
// artificial horizon, view choices with the track legend, plots of the whole
// flight and the timeline along the bottom. Clicks seek the state's clock.

#include <vector>

#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

class StudioPanels {
public:
    // Samples the plots' curves once over the state's timeline; the state
    // must outlive the panels.
    explicit StudioPanels(StudioState& state);

    // Builds all panels for this frame (between ImGui::NewFrame and Render).
    void draw();

private:
    void drawInstruments();
    void drawHorizon(float size);
    void drawView();
    void drawPlots();
    void drawTimeline();
    void plotWithCursor(const char* id, const std::vector<float>& values, const char* caption);

    StudioState& state_;
    std::vector<float> altitude_;
    std::vector<float> groundSpeed_;
    std::vector<float> voltage_;
    float altitudeLow_ = 0.0f;
    float altitudeHigh_ = 1.0f;
};

} // namespace flightreplay::studio
