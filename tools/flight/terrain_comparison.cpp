#include "tools/flight/terrain_comparison.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace flightreplay::flight {

namespace {

constexpr int TERRAIN_HEALTHY = 2;

// The fixes' altitude at t, linear between them and held at the ends.
double altitudeAt(const std::vector<Fix>& fixes, double t)
{
    if (fixes.empty())
        return NAN;
    const auto after = std::upper_bound(fixes.begin(), fixes.end(), t, [](double time, const Fix& f) { return time < f.t; });
    if (after == fixes.begin())
        return fixes.front().altM;
    if (after == fixes.end())
        return fixes.back().altM;
    const Fix& a = *std::prev(after);
    const Fix& b = *after;
    return b.t > a.t ? a.altM + (b.altM - a.altM) * (t - a.t) / (b.t - a.t) : b.altM;
}

double median(std::vector<double> values)
{
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle), values.end());
    const double upper = values[middle];
    if (values.size() % 2)
        return upper;
    return 0.5 * (upper + *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle)));
}

} // namespace

TerrainComparison compareTerrain(const Flight& flight, const ElevationLookup& ground)
{
    TerrainComparison out;
    out.reports = flight.terrain.size();
    std::vector<double> differences;
    for (const TerrainReport& report : flight.terrain) {
        if (report.status != TERRAIN_HEALTHY || !std::isfinite(report.terrainHeightM)) {
            ++out.withoutData;
            continue;
        }
        TerrainPoint point{report.t, report.terrainHeightM, NAN, report.heightAboveM, NAN};
        const std::optional<double> under = ground ? ground(report.latDeg, report.lonDeg) : std::nullopt;
        if (under) {
            point.elevationM = *under;
            point.elevationAboveM = altitudeAt(flight.position, report.t) - *under;
            const double difference = report.terrainHeightM - *under;
            differences.push_back(difference);
            if (!(std::fabs(difference) <= std::fabs(out.largestM))) {
                out.largestM = difference;
                out.largestAtT = report.t;
            }
        }
        out.points.push_back(point);
    }
    out.compared = differences.size();
    if (!differences.empty())
        out.medianM = median(std::move(differences));
    return out;
}

std::string terrainLine(const TerrainComparison& c, double zeroT)
{
    if (c.reports == 0)
        return "";
    char line[256];
    const size_t withData = c.reports - c.withoutData;
    if (withData == 0) {
        std::snprintf(line, sizeof line, "terrain: no report with data (%zu waiting for data or disabled)", c.reports);
    } else if (c.compared == 0) {
        std::snprintf(line, sizeof line, "terrain: %zu reports with data; no elevation files here to compare them with",
                      withData);
    } else {
        std::snprintf(line, sizeof line,
                      "terrain: %zu reports with data; autopilot minus elevation files: median %.1f m, largest %.1f m at %.1f s",
                      withData, c.medianM, c.largestM, c.largestAtT - zeroT);
        if (c.compared < withData)
            return line + (" (" + std::to_string(withData - c.compared) + " outside the elevation files)");
    }
    return line;
}

} // namespace flightreplay::flight
