#include "tools/studio/event_timeline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>

#include "tools/flight/flight_events.h"

namespace flightreplay::studio {

namespace {

using namespace flight;

constexpr float HOVER_PX = 4.0f;
constexpr float EVENT_MARK_PX = 6.0f;
constexpr int TOOLTIP_LINES = 12;
const osg::Vec4 NO_MODE_COLOUR(0.75f, 0.75f, 0.75f, 1.0f);

ImU32 colourOf(const osg::Vec4& c, float alpha = 1.0f)
{
    return ImGui::ColorConvertFloat4ToU32(ImVec4(c.r(), c.g(), c.b(), c.a() * alpha));
}

osg::Vec4 colourOfMode(const Flight& flight, int code)
{
    return modeColour(modeColourIndex(flight, code));
}

ImU32 textColourOn(const osg::Vec4& c)
{
    const float luminance = 0.299f * c.r() + 0.587f * c.g() + 0.114f * c.b();
    return luminance > 0.55f ? IM_COL32(0, 0, 0, 255) : IM_COL32(255, 255, 255, 255);
}

ImVec4 severityColour(int severity)
{
    if (severity <= 3)
        return ImVec4(1.0f, 0.35f, 0.3f, 1.0f);
    if (severity == 4)
        return ImVec4(1.0f, 0.85f, 0.25f, 1.0f);
    return ImVec4(0.85f, 0.85f, 0.85f, 1.0f);
}

const char* severityName(int severity)
{
    static const char* names[] = {"emergency", "alert", "critical", "error", "warning", "notice", "info", "debug"};
    return severity >= 0 && severity <= 7 ? names[severity] : "info";
}

const char* eventName(FlightEventKind kind)
{
    switch (kind) {
    case FlightEventKind::armed: return "Armed";
    case FlightEventKind::disarmed: return "Disarmed";
    case FlightEventKind::takeoff: return "Take-off";
    case FlightEventKind::landing: return "Landing";
    case FlightEventKind::linkLost: return "Link lost";
    case FlightEventKind::missionCurrent: return "Mission item";
    case FlightEventKind::missionReached: return "Reached item";
    }
    return "";
}

const char* eventLetter(FlightEventKind kind)
{
    switch (kind) {
    case FlightEventKind::armed: return "A";
    case FlightEventKind::disarmed: return "D";
    case FlightEventKind::takeoff: return "T";
    case FlightEventKind::landing: return "L";
    case FlightEventKind::linkLost: return "!";
    case FlightEventKind::missionCurrent:
    case FlightEventKind::missionReached: return "M";
    }
    return "";
}

std::string eventText(const FlightEvent& e)
{
    std::string text = eventName(e.kind);
    if (e.kind == FlightEventKind::linkLost) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, " %.1f s", e.duration);
        text += seconds;
    } else if (e.kind == FlightEventKind::missionCurrent || e.kind == FlightEventKind::missionReached) {
        text += " " + std::to_string(e.item);
    }
    return text + (e.logged ? "" : " (from the data)");
}

// Position along the rectangle of studio time s.
struct TimeAxis {
    float left;
    float width;
    double duration;
    float x(double s) const { return left + width * static_cast<float>(duration > 0.0 ? s / duration : 0.0); }
};

std::string clockLabel(double seconds)
{
    char text[32];
    const double shown = std::fabs(seconds);
    std::snprintf(text, sizeof text, "%02d:%04.1f", static_cast<int>(shown / 60.0), std::fmod(shown, 60.0));
    return seconds < 0.0 ? "-" + std::string(text) : text;
}

// One line of the message list: a mode change, a message or an event.
struct ListLine {
    double t;
    ImVec4 colour;
    std::string text;
};

std::vector<ListLine> listLines(const Flight& flight)
{
    std::vector<ListLine> lines;
    lines.reserve(flight.modes.size() + flight.messages.size() + flight.events.size());
    for (const ModeChange& m : flight.modes) {
        const osg::Vec4 c = colourOfMode(flight, m.code);
        lines.push_back({m.t, ImVec4(c.r(), c.g(), c.b(), 1.0f), "Mode " + m.name});
    }
    for (const FlightMessage& m : flight.messages)
        lines.push_back({m.t, severityColour(m.severity), m.text});
    for (const FlightEvent& e : flight.events)
        lines.push_back({e.t, ImVec4(0.55f, 0.85f, 1.0f, 1.0f), eventText(e)});
    std::stable_sort(lines.begin(), lines.end(), [](const ListLine& a, const ListLine& b) { return a.t < b.t; });
    return lines;
}

} // namespace

