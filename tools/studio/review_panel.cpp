#include "tools/studio/review_panel.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/studio/display_values.h"
#include "tools/studio/event_timeline.h"
#include "tools/review/severity_colours.h"

namespace flightreplay::studio {

namespace {

constexpr float HOVER_PX = 4.0f;
constexpr float BAR_HEIGHT = 6.0f;
constexpr float TICK_HEIGHT = 18.0f;
constexpr float MIN_BAR_WIDTH = 4.0f;
constexpr int TOOLTIP_LINES = 12;
constexpr float PANEL_WIDTH = 300.0f;
constexpr float PANEL_HEIGHT = 200.0f;
constexpr float TIMELINE_ROOM = 112.0f;

// The value beside the threshold; nothing for a finding with neither.
std::string valueText(const review::Finding& finding)
{
    if (!std::isfinite(finding.value) && !std::isfinite(finding.threshold))
        return {};
    return review::valueAgainstThreshold(finding);
}

std::string spanText(const review::Finding& finding)
{
    return clockText(finding.start) + (finding.end > finding.start ? " - " + clockText(finding.end) : std::string());
}

ImVec4 colourVec(review::Severity severity)
{
    return ImGui::ColorConvertU32ToFloat4(severityColour(severity));
}

} // namespace

ImU32 severityColour(review::Severity severity)
{
    const review::ReviewRgb c = review::severityRgb(severity);
    return IM_COL32(c.r, c.g, c.b, 255);
}

void drawFindingMarks(ImDrawList* list, ImVec2 min, ImVec2 max, const review::Review& review, double duration)
{
    if (!(duration > 0.0) || review.findings.empty())
        return;
    const float width = max.x - min.x;
    const auto xOf = [&](double t) { return min.x + width * static_cast<float>(std::clamp(t / duration, 0.0, 1.0)); };
    const ImVec2 mouse = ImGui::GetIO().MousePos;
    const bool hovered = ImGui::IsMouseHoveringRect(min, max, false);
    std::vector<std::string> near;
    list->PushClipRect(min, max, true);
    for (review::Severity severity : {review::Severity::warning, review::Severity::failure})
        for (const review::Finding& f : review.findings) {
            if (f.severity != severity)
                continue;
            const float x0 = xOf(f.start);
            const float x1 = std::max(xOf(f.end), x0 + MIN_BAR_WIDTH);
            const ImU32 colour = severityColour(f.severity);
            // Failures in the lowest lane, warnings just above: both show
            // where they overlap.
            const float bottom = max.y - (severity == review::Severity::warning ? BAR_HEIGHT : 0.0f);
            list->AddRectFilled(ImVec2(x0, bottom - BAR_HEIGHT), ImVec2(x1, bottom), colour);
            list->AddRectFilled(ImVec2(x0, max.y - TICK_HEIGHT), ImVec2(x0 + 2.0f, max.y), colour);
            if (hovered && mouse.x >= x0 - HOVER_PX && mouse.x <= x1 + HOVER_PX && near.size() < TOOLTIP_LINES)
                near.push_back(spanText(f) + "  " + review::severityWord(f.severity) + " " + review::kindWord(f.kind) +
                               ": " + f.text + "  (" + valueText(f) + ")");
        }
    list->PopClipRect();
    drawTooltipLines(near);
}

void drawReviewPanel(StudioState& state)
{
    StudioFlight& selected = state.flights[state.selected];
    if (!selected.jobs)
        return;
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float width = std::max(display.x - 2.0f * PANEL_WIDTH - 40.0f, PANEL_WIDTH);
    ImGui::SetNextWindowPos(ImVec2(PANEL_WIDTH + 20.0f, display.y - TIMELINE_ROOM - PANEL_HEIGHT - 10.0f), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(width, PANEL_HEIGHT), ImGuiCond_FirstUseEver);
    ImGui::Begin("Review");
    if (state.flights.size() > 1)
        ImGui::TextColored(ImVec4(selected.colour.r(), selected.colour.g(), selected.colour.b(), 1.0f), "%s",
                           selected.name.c_str());
    const review::Review* review = selected.jobs->review();
    if (!review) {
        ImGui::TextUnformatted("Reviewing the log ...");
        ImGui::End();
        return;
    }
    if (review->findings.empty())
        ImGui::TextUnformatted("No finding in the armed part in the air.");
    const ImGuiTableFlags flags = ImGuiTableFlags_RowBg | ImGuiTableFlags_SizingFixedFit | ImGuiTableFlags_ScrollY;
    const float notesHeight = ImGui::GetTextLineHeightWithSpacing() * static_cast<float>(review->notes.size());
    if (!review->findings.empty()
        && ImGui::BeginTable("##findings", 4, flags, ImVec2(0.0f, std::max(ImGui::GetContentRegionAvail().y - notesHeight, 40.0f)))) {
        ImGui::TableSetupScrollFreeze(0, 1);
        ImGui::TableSetupColumn("Time");
        ImGui::TableSetupColumn("Kind");
        ImGui::TableSetupColumn("Value / threshold");
        ImGui::TableSetupColumn("What", ImGuiTableColumnFlags_WidthStretch);
        ImGui::TableHeadersRow();
        for (size_t i = 0; i < review->findings.size(); ++i) {
            const review::Finding& f = review->findings[i];
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            ImGui::PushID(static_cast<int>(i));
            ImGui::PushStyleColor(ImGuiCol_Text, colourVec(f.severity));
            if (ImGui::Selectable(spanText(f).c_str(), false, ImGuiSelectableFlags_SpanAllColumns))
                state.clock.seek(f.start + selected.offset);
            ImGui::TableNextColumn();
            ImGui::Text("%s %s", review::severityWord(f.severity), review::kindWord(f.kind));
            ImGui::PopStyleColor();
            ImGui::TableNextColumn();
            ImGui::TextUnformatted(valueText(f).c_str());
            ImGui::TableNextColumn();
            ImGui::TextUnformatted(f.text.c_str());
            if (ImGui::IsItemHovered())
                ImGui::SetTooltip("%s", f.text.c_str());
            ImGui::PopID();
        }
        ImGui::EndTable();
    }
    for (const std::string& note : review->notes)
        ImGui::TextDisabled("note: %s", note.c_str());
    ImGui::End();
}

} // namespace flightreplay::studio
