#include "tools/studio/studio_panels.h"

#include <algorithm>
#include <cmath>
#include <cfloat>
#include <cstdio>

#include <imgui.h>

#include "frame/ground_height.h"
#include "frame/map_frame.h"
#include "log/units.h"
#include "tools/studio/display_values.h"
#include "tools/studio/event_timeline.h"
#include "tools/studio/review_panel.h"
#include "tools/studio/instrument_lines.h"
#include "tools/studio/plan_panel.h"
#include "tools/studio/studio_flights.h"
#include "tools/studio/track_colours.h"

namespace flightreplay::studio {

namespace {

// ImGui's draw lists index their vertices with 16 bits (65536 a window):
// the three plots' segments and the timeline's columns, 4 vertices each,
// stay within these budgets over all flights.
constexpr int PLOT_POINTS = 600;
constexpr int PLOT_POINTS_ALL_FLIGHTS = 2400;
constexpr int TIMELINE_COLUMNS = 4000;

int plotPoints(size_t flights)
{
    return std::clamp(PLOT_POINTS_ALL_FLIGHTS / static_cast<int>(std::max<size_t>(flights, 1)), 2, PLOT_POINTS);
}
constexpr float PANEL_WIDTH = 300.0f;
constexpr float TIMELINE_HEIGHT = 92.0f;
constexpr float MESSAGES_MIN_WIDTH = 900.0f;
constexpr float MESSAGES_MIN_HEIGHT = 640.0f;
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

void drawHorizonAt(float roll, float pitch, float size);

} // namespace

std::vector<float> altitudeProfile(const FlightSampler& flight, int columns)
{
    const std::vector<flight::Fix>& fixes = flight.flight().position;
    std::vector<float> profile;
    if (fixes.empty() || columns < 1)
        return profile;
    double low = fixes.front().altM;
    double high = low;
    for (const flight::Fix& fix : fixes) {
        low = std::min(low, fix.altM);
        high = std::max(high, fix.altM);
    }
    const double span = high > low ? high - low : 1.0;
    for (int c = 0; c < columns; ++c) {
        const double t = flight.duration() * (c + 0.5) / columns;
        profile.push_back(static_cast<float>((flight.sample(t).altitude - low) / span));
    }
    return profile;
}

void drawFlightOnTimeline(ImDrawList* list, ImVec2 min, ImVec2 max, const StudioFlight& flight, double clockDuration,
                          const std::vector<float>& profile)
{
    if (!(clockDuration > 0.0))
        clockDuration = 1.0;
    const auto xOf = [&](double clockTime) {
        return min.x + (max.x - min.x) * static_cast<float>(std::clamp(clockTime / clockDuration, 0.0, 1.0));
    };
    const float x0 = xOf(flight.offset);
    const float x1 = xOf(flight.offset + flight.sampler->duration());
    // A single flight keeps the plain white of the replay's track.
    const bool plain = flight.colour == osg::Vec4(1, 1, 1, 1);
    osg::Vec4 band = flight.colour;
    band.a() = 0.18f;
    if (!plain)
        list->AddRectFilled(ImVec2(x0, min.y), ImVec2(std::max(x1, x0 + 1.0f), max.y), colourOf(band));
    const ImVec2 spanMin(x0, min.y);
    const ImVec2 spanMax(std::max(x1, x0 + 1.0f), max.y);
    const flight::Flight& data = flight.sampler->flight();
    const double clockZero = flight.sampler->clockAtStart();
    drawModeBands(list, spanMin, spanMax, data, clockZero, flight.sampler->duration(), 0.45f);

    osg::Vec4 fill = plain ? osg::Vec4(0.35f, 0.55f, 0.78f, 1.0f) : flight.colour * 0.75f;
    fill.a() = 1.0f;
    // At most one column a pixel.
    const int columns = std::min(static_cast<int>(profile.size()), std::max(static_cast<int>(x1 - x0), 1));
    const float columnWidth = (x1 - x0) / static_cast<float>(std::max(columns, 1));
    // Each column's top on the pixel row where it begins on screen anyway,
    // so that neighbours of one height fill one rectangle: far fewer
    // triangles for a software renderer once a band is a few pixels high.
    const auto topOf = [&](int c) {
        const float h = profile[static_cast<size_t>(c) * profile.size() / static_cast<size_t>(columns)];
        return std::ceil(max.y - (max.y - min.y - 2.0f) * h - 0.5f);
    };
    for (int c = 0; c < columns;) {
        const float top = topOf(c);
        int next = c + 1;
        while (next < columns && topOf(next) == top)
            ++next;
        const float x = x0 + columnWidth * static_cast<float>(c);
        const float right = x0 + columnWidth * static_cast<float>(next - 1) + std::max(columnWidth, 1.0f);
        list->AddRectFilled(ImVec2(x, top), ImVec2(right, max.y), colourOf(fill));
        c = next;
    }
    drawMessageTicks(list, spanMin, spanMax, data, clockZero, flight.sampler->duration());
    if (const review::Review* review = flight.jobs ? flight.jobs->review() : nullptr)
        drawFindingMarks(list, spanMin, spanMax, *review, flight.sampler->duration());
}

StudioPanels::StudioPanels(StudioState& state) : state_(state) {}

void StudioPanels::sampleCurves()
{
    std::vector<double> offsets;
    for (const StudioFlight& f : state_.flights)
        offsets.push_back(f.offset);
    if (offsets == sampledOffsets_ && state_.clock.duration() == sampledDuration_)
        return;
    sampledOffsets_ = offsets;
    sampledDuration_ = state_.clock.duration();

    Curves* all[] = {&altitude_, &groundSpeed_, &voltage_};
    const int points = plotPoints(state_.flights.size());
    for (Curves* c : all)
        c->perFlight.assign(state_.flights.size(), std::vector<float>(static_cast<size_t>(points), NAN));
    for (size_t f = 0; f < state_.flights.size(); ++f) {
        const StudioFlight& flight = state_.flights[f];
        for (int i = 0; i < points; ++i) {
            const double t = sampledDuration_ * i / (points - 1) - flight.offset;
            if (t < 0.0 || t > flight.sampler->duration())
                continue;
            const FlightSample s = flight.sampler->sample(t);
            const auto at = static_cast<size_t>(i);
            altitude_.perFlight[f][at] = static_cast<float>(s.altitude);
            groundSpeed_.perFlight[f][at] = static_cast<float>(s.groundSpeed);
            voltage_.perFlight[f][at] = static_cast<float>(s.voltage);
        }
    }
    for (Curves* c : all) {
        c->low = FLT_MAX;
        c->high = -FLT_MAX;
        for (const std::vector<float>& values : c->perFlight)
            for (float v : values)
                if (!std::isnan(v)) {
                    c->low = std::min(c->low, v);
                    c->high = std::max(c->high, v);
                }
        if (c->low > c->high)
            c->low = c->high = 0.0f;
        c->high = std::max(c->high, c->low + 1.0f);
    }
}

void StudioPanels::draw()
{
    if (!state_.showPanels || state_.flights.empty())
        return;
    // The review reads the whole log again: it starts once the first
    // picture is up, and shows when done.
    if (++frames_ == 2)
        state_.startReviews();
    sampleCurves();
    drawInstruments();
    drawPlots();
    if (state_.flights.size() > 1)
        drawFlights();
    drawMessages();
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    if (display.x >= MESSAGES_MIN_WIDTH && display.y >= MESSAGES_MIN_HEIGHT)
        drawReviewPanel(state_);
    drawTimeline();
}

void StudioPanels::drawMessages()
{
    const StudioFlight& selected = state_.selectedFlight();
    const flight::Flight& data = selected.sampler->flight();
    if (data.modes.empty() && data.messages.empty() && data.events.empty())
        return;
    // A small picture has no room beside the other panels: the timeline's
    // bands and ticks tell the story there.
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    if (display.x < MESSAGES_MIN_WIDTH || display.y < MESSAGES_MIN_HEIGHT)
        return;
    ImGui::SetNextWindowPos(ImVec2(display.x - PANEL_WIDTH - 10, display.y - TIMELINE_HEIGHT - 230), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(PANEL_WIDTH, 200), ImGuiCond_FirstUseEver);
    ImGui::Begin("What happened");
    drawModeLegend(data);
    double seekTo = 0.0;
    const double now = state_.clock.time() - selected.offset;
    if (drawMessageList(data, selected.sampler->clockAtStart(), now, seekTo))
        state_.clock.seek(seekTo + selected.offset);
    ImGui::End();
}

void StudioPanels::drawInstruments()
{
    const FlightSample& now = state_.now;
    const StudioFlight& selected = state_.selectedFlight();
    const flight::Flight& flight = *selected.flight;
    ImGui::SetNextWindowPos(ImVec2(10, 10), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(PANEL_WIDTH, 0), ImGuiCond_FirstUseEver);
    ImGui::Begin("Flight");
    if (state_.flights.size() > 1)
        ImGui::TextColored(ImVec4(selected.colour.r(), selected.colour.g(), selected.colour.b(), 1.0f), "%s",
                           selected.name.c_str());
    ImGui::Text("Time  %s  (fix %d)", clockText(now.time).c_str(), now.fix + 1);
    const std::string utc = utcTextOfEpoch(now.utc);
    if (!utc.empty())
        ImGui::Text("      %s", utc.c_str());
    ImGui::Text("Altitude  %7.1f m AMSL", now.altitude);
    if (state_.ground.known)
        ImGui::Text("          %7.1f m above ground", now.altitude - groundHeightAt(now.latitude, now.longitude));
    else
        ImGui::Text("          %7.1f m above ground (est.)", now.altitude - state_.ground.flatHeight);
    if (now.linkLost)
        ImGui::TextColored(ImVec4(1.0f, 0.35f, 0.3f, 1.0f), "Link lost: values held from the last heard");
    for (const std::string& line : instrumentLines(now, flight))
        ImGui::TextUnformatted(line.c_str());
    drawHorizonAt(static_cast<float>(logRollOfAerospace(now.roll)), static_cast<float>(now.pitch), 150.0f);
    drawPlanInstruments(state_);
    ImGui::Separator();
    drawView();
    ImGui::End();
}

namespace {

// Left wing down (the log's positive roll, radians) tilts the horizon
// clockwise on screen; nose up lowers it. Without an attitude (NaN) the
// instrument is grey with a dash.
void drawHorizonAt(float roll, float pitch, float size)
{
    const ImVec2 corner = ImGui::GetCursorScreenPos();
    const ImVec2 centre(corner.x + size * 0.5f, corner.y + size * 0.5f);
    ImDrawList* list = ImGui::GetWindowDrawList();
    list->PushClipRect(corner, ImVec2(corner.x + size, corner.y + size), true);
    if (std::isnan(roll) || std::isnan(pitch)) {
        list->AddRectFilled(corner, ImVec2(corner.x + size, corner.y + size), IM_COL32(90, 90, 90, 255));
        const ImVec2 text = ImGui::CalcTextSize(MISSING_VALUE);
        list->AddText(ImVec2(centre.x - text.x * 0.5f, centre.y - text.y * 0.5f), IM_COL32(255, 255, 255, 255),
                      MISSING_VALUE);
        list->PopClipRect();
        ImGui::Dummy(ImVec2(size, size));
        return;
    }
    list->AddRectFilled(corner, ImVec2(corner.x + size, corner.y + size), IM_COL32(70, 130, 210, 255));

    const float c = std::cos(roll);
    const float s = std::sin(roll);
    const float pixelsPerDegree = size / 60.0f;
    const ImVec2 middle = plus(centre, rotated(ImVec2(0, pitch * DEGREES * pixelsPerDegree), c, s));
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

} // namespace

void StudioPanels::drawView()
{
    static const char* cameras[] = {"1 Chase", "2 Cockpit", "3 Orbit", "4 Free", "5 Top-down"};
    int camera = static_cast<int>(state_.camera);
    if (ImGui::Combo("Camera", &camera, cameras, CAMERA_MODE_COUNT))
        state_.camera = static_cast<CameraMode>(camera);

    static const char* colourings[] = {"Plain", "By altitude", "By ground speed", "By flight mode", "By a field"};
    int colouring = static_cast<int>(state_.colouring);
    if (ImGui::Combo("Track", &colouring, colourings, TRACK_COLOURING_COUNT))
        state_.colouring = static_cast<TrackColouring>(colouring);
    ImGui::Checkbox("Drop lines (G)", &state_.dropLines);
    if (state_.colouring == TrackColouring::white)
        return;
    if (state_.colouring == TrackColouring::field) {
        fieldPlots_.drawColouring(state_);
        return;
    }
    if (state_.colouring == TrackColouring::mode) {
        drawModeLegend(state_.selectedFlight().sampler->flight());
        return;
    }

    const ValueRange range = colouringRange(*state_.selectedFlight().sampler, state_.colouring);
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

void StudioPanels::drawFlights()
{
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(PANEL_WIDTH + 20, 10), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(std::min(display.x - 2 * PANEL_WIDTH - 40, 460.0f), 0), ImGuiCond_FirstUseEver);
    ImGui::Begin("Flights");
    ImGui::Checkbox("Ghost the others", &state_.ghost);
    StudioFlight& selected = state_.flights[state_.selected];
    float offset = static_cast<float>(selected.offset);
    if (ImGui::DragFloat("Offset s", &offset, 0.1f)) {
        selected.offset = offset;
        state_.settleOffsets();
    }
    const ImGuiTableFlags flags = ImGuiTableFlags_RowBg | ImGuiTableFlags_SizingFixedFit;
    if (ImGui::BeginTable("##flights", 5, flags)) {
        ImGui::TableSetupColumn("Flight");
        ImGui::TableSetupColumn("Alt m");
        ImGui::TableSetupColumn("GS m/s");
        ImGui::TableSetupColumn("Hdg");
        ImGui::TableSetupColumn("Dist m");
        ImGui::TableHeadersRow();
        for (size_t i = 0; i < state_.flights.size(); ++i) {
            const StudioFlight& f = state_.flights[i];
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(f.colour.r(), f.colour.g(), f.colour.b(), 1.0f));
            ImGui::PushID(static_cast<int>(i));
            if (ImGui::Selectable(f.name.c_str(), i == state_.selected, ImGuiSelectableFlags_SpanAllColumns))
                state_.selected = i;
            ImGui::PopID();
            ImGui::PopStyleColor();
            ImGui::TableNextColumn();
            ImGui::Text("%.1f", f.now.altitude);
            ImGui::TableNextColumn();
            ImGui::Text("%.1f", f.now.groundSpeed);
            ImGui::TableNextColumn();
            ImGui::TextUnformatted(valueText("%03.0f", compassDegrees(logHeadingOfCompass(f.now.yaw))).c_str());
            ImGui::TableNextColumn();
            ImGui::Text("%.1f", distanceMetres(f.now, state_.now));
        }
        ImGui::EndTable();
    }
    ImGui::End();
}

void StudioPanels::plotWithCursor(const char* id, const Curves& curves, const char* caption)
{
    ImGui::TextUnformatted(caption);
    const ImVec2 min = ImGui::GetCursorScreenPos();
    const ImVec2 size(ImGui::GetContentRegionAvail().x, 70.0f);
    ImGui::InvisibleButton(id, size);
    const ImVec2 max(min.x + size.x, min.y + size.y);
    ImDrawList* list = ImGui::GetWindowDrawList();
    list->AddRectFilled(min, max, ImGui::GetColorU32(ImGuiCol_FrameBg));
    {
        const StudioFlight& selected = state_.selectedFlight();
        const double clockDuration = state_.clock.duration() > 0.0 ? state_.clock.duration() : 1.0;
        const auto xOf = [&](double clockTime) {
            return min.x + size.x * static_cast<float>(std::clamp(clockTime / clockDuration, 0.0, 1.0));
        };
        drawModeBands(list, ImVec2(xOf(selected.offset), min.y),
                      ImVec2(std::max(xOf(selected.offset + selected.sampler->duration()), xOf(selected.offset) + 1.0f), max.y),
                      selected.sampler->flight(), selected.sampler->clockAtStart(), selected.sampler->duration(), 0.22f);
    }
    const float span = curves.high - curves.low;
    for (size_t f = 0; f < curves.perFlight.size(); ++f) {
        const std::vector<float>& values = curves.perFlight[f];
        const ImU32 colour = state_.flights.size() > 1 ? colourOf(state_.flights[f].colour)
                                                       : ImGui::GetColorU32(ImGuiCol_PlotLines);
        for (size_t i = 0; i + 1 < values.size(); ++i) {
            if (std::isnan(values[i]) || std::isnan(values[i + 1]))
                continue;
            const auto point = [&](size_t k) {
                return ImVec2(min.x + size.x * static_cast<float>(k) / static_cast<float>(values.size() - 1),
                              max.y - 1.0f - (size.y - 2.0f) * (values[k] - curves.low) / span);
            };
            list->AddLine(point(i), point(i + 1), colour, f == state_.selected ? 1.6f : 1.0f);
        }
    }
    const double duration = state_.clock.duration();
    const float at = duration > 0.0 ? static_cast<float>(state_.clock.time() / duration) : 0.0f;
    const float x = min.x + size.x * at;
    list->AddLine(ImVec2(x, min.y), ImVec2(x, max.y), IM_COL32(255, 80, 60, 255), 2.0f);
    if (ImGui::IsItemHovered() && ImGui::IsMouseClicked(ImGuiMouseButton_Left))
        state_.clock.seek(mouseFractionInItem() * duration);
}

void StudioPanels::drawPlots()
{
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(display.x - PANEL_WIDTH - 10, 10), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(PANEL_WIDTH, 0), ImGuiCond_FirstUseEver);
    // Fields added make it taller: it scrolls rather than run under the
    // message list below it.
    ImGui::SetNextWindowSizeConstraints(ImVec2(PANEL_WIDTH, 0.0f),
                                        ImVec2(PANEL_WIDTH, std::max(display.y - TIMELINE_HEIGHT - 260.0f, 200.0f)));
    ImGui::Begin("Plots");
    char caption[64];
    std::snprintf(caption, sizeof caption, "Altitude %.0f m", state_.now.altitude);
    plotWithCursor("##altitude", altitude_, caption);
    std::snprintf(caption, sizeof caption, "Ground speed %.1f m/s", state_.now.groundSpeed);
    plotWithCursor("##speed", groundSpeed_, caption);
    plotWithCursor("##voltage", voltage_, ("Battery " + valueText("%.2f", state_.now.voltage) + " V").c_str());
    drawPlanPlots(state_);
    fieldPlots_.draw(state_);
    ImGui::End();
}

