#include "tools/studio/field_plots.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>

#include "tools/common/number_text.h"
#include "tools/studio/instrument_lines.h"
#include "tools/studio/track_colours.h"

namespace flightreplay::studio {

namespace {

constexpr int FIELD_COLUMNS = 300;
constexpr float PLOT_HEIGHT = 90.0f;
constexpr float SEARCH_HEIGHT = 110.0f;
constexpr size_t MAX_FILTER = 128;

// Far from the review's amber and red, and from the plots' own line.
const ImU32 CURVE_COLOURS[MAX_PLOTTED_FIELDS] = {
    IM_COL32(90, 200, 255, 255), IM_COL32(120, 230, 120, 255), IM_COL32(235, 120, 235, 255), IM_COL32(255, 255, 140, 255),
    IM_COL32(160, 140, 255, 255), IM_COL32(80, 230, 200, 255), IM_COL32(255, 190, 200, 255), IM_COL32(200, 200, 200, 255)};

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

const flight::FieldInfo* infoOf(const StudioFlight& flight, const std::string& name)
{
    return flight.flight && flight.flight->fields ? flight.flight->fields->find(name) : nullptr;
}

// The sample at or before t (the first after it before the series starts);
// NaN for an empty series.
double valueAt(const flight::Series& series, double t)
{
    if (series.empty())
        return NAN;
    const auto after = std::upper_bound(series.begin(), series.end(), t,
                                        [](double time, const flight::Sample& s) { return time < s.t; });
    return after == series.begin() ? after->value : std::prev(after)->value;
}

std::string numberText(double value)
{
    return tools::numberText(value, "%.4g", MISSING_VALUE);
}

} // namespace

std::vector<std::string> matchingFields(const flight::FieldCatalogue& catalogue, const std::string& filter, size_t limit)
{
    std::vector<std::string> words;
    const std::string text = lower(filter);
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find(' ', at), text.size());
        if (end > at)
            words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    std::vector<std::string> found;
    for (const flight::FieldInfo& field : catalogue.fields()) {
        if (found.size() >= limit)
            break;
        const std::string name = lower(field.name);
        if (std::all_of(words.begin(), words.end(), [&](const std::string& w) { return name.find(w) != std::string::npos; }))
            found.push_back(field.name);
    }
    return found;
}

ColumnRange columnsOf(const flight::Series& series, double clockZero, double offset, double duration, int columns)
{
    ColumnRange range;
    range.low.assign(static_cast<size_t>(std::max(columns, 0)), NAN);
    range.high = range.low;
    if (columns <= 0 || !(duration > 0.0))
        return range;
    for (const flight::Sample& s : series) {
        const double clock = s.t - clockZero + offset;
        if (clock < 0.0 || clock > duration || !std::isfinite(s.value))
            continue;
        const auto c = static_cast<size_t>(std::min(static_cast<int>(clock / duration * columns), columns - 1));
        const auto v = static_cast<float>(s.value);
        range.low[c] = std::isnan(range.low[c]) ? v : std::min(range.low[c], v);
        range.high[c] = std::isnan(range.high[c]) ? v : std::max(range.high[c], v);
    }
    return range;
}

bool FieldPlots::search(const char* id, const StudioFlight& flight, std::string& filter, std::string& picked)
{
    if (!flight.flight || !flight.flight->fields || flight.flight->fields->fields().empty()) {
        ImGui::TextDisabled("This log has no fields of its own.");
        return false;
    }
    char buffer[MAX_FILTER] = {};
    filter.copy(buffer, sizeof buffer - 1);
    ImGui::PushID(id);
    ImGui::SetNextItemWidth(-1.0f);
    if (ImGui::InputTextWithHint("##filter", "search the log's fields", buffer, sizeof buffer))
        filter = buffer;
    bool clicked = false;
    if (!filter.empty()) {
        const std::vector<std::string> names = matchingFields(*flight.flight->fields, filter);
        if (names.empty()) {
            ImGui::TextDisabled("no field holds '%s'", filter.c_str());
        } else {
            ImGui::BeginChild("##matches", ImVec2(0.0f, SEARCH_HEIGHT), true);
            ImGuiListClipper clipper;
            clipper.Begin(static_cast<int>(names.size()));
            while (clipper.Step())
                for (int i = clipper.DisplayStart; i < clipper.DisplayEnd; ++i) {
                    const std::string& name = names[static_cast<size_t>(i)];
                    const flight::FieldInfo* info = infoOf(flight, name);
                    const std::string label = name + (info && !info->unit.empty() ? "  (" + info->unit + ")" : "");
                    if (ImGui::Selectable(label.c_str())) {
                        picked = name;
                        clicked = true;
                    }
                }
            ImGui::EndChild();
        }
    }
    ImGui::PopID();
    return clicked;
}

