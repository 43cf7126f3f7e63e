#include "tools/studio/plan_panel.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <vector>

#include <imgui.h>

#include "frame/ground_height.h"
#include "tools/flight/mission_commands.h"
#include "tools/studio/plan_overlay.h"
#include "tools/studio/plan_view.h"

namespace flightreplay::studio {

using namespace flight;

namespace {

constexpr float PLOT_HEIGHT = 56.0f;
// Below this height the plan's plots start folded: open, they would run
// into the list of what happened.
constexpr float PLOTS_OPEN_MIN_HEIGHT = 900.0f;

ImU32 colourOf(const osg::Vec4& c)
{
    return ImGui::ColorConvertFloat4ToU32(ImVec4(c.r(), c.g(), c.b(), 1.0f));
}

struct Curve {
    const std::vector<float>* values;
    osg::Vec4 colour;
};

// Curves over the selected flight's span, on the clock's axis as the other
// plots are, with a line at 0 where it is in range and the clock's cursor.
void plotCurves(StudioState& state, const char* id, const std::vector<Curve>& curves)
{
    float low = FLT_MAX, high = -FLT_MAX;
    for (const Curve& c : curves)
        for (float v : *c.values)
            if (std::isfinite(v)) {
                low = std::min(low, v);
                high = std::max(high, v);
            }
    if (low > high)
        low = high = 0.0f;
    high = std::max(high, low + 1.0f);
    const ImVec2 min = ImGui::GetCursorScreenPos();
    const ImVec2 size(ImGui::GetContentRegionAvail().x, PLOT_HEIGHT);
    ImGui::InvisibleButton(id, size);
    const ImVec2 max(min.x + size.x, min.y + size.y);
    ImDrawList* list = ImGui::GetWindowDrawList();
    list->AddRectFilled(min, max, ImGui::GetColorU32(ImGuiCol_FrameBg));
    const auto yOf = [&](float v) { return max.y - 1.0f - (size.y - 2.0f) * (v - low) / (high - low); };
    if (low < 0.0f && high > 0.0f)
        list->AddLine(ImVec2(min.x, yOf(0.0f)), ImVec2(max.x, yOf(0.0f)), IM_COL32(255, 255, 255, 60));
    const StudioFlight& flight = state.selectedFlight();
    const double duration = state.clock.duration() > 0.0 ? state.clock.duration() : 1.0;
    for (const Curve& c : curves) {
        const std::vector<float>& v = *c.values;
        const auto xOf = [&](size_t i) {
            const double t = flight.offset + flight.sampler->duration() * static_cast<double>(i) / static_cast<double>(v.size() - 1);
            return min.x + size.x * static_cast<float>(std::clamp(t / duration, 0.0, 1.0));
        };
        for (size_t i = 0; i + 1 < v.size(); ++i)
            if (std::isfinite(v[i]) && std::isfinite(v[i + 1]))
                list->AddLine(ImVec2(xOf(i), yOf(v[i])), ImVec2(xOf(i + 1), yOf(v[i + 1])), colourOf(c.colour), 1.4f);
    }
    const float x = min.x + size.x * static_cast<float>(state.clock.time() / duration);
    list->AddLine(ImVec2(x, min.y), ImVec2(x, max.y), IM_COL32(255, 80, 60, 255), 2.0f);
    if (ImGui::IsItemHovered() && ImGui::IsMouseClicked(ImGuiMouseButton_Left)) {
        const float fraction = std::clamp((ImGui::GetIO().MousePos.x - min.x) / std::max(size.x, 1.0f), 0.0f, 1.0f);
        state.clock.seek(fraction * state.clock.duration());
    }
}

void legend(const char* caption, const char* first, const osg::Vec4& a, const char* second, const osg::Vec4& b)
{
    ImGui::TextUnformatted(caption);
    ImGui::SameLine();
    ImGui::TextColored(ImVec4(a.r(), a.g(), a.b(), 1.0f), "%s", first);
    ImGui::SameLine();
    ImGui::TextColored(ImVec4(b.r(), b.g(), b.b(), 1.0f), "%s", second);
}

const osg::Vec4 ELEVATION_FILES(0.55f, 0.85f, 1.0f, 1.0f);

} // namespace

void drawPlanInstruments(StudioState& state)
{
    const StudioFlight& selected = state.selectedFlight();
    if (!selected.plan)
        return;
    const FlightPlanView& view = *selected.plan;
    ImGui::Separator();
    ImGui::Checkbox("Plan (M)", &state.showPlan);
    const PlanRoute& route = view.route;
    if (view.leg >= 1) {
        const RouteItem& to = route.items[static_cast<size_t>(route.path[static_cast<size_t>(view.leg)])];
        ImGui::SameLine();
        ImGui::Text("to %d %s", to.item.seq, commandName(to.item.command).c_str());
        const bool circling = loiterRadiusM(to.item) > 0.0 && view.deviation.along >= 1.0;
        ImGui::TextUnformatted(deviationText(view.deviation, circling).c_str());
    } else if (!route.items.empty()) {
        ImGui::SameLine();
        ImGui::Text("%zu items", route.items.size());
    }
    if (view.terrain.reports > 0) {
        char autopilot[32] = "     -  ";
        char files[32] = "     -  ";
        if (std::isfinite(view.autopilotAboveM))
            std::snprintf(autopilot, sizeof autopilot, "%6.1f m", view.autopilotAboveM);
        if (state.ground.known)
            std::snprintf(files, sizeof files, "%6.1f m",
                          state.now.altitude - groundHeightAt(state.now.latitude, state.now.longitude));
        ImGui::Text("Above ground %s (autopilot)", autopilot);
        ImGui::Text("             %s (elevation files)", files);
    }
    const std::vector<CameraShot>& shots = selected.flight->shots;
    if (view.pickedShot >= 0 && view.pickedShot < static_cast<int>(shots.size())) {
        const CameraShot& shot = shots[static_cast<size_t>(view.pickedShot)];
        ImGui::Text("Shot %d at %.1f s", shot.index, shot.t - selected.sampler->clockAtStart());
    } else if (!shots.empty()) {
        ImGui::Text("%zu camera shots (click one)", shots.size());
    }
}

void drawPlanPlots(StudioState& state)
{
    const StudioFlight& selected = state.selectedFlight();
    if (!selected.plan)
        return;
    const FlightPlanView& view = *selected.plan;
    if (view.crossTrack.empty() && view.terrain.compared == 0 && view.autopilotTerrain.empty())
        return;
    ImGui::SetNextItemOpen(ImGui::GetIO().DisplaySize.y >= PLOTS_OPEN_MIN_HEIGHT, ImGuiCond_Once);
    if (!ImGui::CollapsingHeader("Plan and terrain"))
        return;
    if (!view.crossTrack.empty()) {
        legend("Off the leg:", "across", plan_colour::MISSION, "height", plan_colour::CURRENT);
        plotCurves(state, "##plan-deviation", {{&view.crossTrack, plan_colour::MISSION}, {&view.heightError, plan_colour::CURRENT}});
    }
    if (view.terrain.compared > 0 || !view.autopilotTerrain.empty()) {
        legend("Terrain:", "autopilot", plan_colour::LANDING, "elevation files", ELEVATION_FILES);
        plotCurves(state, "##plan-terrain",
                   {{&view.autopilotTerrain, plan_colour::LANDING}, {&view.elevationTerrain, ELEVATION_FILES}});
        legend("Above it:", "autopilot", plan_colour::LANDING, "elevation files", ELEVATION_FILES);
        plotCurves(state, "##plan-above", {{&view.autopilotAbove, plan_colour::LANDING}, {&view.elevationAbove, ELEVATION_FILES}});
    }
}

} // namespace flightreplay::studio
