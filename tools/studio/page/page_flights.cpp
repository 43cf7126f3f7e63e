#include "tools/studio/page/page_flights.h"

#include <algorithm>
#include <cmath>

#include <osg/Geometry>

#include "frame/ground_height.h"
#include "frame/map_frame.h"
#include "log/units.h"
#include "tools/assets/vehicle_type.h"
#include "tools/flight/flight_events.h"
#include "tools/studio/page/model_mesh.h"
#include "tools/studio/page/page_ground.h"
#include "tools/studio/page/track_thinning.h"
#include "tools/review/flight_review.h"
#include "tools/studio/display_values.h"
#include "tools/review/severity_colours.h"
#include "tools/studio/studio_assets.h"
#include "tools/studio/track_colours.h"

namespace flightreplay::page {

namespace {

using flight::Flight;
using flight::FlightSample;
using studio::StudioFlight;

// One column of a flight's samples: its name in the page, the step its
// whole numbers count in, and how far a left-out sample may stray.
struct Channel {
    const char* name;
    double unit;
    double tolerance;
    bool degrees = false;
};

const Channel POSITION[] = {{"x", 0.01, POSITION_TOLERANCE_METRES},
                            {"y", 0.01, POSITION_TOLERANCE_METRES},
                            {"z", 0.01, POSITION_TOLERANCE_METRES}};
const Channel ATTITUDE[] = {{"qx", 1e-4, ATTITUDE_TOLERANCE},
                            {"qy", 1e-4, ATTITUDE_TOLERANCE},
                            {"qz", 1e-4, ATTITUDE_TOLERANCE},
                            {"qw", 1e-4, ATTITUDE_TOLERANCE}};
const Channel NUMBERS[] = {{"altitude", 0.01, 0.05},       {"aboveGround", 0.01, 0.05},
                           {"groundSpeed", 0.01, 0.05},    {"verticalSpeed", 0.01, 0.05},
                           {"heading", 0.01, 0.05, true},  {"pitch", 0.01, 0.05, true},
                           {"roll", 0.01, 0.05, true}};
const Channel BATTERY[] = {{"voltage", 0.001, 0.005}, {"current", 0.01, 0.05}, {"mah", 0.1, 0.5}};

struct Column {
    Channel channel;
    std::vector<double> values;
};

// Every fix's values, in the units the page shows (the studio's panels').
std::vector<Column> columnsOf(const StudioFlight& f, const studio::GroundInfo& ground)
{
    std::vector<Column> columns;
    const Flight& flight = *f.flight;
    auto add = [&columns](const Channel* begin, const Channel* end) {
        for (const Channel* c = begin; c != end; ++c)
            columns.push_back({*c, {}});
    };
    add(std::begin(POSITION), std::end(POSITION));
    add(std::begin(ATTITUDE), std::end(ATTITUDE));
    add(std::begin(NUMBERS), std::end(NUMBERS));
    const bool battery[] = {!flight.voltage.empty(), !flight.current.empty(), !flight.mah.empty()};
    for (int b = 0; b < 3; ++b)
        if (battery[b])
            columns.push_back({BATTERY[b], {}});

    const double metresPerUnit = 1.0 / mapFrame.k;
    for (double t : f.sampler->fixTimes()) {
        const FlightSample s = f.sampler->sample(t);
        const double groundHeight = ground.known ? groundHeightAt(s.latitude, s.longitude) : ground.flatHeight;
        const double values[] = {s.position.x() * metresPerUnit,
                                 s.position.y() * metresPerUnit,
                                 s.position.z() * metresPerUnit,
                                 s.attitude.x(),
                                 s.attitude.y(),
                                 s.attitude.z(),
                                 s.attitude.w(),
                                 s.altitude,
                                 s.altitude - groundHeight,
                                 s.groundSpeed,
                                 s.verticalSpeed,
                                 studio::compassDegrees(logHeadingOfCompass(s.yaw)),
                                 studio::signedDegrees(s.pitch),
                                 studio::signedDegrees(logRollOfAerospace(s.roll)),
                                 s.voltage,
                                 s.current,
                                 s.mah};
        // The battery's three come last, each only where the flight has it.
        const size_t firstBattery = std::size(values) - 3;
        size_t c = 0;
        for (size_t v = 0; v < std::size(values) && c < columns.size(); ++v) {
            if (v >= firstBattery && !battery[v - firstBattery])
                continue;
            columns[c++].values.push_back(values[v]);
        }
    }
    return columns;
}

std::vector<size_t> keptSamples(const StudioFlight& f, const std::vector<Column>& columns, double factor)
{
    std::vector<ThinningChannel> channels;
    for (const Column& c : columns)
        channels.push_back({c.values, c.channel.tolerance * factor, c.channel.degrees});
    return thinSamples(f.sampler->fixTimes(), channels);
}

// Whole numbers of unit, each after the first as the step from the one before.
nlohmann::json deltas(const std::vector<double>& values, const std::vector<size_t>& kept, double unit)
{
    nlohmann::json steps = nlohmann::json::array();
    long long last = 0;
    for (size_t i : kept) {
        const double v = values[i];
        const long long whole = std::isfinite(v) ? std::llround(v / unit) : 0;
        steps.push_back(whole - last);
        last = whole;
    }
    return steps;
}

// Base64 of the kept samples' colours under one colouring, 3 bytes each.
std::string trackColours(const StudioFlight& f, studio::TrackColouring colouring, const std::vector<size_t>& kept)
{
    osg::ref_ptr<osg::Geometry> track = new osg::Geometry;
    studio::colourTrack(*track, *f.sampler, colouring, f.colour);
    const auto* colours = dynamic_cast<const osg::Vec4Array*>(track->getColorArray());
    std::string bytes;
    for (size_t i : kept) {
        const osg::Vec4 c = colours && i < colours->size() ? (*colours)[i] : f.colour;
        for (int k = 0; k < 3; ++k)
            bytes.push_back(static_cast<char>(std::lround(std::clamp(c[k], 0.0f, 1.0f) * 255.0f)));
    }
    return base64(bytes);
}

nlohmann::json happenings(const Flight& flight, double start, std::vector<std::string>& notes, const std::string& name)
{
    nlohmann::json modes = nlohmann::json::array();
    for (const flight::ModeChange& m : flight.modes)
        modes.push_back({{"t", m.t - start},
                         {"name", m.name},
                         {"colour", flight::htmlColour(flight::modeColour(flight::modeColourIndex(flight, m.code)))}});
    nlohmann::json events = nlohmann::json::array();
    for (const flight::FlightEvent& e : flight.events) {
        const char* mark = e.kind == flight::FlightEventKind::armed      ? "A"
                           : e.kind == flight::FlightEventKind::disarmed ? "D"
                           : e.kind == flight::FlightEventKind::takeoff  ? "T"
                           : e.kind == flight::FlightEventKind::landing  ? "L"
                                                                         : nullptr;
        if (mark)
            events.push_back({{"t", e.t - start}, {"mark", mark}, {"logged", e.logged}});
    }
    nlohmann::json messages = nlohmann::json::array();
    for (const flight::FlightMessage& m : flight.messages) {
        if (messages.size() == MAX_PAGE_MESSAGES) {
            notes.push_back(name + ": the page lists its first " + std::to_string(MAX_PAGE_MESSAGES) + " of "
                            + std::to_string(flight.messages.size()) + " messages");
            break;
        }
        messages.push_back({{"t", m.t - start}, {"severity", m.severity}, {"text", m.text}});
    }
    return {{"modes", modes}, {"events", events}, {"messages", messages}};
}

// The review of the flight; its times as the findings count them, seconds
// from the first fix, as the page's samples.
nlohmann::json reviewJson(const Flight& flight)
{
    const review::Review review = review::reviewFlight(flight);
    nlohmann::json findings = nlohmann::json::array();
    for (const review::Finding& f : review.findings)
        findings.push_back({{"kind", review::kindWord(f.kind)},
                            {"severity", review::severityWord(f.severity)},
                            {"colour", flight::htmlColour(review::severityOsgColour(f.severity))},
                            {"start", f.start},
                            {"end", f.end},
                            {"value", std::isfinite(f.value) ? nlohmann::json(f.value) : nlohmann::json()},
                            {"threshold", std::isfinite(f.threshold) ? nlohmann::json(f.threshold) : nlohmann::json()},
                            {"unit", f.unit},
                            {"text", f.text}});
    return {{"findings", findings}, {"notes", review.notes}};
}

nlohmann::json meshJson(const ModelMesh& mesh)
{
    nlohmann::json corners = nlohmann::json::array();
    for (float c : mesh.corners)
        corners.push_back(std::lround(c * 1000.0f));
    return {{"millimetres", corners}, {"colours", base64(std::string(mesh.colours.begin(), mesh.colours.end()))}};
}

} // namespace

PageFlights pageFlights(const studio::StudioState& state, const std::string& modelOption)
{
    PageFlights page;
    std::vector<std::vector<Column>> columns;
    size_t fixes = 0;
    for (const StudioFlight& f : state.flights) {
        columns.push_back(columnsOf(f, state.ground));
        fixes += f.sampler->fixTimes().size();
    }
    // Long flights: coarser until all of them fit.
    double factor = 1.0;
    std::vector<std::vector<size_t>> kept;
    for (int attempt = 0; attempt < 30; ++attempt, factor *= 2.0) {
        kept.clear();
        size_t total = 0;
        for (size_t i = 0; i < state.flights.size(); ++i) {
            kept.push_back(keptSamples(state.flights[i], columns[i], factor));
            total += kept.back().size();
        }
        if (total <= MAX_PAGE_SAMPLES)
            break;
    }

    std::string modelNote;
    for (size_t i = 0; i < state.flights.size(); ++i) {
        const StudioFlight& f = state.flights[i];
        const Flight& flight = *f.flight;
        osg::ref_ptr<osg::Node> model = studio::vehicleModelFor(flight, modelOption, modelNote);
        // Flights of one kind share their model on the page.
        nlohmann::json mesh = meshJson(modelMesh(*model, 1.0 / mapFrame.k));
        const auto found = std::find(page.models.begin(), page.models.end(), mesh);
        const size_t modelIndex = static_cast<size_t>(found - page.models.begin());
        if (found == page.models.end())
            page.models.push_back(std::move(mesh));

        nlohmann::json samples;
        samples["t"] = deltas(f.sampler->fixTimes(), kept[i], 0.001);
        for (const Column& c : columns[i])
            samples[c.channel.name] = deltas(c.values, kept[i], c.channel.unit);
        nlohmann::json units = {{"t", 0.001}};
        for (const Column& c : columns[i])
            units[c.channel.name] = c.channel.unit;

        const double start = f.sampler->clockAtStart();
        const studio::ValueRange altitude = studio::colouringRange(*f.sampler, studio::TrackColouring::altitude);
        const studio::ValueRange speed = studio::colouringRange(*f.sampler, studio::TrackColouring::speed);
        nlohmann::json entry = {
            {"name", f.name},
            {"colour", flight::htmlColour(f.colour)},
            {"offset", f.offset},
            {"duration", f.sampler->duration()},
            {"format", flight::formatTitle(flight.format)},
            {"vehicle", assets::vehicleTypeName(assets::vehicleTypeOf(flight))},
            {"model", modelIndex},
            {"chaseMetres", studio::chaseDistanceFor(model.get())},
            {"utcStart", std::isfinite(flight.utcAtClockZero) ? nlohmann::json(flight.utcAtClockZero + start) : nlohmann::json()},
            {"hasAttitude", !flight.attitude.empty()},
            {"fixes", f.sampler->fixTimes().size()},
            {"kept", kept[i].size()},
            {"toleranceMetres", POSITION_TOLERANCE_METRES * factor},
            {"toleranceDegrees", ATTITUDE_TOLERANCE_DEGREES * factor},
            {"units", units},
            {"samples", samples},
            {"colours",
             {{"altitude", trackColours(f, studio::TrackColouring::altitude, kept[i])},
              {"speed", trackColours(f, studio::TrackColouring::speed, kept[i])},
              {"mode", trackColours(f, studio::TrackColouring::mode, kept[i])}}},
            {"ranges", {{"altitude", {altitude.low, altitude.high}}, {"speed", {speed.low, speed.high}}}},
        };
        entry.update(happenings(flight, start, page.notes, f.name));
        entry["review"] = reviewJson(flight);
        page.flights.push_back(entry);
    }
    if (!modelNote.empty())
        page.notes.push_back(modelNote);
    return page;
}

} // namespace flightreplay::page