FieldPlots::Curve& FieldPlots::curveOf(StudioState& state, const std::string& name)
{
    StudioFlight& flight = state.flights[state.selected];
    auto found = std::find_if(curves_.begin(), curves_.end(), [&](const Curve& c) { return c.name == name; });
    if (found == curves_.end()) {
        curves_.emplace_back();
        curves_.back().name = name;
        found = std::prev(curves_.end());
    }
    Curve& curve = *found;
    if (curve.flight != state.selected || curve.duration != state.clock.duration() || curve.offset != flight.offset) {
        curve = Curve();
        curve.name = name;
        curve.flight = state.selected;
        curve.duration = state.clock.duration();
        curve.offset = flight.offset;
    }
    if (!curve.read && flight.jobs)
        if (const flight::Series* series = flight.jobs->field(name)) {
            curve.columns = columnsOf(*series, flight.sampler->clockAtStart(), flight.offset, state.clock.duration(), FIELD_COLUMNS);
            curve.read = true;
        }
    return curve;
}

void FieldPlots::draw(StudioState& state)
{
    StudioFlight& flight = state.flights[state.selected];
    ImGui::Separator();
    ImGui::TextUnformatted("Fields of the log");
    std::vector<std::string>& names = state.plotFields;
    curves_.erase(std::remove_if(curves_.begin(), curves_.end(),
                                 [&](const Curve& c) { return std::find(names.begin(), names.end(), c.name) == names.end(); }),
                  curves_.end());
    if (!names.empty()) {
        float low = FLT_MAX, high = -FLT_MAX;
        std::vector<const Curve*> shown;
        for (const std::string& name : names) {
            const Curve& curve = curveOf(state, name);
            shown.push_back(&curve);
            for (size_t c = 0; c < curve.columns.low.size(); ++c)
                if (!std::isnan(curve.columns.low[c])) {
                    low = std::min(low, curve.columns.low[c]);
                    high = std::max(high, curve.columns.high[c]);
                }
        }
        if (low > high)
            low = high = 0.0f;
        if (high <= low)
            high = low + 1.0f;
        const ImVec2 min = ImGui::GetCursorScreenPos();
        const ImVec2 size(ImGui::GetContentRegionAvail().x, PLOT_HEIGHT);
        ImGui::InvisibleButton("##fields", size);
        const ImVec2 max(min.x + size.x, min.y + size.y);
        ImDrawList* list = ImGui::GetWindowDrawList();
        list->AddRectFilled(min, max, ImGui::GetColorU32(ImGuiCol_FrameBg));
        const auto yOf = [&](float v) { return max.y - 1.0f - (size.y - 2.0f) * (v - low) / (high - low); };
        for (size_t k = 0; k < shown.size(); ++k) {
            const ColumnRange& columns = shown[k]->columns;
            const ImU32 colour = CURVE_COLOURS[k % MAX_PLOTTED_FIELDS];
            const auto xOf = [&](size_t c) { return min.x + size.x * (static_cast<float>(c) + 0.5f) / FIELD_COLUMNS; };
            for (size_t c = 0; c < columns.low.size(); ++c) {
                if (std::isnan(columns.low[c]))
                    continue;
                if (columns.high[c] > columns.low[c])
                    list->AddLine(ImVec2(xOf(c), yOf(columns.low[c])), ImVec2(xOf(c), yOf(columns.high[c])), colour);
                if (c + 1 < columns.low.size() && !std::isnan(columns.low[c + 1]))
                    list->AddLine(ImVec2(xOf(c), yOf(0.5f * (columns.low[c] + columns.high[c]))),
                                  ImVec2(xOf(c + 1), yOf(0.5f * (columns.low[c + 1] + columns.high[c + 1]))), colour, 1.4f);
            }
        }
        const double duration = state.clock.duration();
        const float x = min.x + size.x * (duration > 0.0 ? static_cast<float>(state.clock.time() / duration) : 0.0f);
        list->AddLine(ImVec2(x, min.y), ImVec2(x, max.y), IM_COL32(255, 80, 60, 255), 2.0f);
        char scale[64];
        std::snprintf(scale, sizeof scale, "%.4g", static_cast<double>(high));
        list->AddText(ImVec2(min.x + 2.0f, min.y), IM_COL32(200, 200, 200, 255), scale);
        std::snprintf(scale, sizeof scale, "%.4g", static_cast<double>(low));
        list->AddText(ImVec2(min.x + 2.0f, max.y - ImGui::GetTextLineHeight()), IM_COL32(200, 200, 200, 255), scale);
        if (ImGui::IsItemHovered() && ImGui::IsMouseClicked(ImGuiMouseButton_Left) && duration > 0.0)
            state.clock.seek((ImGui::GetIO().MousePos.x - min.x) / std::max(size.x, 1.0f) * duration);

        const double fileTime = state.flightTime(state.selected) + flight.sampler->clockAtStart();
        for (size_t k = 0; k < names.size(); ++k) {
            ImGui::PushID(static_cast<int>(k));
            if (ImGui::SmallButton("x")) {
                names.erase(names.begin() + static_cast<long>(k));
                ImGui::PopID();
                break;
            }
            ImGui::SameLine();
            ImGui::PushStyleColor(ImGuiCol_Text, ImGui::ColorConvertU32ToFloat4(CURVE_COLOURS[k % MAX_PLOTTED_FIELDS]));
            const flight::FieldInfo* info = infoOf(flight, names[k]);
            const flight::Series* series = flight.jobs ? flight.jobs->field(names[k]) : nullptr;
            std::string value = !info ? "not in this flight" : !series ? "reading ..." : numberText(valueAt(*series, fileTime));
            if (info && series && !info->unit.empty())
                value += " " + info->unit;
            ImGui::Text("%s  %s", names[k].c_str(), value.c_str());
            ImGui::PopStyleColor();
            ImGui::PopID();
        }
    }
    if (names.size() >= MAX_PLOTTED_FIELDS) {
        ImGui::TextDisabled("%zu fields at most: remove one to add another", MAX_PLOTTED_FIELDS);
        return;
    }
    std::string picked;
    if (search("##plot", flight, filter_, picked) && std::find(names.begin(), names.end(), picked) == names.end())
        names.push_back(picked);
}