void drawModeBands(ImDrawList* list, ImVec2 min, ImVec2 max, const Flight& flight, double clockZero, double duration,
                   float opacity)
{
    if (flight.modes.empty() || !(duration > 0.0))
        return;
    const TimeAxis axis{min.x, max.x - min.x, duration};
    list->PushClipRect(min, max, true);
    for (size_t i = 0; i < flight.modes.size(); ++i) {
        const ModeChange& mode = flight.modes[i];
        const double end = i + 1 < flight.modes.size() ? flight.modes[i + 1].t - clockZero : duration;
        const float left = std::max(axis.x(mode.t - clockZero), min.x);
        const float right = std::min(axis.x(end), max.x);
        if (right <= left)
            continue;
        const osg::Vec4 colour = colourOfMode(flight, mode.code);
        list->AddRectFilled(ImVec2(left, min.y), ImVec2(right, max.y), colourOf(colour, opacity));
        const ImVec2 size = ImGui::CalcTextSize(mode.name.c_str());
        if (size.x + 6.0f <= right - left && size.y <= max.y - min.y)
            list->AddText(ImVec2(left + 3.0f, min.y + 1.0f), opacity >= 0.5f ? textColourOn(colour) : IM_COL32_WHITE,
                          mode.name.c_str());
    }
    list->PopClipRect();
}

void drawMessageTicks(ImDrawList* list, ImVec2 min, ImVec2 max, const Flight& flight, double clockZero,
                      double duration)
{
    if (!(duration > 0.0))
        return;
    const TimeAxis axis{min.x, max.x - min.x, duration};
    const float middle = 0.5f * (min.y + max.y);
    const ImVec2 mouse = ImGui::GetIO().MousePos;
    const bool hovered = ImGui::IsMouseHoveringRect(min, max, false);
    std::vector<std::string> near;
    const auto isNear = [&](float x) { return hovered && std::fabs(mouse.x - x) <= HOVER_PX; };

    list->PushClipRect(min, max, true);
    float lastX = -1e9f;
    int lastSeverity = 8;
    for (const FlightMessage& m : flight.messages) {
        const float x = axis.x(m.t - clockZero);
        // Thousands of messages share a few hundred pixels, and ImGui's
        // draw list holds 65536 vertices: one line per pixel, a more severe
        // one drawn over it.
        const bool newPixel = x - lastX >= 1.0f;
        if (newPixel || m.severity < lastSeverity) {
            list->AddLine(ImVec2(x, middle), ImVec2(x, max.y), ImGui::ColorConvertFloat4ToU32(severityColour(m.severity)));
            lastSeverity = newPixel ? m.severity : std::min(lastSeverity, m.severity);
            if (newPixel)
                lastX = x;
        }
        if (isNear(x) && near.size() < TOOLTIP_LINES)
            near.push_back(clockLabel(m.t - clockZero) + "  [" + severityName(m.severity) + "] " + m.text);
    }
    float lastEventX = -1e9f;
    for (const FlightEvent& e : flight.events) {
        const float x = axis.x(e.t - clockZero);
        if (isNear(x) && near.size() < TOOLTIP_LINES)
            near.push_back(clockLabel(e.t - clockZero) + "  " + eventText(e));
        // A mark takes some 40 vertices: marks closer than their own width
        // (a repeated or very long log) are one mark, and the list stays
        // within ImGui's 65536.
        if (x - lastEventX < EVENT_MARK_PX)
            continue;
        lastEventX = x;
        const char* letter = eventLetter(e.kind);
        const bool lost = e.kind == FlightEventKind::linkLost;
        const ImU32 colour = lost ? IM_COL32(255, 90, 80, 255) : IM_COL32(140, 215, 255, 255);
        // A lost link spans the time nothing was heard.
        if (lost)
            list->AddRectFilled(ImVec2(x, min.y), ImVec2(std::max(axis.x(e.t + e.duration - clockZero), x + 1.0f), max.y),
                                IM_COL32(255, 90, 80, 70));
        const ImVec2 a(x - 5.0f, min.y), b(x + 5.0f, min.y), c(x, min.y + 8.0f);
        if (e.logged)
            list->AddTriangleFilled(a, b, c, colour);
        else
            list->AddTriangle(a, b, c, colour, 1.5f);
        list->AddLine(ImVec2(x, min.y + 8.0f), ImVec2(x, max.y), colour);
        list->AddText(ImVec2(x + 6.0f, min.y), colour, letter);
    }
    list->PopClipRect();
    drawTooltipLines(near);
}

