#pragma once
// The studio's panels, drawn with Dear ImGui each frame: instruments with an
// artificial horizon for the selected flight, view choices with the track
// legend, the flights side by side, plots of all flights in their colours
// and of any field of the log, the review's findings and the timeline along
// the bottom. Clicks seek the state's clock.

#include <vector>

#include <imgui.h>

#include "tools/studio/field_plots.h"
#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

// The altitude of a flight at `columns` even steps over its span, scaled to
// 0 (its lowest) ... 1 (its highest).
std::vector<float> altitudeProfile(const FlightSampler& flight, int columns);

// Draws what the timeline shows of one flight inside the rectangle min-max,
// which spans clock times 0 ... clockDuration: its span as a band and its
// altitude profile (from altitudeProfile) over it, in its colour, with its
// flight modes as bands, its messages and events as ticks and, once its
// review is done, the findings' marks (review_panel.h).
void drawFlightOnTimeline(ImDrawList* list, ImVec2 min, ImVec2 max, const StudioFlight& flight, double clockDuration,
                          const std::vector<float>& profile);

class StudioPanels {
public:
    // The state must outlive the panels; the plots' curves are sampled on
    // first use and again when the flights' offsets change.
    explicit StudioPanels(StudioState& state);

    // Builds all panels for this frame (between ImGui::NewFrame and Render);
    // the second frame starts the flights' reviews.
    void draw();

private:
    struct Curves {
        std::vector<std::vector<float>> perFlight; // PLOT_POINTS over the clock, NaN outside a flight
        float low = 0.0f;
        float high = 1.0f;
    };

    void sampleCurves();
    void drawInstruments();
    void drawHorizon(float size);
    void drawView();
    void drawFlights();
    void drawPlots();
    void drawTimeline();
    void drawMessages();
    void plotWithCursor(const char* id, const Curves& curves, const char* caption);

    StudioState& state_;
    std::vector<double> sampledOffsets_;
    double sampledDuration_ = -1.0;
    Curves altitude_;
    Curves groundSpeed_;
    Curves voltage_;
    std::vector<std::vector<float>> profiles_; // per flight, for the timeline
    FieldPlots fieldPlots_;
    int frames_ = 0;
};

} // namespace flightreplay::studio
