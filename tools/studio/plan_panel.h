#pragma once
// The plan in the studio's panels, for the selected flight: its lines in the
// Flight panel and its plots in the Plots panel. Nothing for a flight
// without a plan to show.

#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

// The overlay's check box (as the M key), the item flown, the deviation
// from its leg, the heights above ground by the autopilot's terrain and by
// the elevation files, and the shot picked. Call inside the Flight window.
void drawPlanInstruments(StudioState& state);

// The deviation from the legs over the flight (cross-track and height
// error), and with terrain reports the autopilot's terrain against the
// elevation files under the same positions and the height above each, with
// the clock's cursor; a click seeks. Under a header that starts folded in
// pictures less than 900 pixels high. Call inside the Plots window.
void drawPlanPlots(StudioState& state);

} // namespace flightreplay::studio
