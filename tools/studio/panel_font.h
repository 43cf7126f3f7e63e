#pragma once
// The panels' font: Dear ImGui's built-in one, which has Latin-1 but not
// the em dash that stands for a missing value, so that glyph is drawn in.

#include <imgui.h>

namespace flightreplay::studio {

// Adds the font to the context's atlas and builds it with the em dash
// (U+2014) in it: a bar the width of the font's cells on the hyphen's row.
// Call once, before the renderer first asks for the atlas.
void addPanelFont(ImGuiIO& io);

} // namespace flightreplay::studio
