#include "tools/studio/studio_flights.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "frame/map_frame.h"
#include "log/geography.h"
#include "tools/common/tool_error.h"
#include "tools/flight/field_catalogue.h"
#include "tools/flight/flight_events.h"
#include "tools/flight/flight_extent.h"
#include "tools/readers/read_flight.h"
#ifdef FLIGHTREPLAY_HAVE_BOOK
#include "tools/book/book_query.h"
#endif

namespace flightreplay::studio {

namespace {

constexpr double SAME_DAY_SECONDS = 86400.0;

// A field no flight has is a typing error better told at once than an
// empty plot or a plain track.
void checkFieldsNamed(const StudioState& state)
{
    std::vector<std::pair<const char*, std::string>> named;
    if (!state.trackField.empty())
        named.emplace_back("--track-field", state.trackField);
    for (const std::string& name : state.plotFields)
        named.emplace_back("--plot", name);
    for (const auto& [option, name] : named) {
        bool found = false;
        for (const StudioFlight& f : state.flights)
            found = found || flight::hasField(*f.flight, name);
        if (!found)
            throw tools::ToolError(std::string(option) + " " + name +
                                   ": no flight has a field of that name (flightreplay-convert --fields FLIGHT lists them)");
    }
}

} // namespace

std::string fileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

double distanceMetres(const FlightSample& a, const FlightSample& b)
{
    const double ground = groundDistanceMetres(a.latitude, a.longitude, b.latitude, b.longitude);
    return std::hypot(ground, b.altitude - a.altitude);
}

bool flightNameMatches(const std::string& name, const std::string& path)
{
    const std::string file = fileNameOf(path);
    const size_t dot = file.rfind('.');
    return name == path || name == file || (dot != std::string::npos && dot > 0 && name == file.substr(0, dot));
}

osg::Vec4 flightColour(size_t index, size_t count)
{
    // Far apart from each other and from the grey-green ground and the sky.
    static const unsigned char palette[MAX_FLIGHTS][3] = {
        {230, 25, 75},  {60, 180, 75},   {255, 225, 25}, {0, 130, 200},  {245, 130, 48}, {145, 30, 180},
        {70, 240, 240}, {240, 50, 230},  {210, 245, 60}, {250, 190, 212}, {0, 128, 128}, {220, 190, 255},
        {170, 110, 40}, {255, 250, 200}, {128, 0, 0},    {170, 255, 195},
    };
    const unsigned char* c = palette[index % MAX_FLIGHTS];
    if (count > 1)
        return osg::Vec4(c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f, 1.0f);
    return osg::Vec4(1, 1, 1, 1);
}

std::vector<double> alignmentOffsets(const std::vector<const FlightSampler*>& flights,
                                     const std::vector<std::string>& names, Alignment alignment)
{
    std::vector<double> offsets(flights.size(), 0.0);
    for (size_t i = 0; i < flights.size(); ++i) {
        const FlightSampler& f = *flights[i];
        if (alignment == Alignment::utc) {
            if (!std::isfinite(f.flight().utcAtClockZero))
                throw tools::ToolError("--align utc: " + names[i] + " has no date and time of day");
            offsets[i] = f.flight().utcAtClockZero + f.clockAtStart();
        } else if (alignment == Alignment::takeoff) {
            const double takeoff = flight::takeoffTime(f.flight());
            offsets[i] = std::isfinite(takeoff) ? f.clockAtStart() - takeoff : 0.0;
        }
    }
    return offsets;
}

void openBookFlights(StudioOptions& options)
{
    if (options.bookPath.empty())
        return;
#ifdef FLIGHTREPLAY_HAVE_BOOK
    const std::vector<book::BookFlight> chosen = book::flightsWhere(options.bookPath, options.bookWhere);
    const std::string condition = options.bookWhere.empty() ? "" : " --where " + options.bookWhere;
    if (chosen.empty())
        throw tools::ToolError(options.bookPath + ": no flight" + (condition.empty() ? " in the book" : " matches" + condition));
    if (chosen.size() > MAX_FLIGHTS)
        throw tools::ToolError(options.bookPath + ": " + std::to_string(chosen.size()) + " flights match" + condition +
                               "; the studio opens at most " + std::to_string(MAX_FLIGHTS) + " (narrow --where)");
    for (const book::BookFlight& f : chosen) {
        options.logPaths.push_back(f.path);
        options.logSystems.push_back(f.systemId);
    }
#else
    throw tools::ToolError("--book: this studio was built without the logbook (Debian package libsqlite3-dev)");
#endif
}

void loadStudioFlights(StudioState& state, const StudioOptions& options)
{
    state.flights.clear();
    LogExtents extents;
    std::vector<std::string> sources; // the file of each flight
    for (size_t file = 0; file < options.logPaths.size(); ++file) {
        const std::string& path = options.logPaths[file];
        const int onlySystem = file < options.logSystems.size() ? options.logSystems[file] : 0;
        try {
            std::vector<flight::Flight> flights = readers::readFlightsOfFile(path, options.read);
            // A ground station's log may hold several vehicles: each one
            // with positions is a flight, named by its system.
            const bool several = flights.size() > 1;
            size_t added = 0;
            for (flight::Flight& read : flights) {
                if (read.position.empty() || (onlySystem > 0 && read.systemId != onlySystem))
                    continue;
                if (state.flights.size() >= MAX_FLIGHTS)
                    throw tools::ToolError("at most " + std::to_string(MAX_FLIGHTS) + " flights, and this file brings more");
                StudioFlight entry;
                entry.name = fileNameOf(path) + (several ? " sys " + std::to_string(read.systemId) : "");
                entry.flight = std::make_unique<flight::Flight>(std::move(read));
                flight::addExtent(extents, flight::flightExtent(*entry.flight));
                state.flights.push_back(std::move(entry));
                sources.push_back(path);
                ++added;
            }
            if (added == 0)
                throw tools::ToolError("no position fixes");
        } catch (const tools::ToolError& failure) {
            throw tools::ToolError(path + ": " + failure.what());
        }
    }
    setupMapFrame(extents.latMin, extents.latMax, extents.lonMin, extents.lonMax);

    std::vector<const FlightSampler*> samplers;
    std::vector<std::string> names;
    for (size_t i = 0; i < state.flights.size(); ++i) {
        StudioFlight& f = state.flights[i];
        f.sampler = std::make_unique<FlightSampler>(*f.flight);
        f.jobs = std::make_unique<FlightJobs>(*f.flight);
        f.colour = flightColour(i, state.flights.size());
        samplers.push_back(f.sampler.get());
        const std::string file = fileNameOf(sources[i]);
        names.push_back(f.name == file ? sources[i] : sources[i] + f.name.substr(file.size()));
    }
    Alignment alignment = options.align;
    if (!options.alignGiven) {
        // By UTC only flights flown on one day: others (two attempts on
        // different days) would sit apart on the clock.
        bool together = true;
        double first = INFINITY;
        double last = -INFINITY;
        for (const FlightSampler* s : samplers) {
            const double start = s->flight().utcAtClockZero + s->clockAtStart();
            together = together && std::isfinite(start);
            first = std::min(first, start);
            last = std::max(last, start);
        }
        alignment = together && last - first <= SAME_DAY_SECONDS ? Alignment::utc : Alignment::start;
    }
    const std::vector<double> offsets = alignmentOffsets(samplers, names, alignment);
    for (size_t i = 0; i < state.flights.size(); ++i)
        state.flights[i].offset = offsets[i];
    for (const auto& [name, seconds] : options.offsets) {
        bool found = false;
        for (size_t i = 0; i < state.flights.size(); ++i) {
            if (flightNameMatches(name, sources[i]) || name == state.flights[i].name) {
                state.flights[i].offset += seconds;
                found = true;
            }
        }
        if (!found)
            throw tools::ToolError("--offset " + name + ": no flight of that name");
    }
    // Notes only for flights that open: a refusal is one line alone. The
    // vehicles of one file share its notes on damage: told once.
    std::vector<std::pair<std::string, std::string>> told;
    for (size_t i = 0; i < state.flights.size(); ++i)
        for (const std::string& note : state.flights[i].flight->notes) {
            if (std::find(told.begin(), told.end(), std::make_pair(sources[i], note)) != told.end())
                continue;
            told.push_back({sources[i], note});
            std::fprintf(stderr, "%s: %s\n", sources[i].c_str(), note.c_str());
        }
    state.clock = FlightClock(0.0);
    state.settleOffsets();
    state.clock.seek(options.time);
    state.selected = 0;
    state.camera = options.camera;
    state.colouring = options.colouring;
    state.trackField = options.trackField;
    state.plotFields = options.plotFields;
    checkFieldsNamed(state);
    state.ghost = options.ghost;
    state.dropLines = options.dropLines;
    state.trace = options.trace;
    state.traceRequested = options.trace;
    state.sampleFlights();
}

} // namespace flightreplay::studio