void FieldPlots::drawColouring(StudioState& state)
{
    StudioFlight& flight = state.flights[state.selected];
    std::string picked;
    if (search("##colour", flight, colouringFilter_, picked)) {
        state.trackField = picked;
        colouringFilter_.clear();
    }
    if (state.trackField.empty()) {
        ImGui::TextDisabled("Pick a field to colour the track by.");
        return;
    }
    const flight::FieldInfo* info = infoOf(flight, state.trackField);
    const flight::Series* series = info && flight.jobs ? flight.jobs->field(state.trackField) : nullptr;
    ImGui::TextUnformatted(state.trackField.c_str());
    if (!info || (series && series->empty())) {
        ImGui::TextDisabled("not in this flight: drawn plain");
        return;
    }
    if (!series) {
        ImGui::TextDisabled("reading ...");
        return;
    }
    if (series != rangeOf_) {
        range_ = valuesRange(fieldAtFixes(*flight.sampler, *series));
        rangeOf_ = series;
    }
    const ValueRange range = range_;
    const ImVec2 corner = ImGui::GetCursorScreenPos();
    const float width = ImGui::GetContentRegionAvail().x;
    const int bands = 32;
    ImDrawList* list = ImGui::GetWindowDrawList();
    for (int i = 0; i < bands; ++i) {
        const osg::Vec4 c = rampColour((i + 0.5) / bands);
        list->AddRectFilled(ImVec2(corner.x + width * static_cast<float>(i) / bands, corner.y),
                            ImVec2(corner.x + width * static_cast<float>(i + 1) / bands + 0.5f, corner.y + 12.0f),
                            ImGui::ColorConvertFloat4ToU32(ImVec4(c.r(), c.g(), c.b(), 1.0f)));
    }
    ImGui::Dummy(ImVec2(width, 12.0f));
    const std::string unit = info->unit.empty() ? "" : " " + info->unit;
    const std::string low = numberText(range.low) + unit;
    const std::string high = numberText(range.high) + unit;
    ImGui::TextUnformatted(low.c_str());
    ImGui::SameLine(std::max(width - ImGui::CalcTextSize(high.c_str()).x, 0.0f));
    ImGui::TextUnformatted(high.c_str());
}

} // namespace flightreplay::studio
