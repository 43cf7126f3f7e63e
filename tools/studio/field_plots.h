#pragma once
// Any field of the log (field_catalogue.h) in the studio: a search box over
// the selected flight's fields, the chosen fields plotted together on one
// axis against the clock (each read in the background, flight_jobs.h), and
// the legend of a track coloured by a field.

#include <string>
#include <vector>

#include <imgui.h>

#include "tools/flight/field_catalogue.h"
#include "tools/studio/studio_state.h"
#include "tools/studio/track_colours.h"

namespace flightreplay::studio {

// The most names the search lists at once.
constexpr size_t MAX_SEARCH_MATCHES = 400;

// The catalogue's names holding every word of filter (split at spaces), in
// any case, in the catalogue's order; at most limit of them.
std::vector<std::string> matchingFields(const flight::FieldCatalogue& catalogue, const std::string& filter,
                                        size_t limit = MAX_SEARCH_MATCHES);

// The per-column low and high of a series over columns even steps of the
// clock, 0 ... duration seconds, the series' time t at clock time
// t - clockZero + offset; NaN where a column holds no sample.
struct ColumnRange {
    std::vector<float> low, high;
};
ColumnRange columnsOf(const flight::Series& series, double clockZero, double offset, double duration, int columns);

class FieldPlots {
public:
    // The fields of state.plotFields for the selected flight on one axis,
    // each in its colour with its value at the clock's time and a button
    // that removes it; then a search box whose matches are added on a click.
    // Call inside the Plots window.
    void draw(StudioState& state);

    // A search box over the selected flight's fields; true when a name
    // was clicked, then in picked.
    static bool search(const char* id, const StudioFlight& flight, std::string& filter, std::string& picked);

    // Under the Track choice when the track is coloured by a field: the
    // search that picks the field, then the ramp with the field's lowest
    // and highest values on the selected flight and its unit, or what
    // keeps it from showing (still read, not in this flight).
    void drawColouring(StudioState& state);

private:
    struct Curve {
        std::string name;
        size_t flight = 0;
        double duration = -1.0, offset = 0.0;
        bool read = false;
        ColumnRange columns;
    };
    Curve& curveOf(StudioState& state, const std::string& name);

    std::vector<Curve> curves_;
    std::string filter_;
    std::string colouringFilter_;
    const flight::Series* rangeOf_ = nullptr; // the series whose range_ the legend shows
    ValueRange range_;
};

} // namespace flightreplay::studio
