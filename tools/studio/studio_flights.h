#pragma once
// The flights the studio shows: read from their files into the flight
// model, placed on one map frame and aligned on one clock.

#include <string>
#include <vector>

#include <osg/Vec4>

#include "tools/flight/flight.h"
#include "tools/flight/flight_sampler.h"
#include "tools/studio/studio_options.h"
#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

// Reads every file of options.logPaths (format recognised unless --format),
// each vehicle of a ground station's log a flight of its own named "FILE sys
// N" (at most MAX_FLIGHTS in all; one without positions left out, and one
// other than the file's options.logSystems where that is set), sets up the
// map frame from the union of the flights' extents (those of each flight's
// rows as the converter writes them by default; "1/k=" and "CI,CJ=" on
// standard output), then gives state one flight each with its sampler,
// colour and offset (--align, by default utc when every flight has a date
// and all started within a day, else start; then --offset), the clock over the union
// of their spans at options.time, and the options' camera, colouring,
// ghost, drop lines and trace; then the readers' notes on standard error ("PATH: note").
// Throws tools::ToolError with one line naming the file
// for a file that cannot be read, and for --align utc with a flight that
// has no date, or an --offset naming no flight (a file or a flight's name).
void loadStudioFlights(StudioState& state, const StudioOptions& options);

// The clock offsets of flights under an alignment, before settling: utc the
// UTC of each first fix, start 0, takeoff minus the seconds from each first
// fix to its take-off event (flight::takeoffTime, the timeline's T mark; 0
// for a flight without one). names are used in the error for a flight
// without a date under utc.
std::vector<double> alignmentOffsets(const std::vector<const FlightSampler*>& flights,
                                     const std::vector<std::string>& names, Alignment alignment);

// Fills options.logPaths and logSystems with the flights of options.bookPath
// that options.bookWhere chooses, when a book is given. Throws
// tools::ToolError with one line for a book that cannot be read (not a
// logbook, newer schema, a condition SQLite refuses), no flight chosen or
// more than MAX_FLIGHTS.
void openBookFlights(StudioOptions& options);

// Colour of flight index of count: white for a single flight, else one of
// 16 colours far apart.
osg::Vec4 flightColour(size_t index, size_t count);

// Distance in metres between two aircraft: the great circle between their
// positions on a sphere of MEAN_EARTH_RADIUS, combined with the difference
// of their altitudes.
double distanceMetres(const FlightSample& a, const FlightSample& b);

// Whether --offset NAME means the flight read from path: the path as
// given, its file name or its file name without the extension.
bool flightNameMatches(const std::string& name, const std::string& path);

// The last part of a path: a flight's name in the panels and on the page.
std::string fileNameOf(const std::string& path);

} // namespace flightreplay::studio
