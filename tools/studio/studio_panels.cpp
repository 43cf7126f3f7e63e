#include "tools/studio/studio_panels.h"

#include <algorithm>
#include <cmath>
#include <cfloat>
#include <cstdio>

#include <imgui.h>

#include "frame/ground_height.h"
#include "frame/map_frame.h"
#include "tools/studio/display_values.h"
#include "tools/studio/track_colours.h"

namespace flightreplay::studio {

namespace {

constexpr int PLOT_POINTS = 600;
constexpr float PANEL_WIDTH = 300.0f;
constexpr float TIMELINE_HEIGHT = 92.0f;
constexpr float DEGREES = static_cast<float>(180.0 / MAP_PI);

ImU32 colourOf(const osg::Vec4& c)
{
    return ImGui::ColorConvertFloat4ToU32(ImVec4(c.r(), c.g(), c.b(), c.a()));
}

ImVec2 rotated(ImVec2 v, float c, float s)
{
    return ImVec2(v.x * c - v.y * s, v.x * s + v.y * c);
}

ImVec2 plus(ImVec2 a, ImVec2 b)
{
    return ImVec2(a.x + b.x, a.y + b.y);
}

// Fraction of the item's width under the mouse, 0 ... 1.
float mouseFractionInItem()
{
    const ImVec2 min = ImGui::GetItemRectMin();
    const ImVec2 max = ImGui::GetItemRectMax();
    const float width = std::max(max.x - min.x, 1.0f);
    return std::clamp((ImGui::GetIO().MousePos.x - min.x) / width, 0.0f, 1.0f);
}

} // namespace

StudioPanels::StudioPanels(StudioState& state) : state_(state)
{
    const double duration = state_.timeline.duration();
    for (int i = 0; i < PLOT_POINTS; ++i) {
        const FlightSample s = sampleFlight(state_.timeline, duration * i / (PLOT_POINTS - 1));
        altitude_.push_back(static_cast<float>(s.altitude));
        groundSpeed_.push_back(static_cast<float>(s.groundSpeed));
        voltage_.push_back(static_cast<float>(s.voltage));
    }
    const auto range = std::minmax_element(altitude_.begin(), altitude_.end());
    altitudeLow_ = *range.first;
    altitudeHigh_ = std::max(*range.second, altitudeLow_ + 1.0f);
}

void StudioPanels::draw()
{
    if (!state_.showPanels)
        return;
    drawInstruments();
    drawPlots();
    drawTimeline();
}

void StudioPanels::drawInstruments()
{
    const FlightSample& now = state_.now;
    const LogColumns& columns = state_.timeline.columns;
    ImGui::SetNextWindowPos(ImVec2(10, 10), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(PANEL_WIDTH, 0), ImGuiCond_FirstUseEver);
    ImGui::Begin("Flight");
    ImGui::Text("Time  %s  (row %d)", clockText(now.time).c_str(), now.row + 1);
    if (columns.gpsDate && state_.timeline.count > 0) {
        // A log whose gps_time counts from 0 (a converted one) has the day
        // but not the time of day.
        const int32_t date = state_.timeline.rows[now.row].gps_date;
        const bool timeOfDay = state_.timeline.source == TimeSource::gpsTime && state_.timeline.rows[0].gps_time > 0.0;
        const std::string utc = timeOfDay ? utcText(date, now.gpsTime) : dateText(date);
        if (!utc.empty())
            ImGui::Text("      %s", utc.c_str());
    }
    const double ground = groundHeightAt(now.latitude, now.longitude);
    ImGui::Text("Altitude  %7.1f m AMSL", now.altitude);
    ImGui::Text("          %7.1f m above ground", now.altitude - ground);
    ImGui::Text("Ground speed  %5.1f m/s  (%.0f km/h)", now.groundSpeed, now.groundSpeed * 3.6);
    ImGui::Text("Vertical speed %+5.1f m/s", now.verticalSpeed);
    ImGui::Text("Heading %05.1f\xC2\xB0   Pitch %+5.1f\xC2\xB0", compassDegrees(now.heading), signedDegrees(now.pitch));
    ImGui::Text("Roll    %s", rollText(now.roll).c_str());
    if (columns.battery)
        ImGui::Text("Battery %.2f V  %.1f A  %.0f mAh", now.voltage, now.current, now.mah);
    if (columns.rcIn)
        ImGui::Text("RC in   %.0f %.0f %.0f %.0f %.0f", now.rcIn[0], now.rcIn[1], now.rcIn[2], now.rcIn[3], now.rcIn[4]);
    if (columns.servoOut)
        ImGui::Text("Servos  %.0f %.0f %.0f %.0f", now.servoOut[0], now.servoOut[1], now.servoOut[2], now.servoOut[3]);
    drawHorizon(150.0f);
    ImGui::Separator();
    drawView();
    ImGui::End();
}

void StudioPanels::drawHorizon(float size)
{
    const ImVec2 corner = ImGui::GetCursorScreenPos();
    const ImVec2 centre(corner.x + size * 0.5f, corner.y + size * 0.5f);
    ImDrawList* list = ImGui::GetWindowDrawList();
    list->PushClipRect(corner, ImVec2(corner.x + size, corner.y + size), true);
    list->AddRectFilled(corner, ImVec2(corner.x + size, corner.y + size), IM_COL32(70, 130, 210, 255));

    // Left wing down (positive roll) tilts the horizon clockwise on screen;
    // nose up lowers it.
    const float roll = static_cast<float>(state_.now.roll);
    const float c = std::cos(roll);
    const float s = std::sin(roll);
    const float pixelsPerDegree = size / 60.0f;
    const ImVec2 middle = plus(centre, rotated(ImVec2(0, static_cast<float>(state_.now.pitch) * DEGREES * pixelsPerDegree), c, s));
    const float far = size * 2.0f;
    list->AddQuadFilled(plus(middle, rotated(ImVec2(-far, 0), c, s)), plus(middle, rotated(ImVec2(far, 0), c, s)),
                        plus(middle, rotated(ImVec2(far, far), c, s)), plus(middle, rotated(ImVec2(-far, far), c, s)),
                        IM_COL32(140, 95, 50, 255));
    for (int step = -3; step <= 3; ++step) {
        const float half = step == 0 ? far : size * (step % 2 ? 0.08f : 0.16f);
        const ImVec2 offset(0, -static_cast<float>(step) * 10.0f * pixelsPerDegree);
        list->AddLine(plus(middle, rotated(plus(offset, ImVec2(-half, 0)), c, s)),
                      plus(middle, rotated(plus(offset, ImVec2(half, 0)), c, s)), IM_COL32(255, 255, 255, 220), 1.5f);
    }
    const ImU32 yellow = IM_COL32(255, 210, 0, 255);
    list->AddLine(ImVec2(centre.x - size * 0.3f, centre.y), ImVec2(centre.x - size * 0.08f, centre.y), yellow, 3.0f);
    list->AddLine(ImVec2(centre.x + size * 0.08f, centre.y), ImVec2(centre.x + size * 0.3f, centre.y), yellow, 3.0f);
    list->AddCircleFilled(centre, 3.0f, yellow);
    list->PopClipRect();
    ImGui::Dummy(ImVec2(size, size));
}

void StudioPanels::drawView()
{
    static const char* cameras[] = {"1 Chase", "2 Cockpit", "3 Orbit", "4 Free", "5 Top-down"};
    int camera = static_cast<int>(state_.camera);
    if (ImGui::Combo("Camera", &camera, cameras, CAMERA_MODE_COUNT))
        state_.camera = static_cast<CameraMode>(camera);

    static const char* colourings[] = {"White", "By altitude", "By ground speed"};
    int colouring = static_cast<int>(state_.colouring);
    if (ImGui::Combo("Track", &colouring, colourings, 3))
        state_.colouring = static_cast<TrackColouring>(colouring);
    if (state_.colouring == TrackColouring::white)
        return;

    const ValueRange range = colouringRange(state_.timeline, state_.colouring);
    const char* unit = state_.colouring == TrackColouring::altitude ? "m" : "m/s";
    const ImVec2 corner = ImGui::GetCursorScreenPos();
    const float width = ImGui::GetContentRegionAvail().x;
    const int bands = 32;
    ImDrawList* list = ImGui::GetWindowDrawList();
    for (int i = 0; i < bands; ++i) {
        const float x0 = corner.x + width * static_cast<float>(i) / bands;
        const float x1 = corner.x + width * static_cast<float>(i + 1) / bands;
        list->AddRectFilled(ImVec2(x0, corner.y), ImVec2(x1 + 0.5f, corner.y + 12.0f), colourOf(rampColour((i + 0.5) / bands)));
    }
    ImGui::Dummy(ImVec2(width, 12.0f));
    ImGui::Text("%.0f %s", range.low, unit);
    const std::string high = std::to_string(static_cast<long>(std::lround(range.high))) + " " + unit;
    ImGui::SameLine(std::max(width - ImGui::CalcTextSize(high.c_str()).x, 0.0f));
    ImGui::TextUnformatted(high.c_str());
}

void StudioPanels::plotWithCursor(const char* id, const std::vector<float>& values, const char* caption)
{
    ImGui::TextUnformatted(caption);
    ImGui::PlotLines(id, values.data(), static_cast<int>(values.size()), 0, nullptr, FLT_MAX, FLT_MAX,
                     ImVec2(ImGui::GetContentRegionAvail().x, 70.0f));
    const ImVec2 min = ImGui::GetItemRectMin();
    const ImVec2 max = ImGui::GetItemRectMax();
    const double duration = state_.timeline.duration();
    const float at = duration > 0.0 ? static_cast<float>(state_.clock.time() / duration) : 0.0f;
    const float x = min.x + (max.x - min.x) * at;
    ImGui::GetWindowDrawList()->AddLine(ImVec2(x, min.y), ImVec2(x, max.y), IM_COL32(255, 80, 60, 255), 2.0f);
    if (ImGui::IsItemHovered() && ImGui::IsMouseClicked(ImGuiMouseButton_Left))
        state_.clock.seek(mouseFractionInItem() * duration);
}

void StudioPanels::drawPlots()
{
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(display.x - PANEL_WIDTH - 10, 10), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(PANEL_WIDTH, 0), ImGuiCond_FirstUseEver);
    ImGui::Begin("Plots");
    char caption[64];
    std::snprintf(caption, sizeof caption, "Altitude %.0f m", state_.now.altitude);
    plotWithCursor("##altitude", altitude_, caption);
    std::snprintf(caption, sizeof caption, "Ground speed %.1f m/s", state_.now.groundSpeed);
    plotWithCursor("##speed", groundSpeed_, caption);
    if (state_.timeline.columns.battery) {
        std::snprintf(caption, sizeof caption, "Battery %.2f V", state_.now.voltage);
        plotWithCursor("##voltage", voltage_, caption);
    }
    ImGui::End();
}