void StudioPanels::drawTimeline()
{
    FlightClock& clock = state_.clock;
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float height = TIMELINE_HEIGHT + (state_.flights.size() > 1 ? 8.0f * static_cast<float>(state_.flights.size()) : 0.0f);
    ImGui::SetNextWindowPos(ImVec2(10, display.y - height - 10), ImGuiCond_Always);
    ImGui::SetNextWindowSize(ImVec2(display.x - 20, height), ImGuiCond_Always);
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
                flight::formatTitle(state_.selectedFlight().flight->format));

    const ImVec2 corner = ImGui::GetCursorScreenPos();
    const ImVec2 size(ImGui::GetContentRegionAvail().x, std::max(ImGui::GetContentRegionAvail().y, 20.0f));
    ImGui::InvisibleButton("##timeline", size);
    const double duration = clock.duration();
    if (ImGui::IsItemActive())
        clock.seek(mouseFractionInItem() * duration);

    ImDrawList* list = ImGui::GetWindowDrawList();
    const ImVec2 end(corner.x + size.x, corner.y + size.y);
    list->AddRectFilled(corner, end, IM_COL32(25, 30, 40, 255));
    const float band = size.y / static_cast<float>(state_.flights.size());
    for (size_t i = 0; i < state_.flights.size(); ++i) {
        const float top = corner.y + band * static_cast<float>(i);
        if (profiles_.size() != state_.flights.size()) {
            profiles_.clear();
            for (const StudioFlight& f : state_.flights)
                profiles_.push_back(altitudeProfile(*f.sampler, TIMELINE_COLUMNS / static_cast<int>(state_.flights.size())));
        }
        drawFlightOnTimeline(list, ImVec2(corner.x, top), ImVec2(end.x, top + band), state_.flights[i], duration,
                             profiles_[i]);
    }
    const float at = duration > 0.0 ? static_cast<float>(clock.time() / duration) : 0.0f;
    const float x = corner.x + size.x * at;
    list->AddLine(ImVec2(x, corner.y), ImVec2(x, end.y), IM_COL32(255, 80, 60, 255), 2.0f);
    ImGui::End();
}

} // namespace flightreplay::studio