void drawTooltipLines(const std::vector<std::string>& lines)
{
    if (lines.empty())
        return;
    ImGui::BeginTooltip();
    for (const std::string& line : lines)
        ImGui::TextUnformatted(line.c_str());
    ImGui::EndTooltip();
}

bool drawMessageList(const Flight& flight, double clockZero, double now, double& seekTo)
{
    // Merged once per flight, as a long log holds up to a hundred thousand
    // lines; the key holds the lists' buffers, so another flight read into
    // the same place is not taken for the last one.
    struct Key {
        const Flight* flight = nullptr;
        const void* modes = nullptr;
        const void* messages = nullptr;
        const void* events = nullptr;
        size_t count = 0;
        bool operator==(const Key& o) const
        {
            return flight == o.flight && modes == o.modes && messages == o.messages && events == o.events && count == o.count;
        }
    };
    static Key cached;
    static std::vector<ListLine> lines;
    const Key key{&flight, flight.modes.data(), flight.messages.data(), flight.events.data(),
                  flight.modes.size() + flight.messages.size() + flight.events.size()};
    if (!(key == cached)) {
        lines = listLines(flight);
        cached = key;
    }
    if (lines.empty()) {
        ImGui::TextUnformatted("The log holds no modes, messages or events.");
        return false;
    }
    const auto after = std::upper_bound(lines.begin(), lines.end(), now + clockZero,
                                        [](double t, const ListLine& line) { return t < line.t; });
    const int current = static_cast<int>(after - lines.begin()) - 1;
    bool clicked = false;
    ImGui::BeginChild("##happenings", ImVec2(0, 0), false, ImGuiWindowFlags_HorizontalScrollbar);
    // Follows the replay to each new line, and leaves the reader's own
    // scrolling alone in between.
    static int shownCurrent = -2;
    if (current != shownCurrent) {
        const float lineHeight = ImGui::GetTextLineHeightWithSpacing();
        ImGui::SetScrollY(std::max(0.0f, static_cast<float>(current) * lineHeight - 0.5f * ImGui::GetWindowHeight()));
        shownCurrent = current;
    }
    ImGuiListClipper clipper;
    clipper.Begin(static_cast<int>(lines.size()));
    while (clipper.Step()) {
        for (int i = clipper.DisplayStart; i < clipper.DisplayEnd; ++i) {
            const ListLine& line = lines[static_cast<size_t>(i)];
            ImGui::PushID(i);
            ImGui::PushStyleColor(ImGuiCol_Text, line.colour);
            const std::string label = clockLabel(line.t - clockZero) + "  " + line.text;
            if (ImGui::Selectable(label.c_str(), i == current)) {
                seekTo = line.t - clockZero;
                clicked = true;
            }
            ImGui::PopStyleColor();
            ImGui::PopID();
        }
    }
    ImGui::EndChild();
    return clicked;
}

void drawModeLegend(const Flight& flight)
{
    std::set<int> shown;
    const float side = ImGui::GetTextLineHeight();
    for (const ModeChange& mode : flight.modes) {
        if (!shown.insert(mode.code).second)
            continue;
        const ImVec2 at = ImGui::GetCursorScreenPos();
        ImGui::GetWindowDrawList()->AddRectFilled(at, ImVec2(at.x + side, at.y + side),
                                                  colourOf(colourOfMode(flight, mode.code)));
        ImGui::Dummy(ImVec2(side, side));
        ImGui::SameLine();
        ImGui::TextUnformatted(mode.name.c_str());
    }
}

void colourTrackByMode(osg::Geometry& track, const std::vector<double>& vertexTimes, const Flight& flight)
{
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    colours->reserve(vertexTimes.size());
    for (double t : vertexTimes) {
        const int index = modeAt(flight, t);
        colours->push_back(index < 0 ? NO_MODE_COLOUR : colourOfMode(flight, flight.modes[static_cast<size_t>(index)].code));
    }
    track.setColorArray(colours.get(), osg::Array::BIND_PER_VERTEX);
}

} // namespace flightreplay::studio
