#include "tools/studio/panel_font.h"

#include <cstddef>

namespace flightreplay::studio {

namespace {

constexpr ImWchar EM_DASH = 0x2014;
// The built-in face is 13 pixels high in cells 7 pixels wide; its hyphen is
// the row 7 pixels below the top, 5 pixels long. The dash spans the cell.
constexpr int CELL_PIXELS = 7;
constexpr float HYPHEN_ROW = 7.0f;

} // namespace

void addPanelFont(ImGuiIO& io)
{
    ImFont* font = io.Fonts->AddFontDefault();
    const int dash = io.Fonts->AddCustomRectFontGlyph(font, EM_DASH, CELL_PIXELS, 1, static_cast<float>(CELL_PIXELS),
                                                      ImVec2(0.0f, HYPHEN_ROW));
    unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    const ImFontAtlasCustomRect* rect = io.Fonts->GetCustomRectByIndex(dash);
    if (!pixels || !rect)
        return;
    for (int x = 0; x < rect->Width; ++x) {
        const size_t at = static_cast<size_t>(rect->Y) * static_cast<size_t>(width) + rect->X + static_cast<size_t>(x);
        for (int channel = 0; channel < 4; ++channel)
            pixels[at * 4 + static_cast<size_t>(channel)] = 255;
    }
}

} // namespace flightreplay::studio
