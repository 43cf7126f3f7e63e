#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <imgui.h>

#include "tools/flight/flight_events.h"
#include "tools/studio/event_timeline.h"

using namespace flightreplay;
using flight::FlightEventKind;

namespace {

flight::Flight flightWithModes()
{
    flight::Flight f;
    f.modes = {{110.0, 2, "Position"}, {120.0, 3, "Mission"}, {130.0, 2, "Position"}};
    f.messages = {{115.0, 4, "Low battery"}, {125.0, 6, "Waypoint reached"}};
    f.events = {{105.0, FlightEventKind::armed, true}, {112.0, FlightEventKind::takeoff, false}};
    return f;
}

// A headless Dear ImGui context: frames are built and rendered into draw
// lists, never to a screen.
class ImGuiFrames {
public:
    ImGuiFrames()
    {
        context_ = ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        io.DisplaySize = ImVec2(800, 600);
        io.DeltaTime = 1.0f / 60.0f;
        unsigned char* pixels;
        int width, height;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    }
    ~ImGuiFrames() { ImGui::DestroyContext(context_); }

private:
    ImGuiContext* context_;
};

bool hasColour(const ImDrawList* list, ImU32 colour)
{
    return std::any_of(list->VtxBuffer.begin(), list->VtxBuffer.end(), [&](const ImDrawVert& v) { return v.col == colour; });
}

ImU32 packed(const osg::Vec4& c, float alpha)
{
    return ImGui::ColorConvertFloat4ToU32(ImVec4(c.r(), c.g(), c.b(), alpha));
}

} // namespace

TEST(EventTimeline, TrackVerticesTakeTheirModesColour)
{
    const flight::Flight f = flightWithModes();
    osg::ref_ptr<osg::Geometry> track = new osg::Geometry;
    studio::colourTrackByMode(*track, {100.0, 110.0, 119.9, 120.0, 131.0}, f);
    const auto* colours = dynamic_cast<const osg::Vec4Array*>(track->getColorArray());
    ASSERT_NE(colours, nullptr);
    ASSERT_EQ(colours->size(), 5u);
    EXPECT_EQ(track->getColorBinding(), osg::Geometry::BIND_PER_VERTEX);
    const osg::Vec4 position = flight::modeColour(0), mission = flight::modeColour(1);
    EXPECT_NE(position, mission);
    const osg::Vec4 expected[] = {osg::Vec4(0.75f, 0.75f, 0.75f, 1.0f), position, position, mission, position};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ((*colours)[i], expected[i]) << i;
}

TEST(EventTimeline, BandsTicksAndASeekingList)
{
    const flight::Flight f = flightWithModes();
    ImGuiFrames frames;
    ImGuiIO& io = ImGui::GetIO();
    double seekTo = -1.0;
    bool clicked = false;
    const ImDrawList* timeline = nullptr;
    // Frame 1 draws and places the mouse on the first line of the list,
    // frame 2 presses, frame 3 releases: a click.
    for (int frame = 0; frame < 3; ++frame) {
        io.MousePos = ImVec2(60.0f, 120.0f);
        io.MouseDown[0] = frame == 1;
        ImGui::NewFrame();
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::SetNextWindowSize(ImVec2(800, 600));
        ImGui::Begin("timeline", nullptr, ImGuiWindowFlags_NoDecoration);
        ImDrawList* list = ImGui::GetWindowDrawList();
        studio::drawModeBands(list, ImVec2(0, 0), ImVec2(800, 40), f, 100.0, 40.0);
        studio::drawMessageTicks(list, ImVec2(0, 40), ImVec2(800, 80), f, 100.0, 40.0);
        ImGui::SetCursorScreenPos(ImVec2(0, 110));
        clicked = studio::drawMessageList(f, 100.0, 12.0, seekTo) || clicked;
        ImGui::End();
        ImGui::Render();
        timeline = list;
    }
    EXPECT_TRUE(hasColour(timeline, packed(flight::modeColour(0), 0.6f)));
    EXPECT_TRUE(hasColour(timeline, packed(flight::modeColour(1), 0.6f)));
    EXPECT_TRUE(hasColour(timeline, ImGui::ColorConvertFloat4ToU32(ImVec4(1.0f, 0.85f, 0.25f, 1.0f)))); // the warning tick
    EXPECT_TRUE(clicked);
    EXPECT_DOUBLE_EQ(seekTo, 5.0); // the first line: armed at 105 s
}
