#include <gtest/gtest.h>

#include <cmath>

#include "frame/map_frame.h"
#include "log/units.h"
#include "tools/studio/page/page_flights.h"

using namespace flightreplay;

namespace {

constexpr double LATITUDE = 48.0;
constexpr double LONGITUDE = 11.5;
constexpr int FIXES = 50000;     // at 10 Hz, more than the page keeps
constexpr double ZIGZAG = 1.0;   // metres north and south, fix by fix

// Flying east at 20 m/s, each fix a metre north or south of the line: at the
// first tolerance (0.2 m) no fix can be left out.
flight::Flight zigzagFlight()
{
    flight::Flight f;
    f.format = flight::FlightFormat::gpx;
    const double metresPerDegree = MEAN_EARTH_RADIUS * RADIANS_PER_DEGREE;
    for (int i = 0; i < FIXES; ++i) {
        const double north = (i % 2 ? ZIGZAG : -ZIGZAG) / metresPerDegree;
        const double east = 2.0 * i / (metresPerDegree * std::cos(LATITUDE * RADIANS_PER_DEGREE));
        f.position.push_back({0.1 * i, LATITUDE + north, LONGITUDE + east, 500.0});
    }
    return f;
}

std::vector<double> values(const nlohmann::json& flight, const char* name)
{
    std::vector<double> out;
    long long whole = 0;
    const double unit = flight["units"][name].get<double>();
    for (const auto& step : flight["samples"][name]) {
        whole += step.get<long long>();
        out.push_back(static_cast<double>(whole) * unit);
    }
    return out;
}

} // namespace

TEST(PageFlights, LongFlightsThinnedWithinTheToleranceTheyState)
{
    const MapFrame saved = mapFrame;
    setupMapFrame(LATITUDE * 60 - 1, LATITUDE * 60 + 1, LONGITUDE * 60, LONGITUDE * 60 + 30);
    studio::StudioState state;
    studio::StudioFlight entry;
    entry.name = "zigzag.gpx";
    entry.flight = std::make_unique<flight::Flight>(zigzagFlight());
    entry.sampler = std::make_unique<flight::FlightSampler>(*entry.flight);
    state.flights.push_back(std::move(entry));
    state.ground.known = false;
    state.ground.flatHeight = 400.0;

    const page::PageFlights page = page::pageFlights(state, "generic");
    const double k18 = mapFrame.k;
    mapFrame = saved;
    ASSERT_EQ(page.flights.size(), 1u);
    const nlohmann::json& f = page.flights[0];
    const size_t kept = f["kept"].get<size_t>();
    const double tolerance = f["toleranceMetres"].get<double>();
    EXPECT_EQ(f["fixes"].get<int>(), FIXES);
    EXPECT_LE(kept, page::MAX_PAGE_SAMPLES);
    EXPECT_GT(kept, 100u);
    // Doubled from 0.2 m until the flight fits: past the zigzag's metre.
    EXPECT_GT(tolerance, ZIGZAG);
    EXPECT_DOUBLE_EQ(std::exp2(std::round(std::log2(tolerance / page::POSITION_TOLERANCE_METRES))),
                     tolerance / page::POSITION_TOLERANCE_METRES);

    // Every fix (its scene position in the flight model, in metres) lies
    // within the tolerance of the line between the samples kept around it.
    const std::vector<double> t = values(f, "t");
    const std::vector<double> x = values(f, "x");
    const std::vector<double> y = values(f, "y");
    ASSERT_EQ(t.size(), kept);
    const std::vector<double>& times = state.flights[0].sampler->fixTimes();
    const std::vector<osg::Vec3d>& scene = state.flights[0].sampler->scenePositions();
    size_t k = 0;
    double worst = 0.0;
    for (size_t i = 0; i < times.size(); ++i) {
        while (k + 2 < t.size() && t[k + 1] <= times[i])
            ++k;
        const double along = (times[i] - t[k]) / (t[k + 1] - t[k]);
        const double south = x[k] + (x[k + 1] - x[k]) * along;
        const double east = y[k] + (y[k + 1] - y[k]) * along;
        worst = std::max(worst, std::hypot(south - scene[i].x() / k18, east - scene[i].y() / k18));
    }
    // The tolerance, and the centimetres the page counts positions in.
    EXPECT_LE(worst, tolerance + 0.02);
    EXPECT_GT(worst, 0.5 * ZIGZAG);
}
