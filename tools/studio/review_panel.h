#pragma once
// The review in the studio (flight_review.h): the Review panel listing each
// finding of the selected flight with its span, kind, text and value beside
// the threshold, and its marks on the timeline, in the colour of its
// severity (tools/review/severity_colours.h). Drawn with Dear ImGui; time is seconds from
// the flight's first fix, as the findings count it.

#include <string>

#include <imgui.h>

#include "tools/review/flight_review.h"
#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

ImU32 severityColour(review::Severity severity);

// Along the lower edge of the rectangle, which spans 0 ... duration seconds
// from the first fix, a bar over each finding's span with a raised tick at
// its start, failures in the lowest lane and warnings in the lane above;
// the findings near the mouse in a tooltip. Call inside a window.
void drawFindingMarks(ImDrawList* list, ImVec2 min, ImVec2 max, const review::Review& review, double duration);

// The Review panel for the selected flight: "Reviewing ..." until its
// review is done, then the findings (a click seeks the clock to the
// start) and the notes on what could not be judged.
void drawReviewPanel(StudioState& state);

} // namespace flightreplay::studio
