#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include <imgui.h>

#include "frame/map_frame.h"
#include "support/test_support.h"
#include "tools/flight/flight_events.h"
#include "tools/studio/event_timeline.h"
#include "tools/studio/studio_panels.h"

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

TEST(EventTimeline, AltitudeProfileFilledToEachColumnsPixelRowInOneRectanglePerHeight)
{
    const MapFrame saved = mapFrame;
    captureStdout([] { setupMapFrame(48.0 * 60, 48.01 * 60, 11.5 * 60, 11.5 * 60); });
    studio::StudioFlight flight;
    flight.flight = std::make_unique<flight::Flight>();
    flight.flight->position = {{0.0, 48.0, 11.5, 400.0}, {100.0, 48.01, 11.5, 500.0}};
    flight.sampler = std::make_unique<studio::FlightSampler>(*flight.flight);
    flight.colour = osg::Vec4(0.8f, 0.4f, 0.2f, 1.0f);
    // 200 columns two pixels wide over 400 pixels: three heights in turn.
    std::vector<float> profile(200, 0.25f);
    std::fill(profile.begin() + 100, profile.begin() + 150, 0.5f);
    std::fill(profile.begin() + 150, profile.end(), 1.0f);

    ImGuiFrames frames;
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(800, 600));
    ImGui::Begin("timeline", nullptr, ImGuiWindowFlags_NoDecoration);
    ImDrawList* list = ImGui::GetWindowDrawList();
    const size_t before = static_cast<size_t>(list->VtxBuffer.Size);
    // 20 pixels high from y = 10.3, 18 of them for the profile: its tops at
    // 30.3 - 18 h, the first row whose centre lies below them 26, 21 and 12.
    studio::drawFlightOnTimeline(list, ImVec2(0.0f, 10.3f), ImVec2(400.0f, 30.3f), flight, 100.0, profile);
    ImGui::End();
    ImGui::Render();
    mapFrame = saved;

    // The fill is the flight's colour at three quarters, opaque; each
    // rectangle is four vertices, its corners first and third.
    const ImU32 fill = ImGui::ColorConvertFloat4ToU32(ImVec4(0.6f, 0.3f, 0.15f, 1.0f));
    std::map<float, float> topAtLeft; // of each rectangle, by its left edge
    std::vector<std::pair<float, float>> spans; // left and right edges
    for (size_t v = before; v + 3 < static_cast<size_t>(list->VtxBuffer.Size); ++v) {
        const ImDrawVert* corner = &list->VtxBuffer[static_cast<int>(v)];
        if (corner[0].col != fill || corner[2].col != fill)
            continue;
        spans.emplace_back(corner[0].pos.x, corner[2].pos.x);
        topAtLeft[corner[0].pos.x] = corner[0].pos.y;
        EXPECT_FLOAT_EQ(corner[2].pos.y, 30.3f);
        v += 3;
    }
    EXPECT_EQ(spans.size(), 3u);
    const struct {
        float x;   // pixel centre
        float top; // first row filled
    } columns[] = {{0.5f, 26.0f}, {199.5f, 26.0f}, {200.5f, 21.0f}, {299.5f, 21.0f}, {300.5f, 12.0f}, {399.5f, 12.0f}};
    for (const auto& column : columns) {
        bool covered = false;
        for (const auto& [left, right] : spans) {
            if (column.x < left || column.x >= right)
                continue;
            covered = true;
            EXPECT_FLOAT_EQ(topAtLeft[left], column.top) << "column at " << column.x;
        }
        EXPECT_TRUE(covered) << "column at " << column.x;
    }
}

// A 1 GB log repeats a flight a thousand times: its marks and ticks must fit
// ImGui's 16-bit vertex indices over a timeline's width (the studio aborted
// in ImGui's assertion on such a log with its panels).
TEST(EventTimeline, ThousandsOfEventsAndMessagesStayWithinOneDrawList)
{
    const struct {
        int events;
        int messages;
    } cases[] = {{5000, 0}, {0, 20000}, {5000, 20000}};
    for (const auto& c : cases) {
        flight::Flight f;
        for (int i = 0; i < c.events; ++i)
            f.events.push_back({i * 1.6, i % 2 ? FlightEventKind::armed : FlightEventKind::takeoff, i % 3 == 0});
        for (int i = 0; i < c.messages; ++i)
            f.messages.push_back({i * 0.4, i % 8, "message"});
        ImGuiFrames frames;
        ImGui::NewFrame();
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::SetNextWindowSize(ImVec2(800, 600));
        ImGui::Begin("timeline", nullptr, ImGuiWindowFlags_NoDecoration);
        ImDrawList* list = ImGui::GetWindowDrawList();
        studio::drawMessageTicks(list, ImVec2(0, 500), ImVec2(1200, 580), f, 0.0, 8000.0);
        const int vertices = list->VtxBuffer.Size;
        ImGui::End();
        ImGui::Render();
        EXPECT_LT(vertices, 30000) << c.events << " events, " << c.messages << " messages";
    }
}
