// The panels drawn by Dear ImGui without a window: the text of the Flight
// panel as ImGui lays it out (its log of the window's text), and the em
// dash in the panels' font.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include <imgui.h>

#include "frame/map_frame.h"
#include "log_writers.h"
#include "support/test_support.h"
#include "tools/studio/panel_font.h"
#include "tools/studio/studio_flights.h"
#include "tools/studio/studio_panels.h"

using namespace flightreplay::studio;

namespace {

const std::string DASH = "\xE2\x80\x94";

std::string clipboard;

class PanelsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = mapFrame;
        ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        io.DisplaySize = ImVec2(1200, 750);
        io.DeltaTime = 1.0f / 30.0f;
        io.SetClipboardTextFn = [](void*, const char* text) { clipboard = text; };
        addPanelFont(io);
    }
    void TearDown() override
    {
        ImGui::DestroyContext();
        mapFrame = saved;
    }

    // The text of the Flight panel (the first window the panels draw) in
    // the second frame, when ImGui has laid the new windows out.
    static std::string flightPanelText(StudioState& state)
    {
        StudioPanels panels(state);
        for (int frame = 0; frame < 2; ++frame) {
            clipboard.clear();
            ImGui::NewFrame();
            // Logging ends with the first window that closes.
            ImGui::LogToClipboard();
            panels.draw();
            ImGui::Render();
        }
        return clipboard;
    }

    MapFrame saved{};
};

} // namespace

TEST_F(PanelsTest, DataFlashWithoutBatteryShowsDashesNotZeros)
{
    const std::string dir = makeTempDir();
    const struct {
        const char* file;
        bool battery;
        std::string line; // at boot 12.0 s: the eleventh fix
    } cases[] = {
        {"battery.bin", true, "Battery 12.50 V  5.5 A  100 mAh"},
        {"nobattery.bin", false, "Battery " + DASH + " V  " + DASH + " A  " + DASH + " mAh"},
    };
    for (const auto& c : cases) {
        writeFile(dir + "/" + c.file, reader_test::dataflashFlight(false, c.battery));
        StudioOptions options;
        options.logPaths = {dir + "/" + c.file};
        options.time = 2.0;
        StudioState state;
        captureStdout([&] { loadStudioFlights(state, options); });
        state.ground.known = false;
        const std::string text = flightPanelText(state);
        EXPECT_NE(text.find(c.line), std::string::npos) << c.file << ":\n" << text;
        // RC inputs were not logged; the servo outputs and the attitude were.
        EXPECT_NE(text.find("RC in   " + DASH + " " + DASH), std::string::npos) << c.file << ":\n" << text;
        EXPECT_NE(text.find("Servos  1510 1400 1300 1200"), std::string::npos) << c.file << ":\n" << text;
        EXPECT_NE(text.find("Roll    30.0\xC2\xB0 R"), std::string::npos) << c.file << ":\n" << text;
        EXPECT_EQ(text.find("nan"), std::string::npos) << c.file << ":\n" << text;
    }
}

TEST_F(PanelsTest, FontDrawsTheEmDashAcrossACell)
{
    ImFont* font = ImGui::GetIO().Fonts->Fonts[0];
    const ImFontGlyph* dash = font->FindGlyphNoFallback(0x2014);
    const ImFontGlyph* letter = font->FindGlyphNoFallback('A');
    const ImFontGlyph* hyphen = font->FindGlyphNoFallback('-');
    ASSERT_NE(dash, nullptr);
    ASSERT_NE(letter, nullptr);
    ASSERT_NE(hyphen, nullptr);
    EXPECT_EQ(dash->AdvanceX, letter->AdvanceX);
    // One pixel high on the hyphen's row, longer than the hyphen.
    EXPECT_EQ(dash->Y0, hyphen->Y0);
    EXPECT_EQ(dash->Y1 - dash->Y0, 1.0f);
    EXPECT_GT(dash->X1 - dash->X0, hyphen->X1 - hyphen->X0);
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    ImGui::GetIO().Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    const int x0 = static_cast<int>(std::lround(dash->U0 * static_cast<float>(width)));
    const int x1 = static_cast<int>(std::lround(dash->U1 * static_cast<float>(width)));
    const int y = static_cast<int>(std::floor(dash->V0 * static_cast<float>(height)));
    ASSERT_EQ(x1 - x0, 7);
    for (int x = x0; x < x1; ++x)
        EXPECT_EQ(pixels[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4 + 3], 255) << x;
}