void StudioPanels::drawTimeline()
{
    FlightClock& clock = state_.clock;
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(10, display.y - TIMELINE_HEIGHT - 10), ImGuiCond_Always);
    ImGui::SetNextWindowSize(ImVec2(display.x - 20, TIMELINE_HEIGHT), ImGuiCond_Always);
    ImGui::Begin("Timeline", nullptr,
                 ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove
                     | ImGuiWindowFlags_NoScrollbar);
    if (ImGui::Button(clock.paused() ? "Play" : "Pause", ImVec2(60, 0)))
        clock.togglePause();
    ImGui::SameLine();
    if (ImGui::Button("-"))
        clock.slower();
    ImGui::SameLine();
    ImGui::Text("x%g", clock.speed());
    ImGui::SameLine();
    if (ImGui::Button("+"))
        clock.faster();
    ImGui::SameLine();
    bool loop = clock.loop();
    if (ImGui::Checkbox("Loop", &loop))
        clock.setLoop(loop);
    ImGui::SameLine();
    ImGui::Text("%s / %s   %s", clockText(clock.time()).c_str(), clockText(clock.duration()).c_str(),
                state_.timeline.source == TimeSource::gpsTime ? "gps_time" : "5 rows/s");

    const ImVec2 corner = ImGui::GetCursorScreenPos();
    const ImVec2 size(ImGui::GetContentRegionAvail().x, std::max(ImGui::GetContentRegionAvail().y, 20.0f));
    ImGui::InvisibleButton("##timeline", size);
    const double duration = clock.duration();
    if (ImGui::IsItemActive())
        clock.seek(mouseFractionInItem() * duration);

    ImDrawList* list = ImGui::GetWindowDrawList();
    const ImVec2 end(corner.x + size.x, corner.y + size.y);
    list->AddRectFilled(corner, end, IM_COL32(25, 30, 40, 255));
    const int n = static_cast<int>(altitude_.size());
    const float span = altitudeHigh_ - altitudeLow_;
    for (int i = 0; i + 1 < n; ++i) {
        const float x0 = corner.x + size.x * static_cast<float>(i) / static_cast<float>(n - 1);
        const float x1 = corner.x + size.x * static_cast<float>(i + 1) / static_cast<float>(n - 1);
        const float h = (altitude_[static_cast<size_t>(i)] - altitudeLow_) / span;
        list->AddRectFilled(ImVec2(x0, end.y - (size.y - 2.0f) * h), ImVec2(x1 + 0.5f, end.y), IM_COL32(90, 140, 200, 255));
    }
    const float at = duration > 0.0 ? static_cast<float>(clock.time() / duration) : 0.0f;
    const float x = corner.x + size.x * at;
    list->AddLine(ImVec2(x, corner.y), ImVec2(x, end.y), IM_COL32(255, 80, 60, 255), 2.0f);
    ImGui::End();
}

} // namespace flightreplay::studio
