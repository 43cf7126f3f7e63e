#pragma once
// What happened when, drawn with Dear ImGui: flight modes as coloured bands,
// messages and events as ticks with their text on hover, a message list that
// seeks, and the track coloured by mode. Studio time is t - clockZero, in
// seconds; a rectangle spans studio time 0 ... duration from left to right.

#include <string>
#include <vector>

#include <imgui.h>
#include <osg/Geometry>

#include "tools/flight/flight.h"

namespace flightreplay::studio {

// Fills the rectangle with one band per mode, in the mode's colour at the
// given opacity, its name written where the band is wide enough. Behind a
// plot, pass the plot's rectangle and a low opacity.
void drawModeBands(ImDrawList* list, ImVec2 min, ImVec2 max, const flight::Flight& flight, double clockZero,
                   double duration, float opacity = 0.6f);

// Draws a tick per message along the rectangle's lower half (red errors,
// yellow warnings, grey the rest) and a mark per event along its upper edge
// (A armed, D disarmed, T take-off, L landing, M mission item, ! link lost
// over a red span of its duration; hollow where inferred from the data),
// with the texts near the mouse in a tooltip ("Link lost 12.4 s"). Call
// inside a window.
void drawMessageTicks(ImDrawList* list, ImVec2 min, ImVec2 max, const flight::Flight& flight, double clockZero,
                      double duration);

// The lines (the texts near the mouse) in a tooltip; none when there are
// none. Call inside a window.
void drawTooltipLines(const std::vector<std::string>& lines);

// A scrollable list of the flight's modes, messages and events filling the
// space left in the current window, the line at studio time now marked.
// True when a line was clicked; seekTo is then its studio time.
bool drawMessageList(const flight::Flight& flight, double clockZero, double now, double& seekTo);

// A colour square and the name of each mode of the flight, once per code.
void drawModeLegend(const flight::Flight& flight);

// Gives each vertex of the track line its mode's colour (light grey before
// the first mode); vertexTimes holds the time of each vertex on the file's
// clock, one per vertex of the track.
void colourTrackByMode(osg::Geometry& track, const std::vector<double>& vertexTimes, const flight::Flight& flight);

} // namespace flightreplay::studio
