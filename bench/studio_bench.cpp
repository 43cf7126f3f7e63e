// One launch of the plain replay or of the studio on a data set (the
// demo's), drawing into a 1280 x 1024 pbuffer under an X server, through the
// programs' own steps. Prints to standard error:
//   MODE first_frame_ms steady_frame_ms
// first_frame_ms runs from the start of main to the end of the first frame;
// steady_frame_ms is the median of the next 120 frames. The studio draws
// its chase view with the panels open while its clock plays.
// Usage: studio_bench replay|studio DATA_FOLDER (with demo.log)
//        studio_bench flights DATA_FOLDER FLIGHT... (the studio on these files)
//        studio_bench make-fleet DATA_FOLDER OUT_FOLDER: writes fleet01.log ...
//          fleet16.log, 10,000 rows each, the demo flight's rows (the last
//          one held to fill up) shifted 0.05 minutes north per flight
//        studio_bench make-plan DATA_FOLDER OUT.bin ITEMS FENCE_VERTICES: a
//          DataFlash log of a plane flying a mission from the demo's runway
//          (tests/tools/readers/plan_flight.h): the tests' mission for ITEMS
//          0, else a survey of ITEMS items in a fence of FENCE_VERTICES
//          vertices; its terrain reports 3.5 m above the demo's elevation
//        studio_bench plan DATA_FOLDER FLIGHT: the studio on the flight, its
//          plan's overlay hidden and shown in turn, 6 frames each, 20 times
//          over; prints "plan-off" and "plan-on" lines, each with the first
//          frame and the median of its 120 frames

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include <osg/GL>
#include <osgGA/TrackballManipulator>
#include <osgViewer/Viewer>

#include "tools/demo_data/demo_site.h"
#include "frame/map_frame.h"
#include "log/flight_log.h"
#include "log/log_reader.h"
#include "log/log_writer.h"
#include "scene/scene.h"
#include "plan_flight.h"
#include "tools/flight/elevation_lookup.h"
#include "tools/flight/flight_extent.h"
#include "tools/readers/read_flight.h"
#include "tools/studio/studio_app.h"
#include "offscreen_context.h"

namespace {

constexpr int WIDTH = 1280;
constexpr int HEIGHT = 1024;

using Clock = std::chrono::steady_clock;
constexpr int STEADY_FRAMES = 120;
constexpr int PLAN_BLOCK = 6;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct FinishDrawing : osg::Camera::DrawCallback {
    void operator()(osg::RenderInfo&) const override { glFinish(); }
};

bool giveContext(osgViewer::Viewer& viewer)
{
    osg::ref_ptr<osg::GraphicsContext> context = createOffscreenContext(WIDTH, HEIGHT);
    if (!context)
        return false;
    viewer.setThreadingModel(osgViewer::Viewer::SingleThreaded);
    viewer.getCamera()->setGraphicsContext(context.get());
    viewer.getCamera()->setViewport(0, 0, WIDTH, HEIGHT);
    viewer.getCamera()->setProjectionMatrixAsPerspective(30.0, 1.25, 1.0, 1000.0);
    viewer.getCamera()->setFinalDrawCallback(new FinishDrawing);
    return true;
}

constexpr int FLEET = 16;
constexpr int FLEET_ROWS = 10000;

int makeFleet(const char* outFolder)
{
    FILE* log = std::fopen("demo.log", "r");
    if (!log)
        return 1;
    readLog(log);
    std::fclose(log);
    const int count = rowCount();
    if (count < 2)
        return 1;
    for (int flight = 0; flight < FLEET; ++flight) {
        std::vector<LogRow> rows(flightLog.rows, flightLog.rows + std::min(count, FLEET_ROWS));
        while (static_cast<int>(rows.size()) < FLEET_ROWS) {
            rows.push_back(rows.back());
            rows.back().gps_time += 0.2;
        }
        for (LogRow& row : rows)
            row.gps_curlat += 0.05 * flight;
        char name[64];
        std::snprintf(name, sizeof name, "/fleet%02d.log", flight + 1);
        if (!writeLogFile(outFolder + std::string(name), rows, allLogFieldCodes()))
            return 1;
    }
    return 0;
}

// The plan flight over the demo's ground, home moved off the runway as far
// as it takes for the flight's map frame to be the demo log's, whose 249
// image tiles the folder holds.
int makePlan(const char* out, int items, int fenceVertices)
{
    using namespace flightreplay;
    const flight::ElevationLookup elevation = flight::folderElevation();
    const auto ground = [elevation](double lat, double lon) { return elevation(lat, lon).value_or(demo::FIELD_ELEVATION); };
    if (!readLogFile("demo.log"))
        return 1;
    const LogExtents demoExtent = computeLogExtents();
    double homeLat = demo::SITE_LAT;
    double homeLon = demo::SITE_LON;
    std::string bytes;
    for (int round = 0; round < 3; ++round) {
        const double homeAlt = ground(homeLat, homeLon) + 1.0;
        const reader_test::PlanFlight plan =
            items > 0 ? reader_test::surveyPlanFlight(homeLat, homeLon, homeAlt, ground, items, fenceVertices)
                      : reader_test::standardPlanFlight(homeLat, homeLon, homeAlt, ground);
        bytes = reader_test::writePlanFlight(plan).bytes;
        const LogExtents e = flight::flightExtent(readers::readFlightBytes(bytes, {}));
        homeLat += ((demoExtent.latMin + demoExtent.latMax) - (e.latMin + e.latMax)) / 120.0;
        homeLon += ((demoExtent.lonMin + demoExtent.lonMax) - (e.lonMin + e.lonMax)) / 120.0;
    }
    FILE* file = std::fopen(out, "wb");
    const bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return file && std::fclose(file) == 0 && written ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const Clock::time_point launch = Clock::now();
    const bool studio = argc == 3 && std::strcmp(argv[1], "studio") == 0;
    const bool flights = argc >= 4 && std::strcmp(argv[1], "flights") == 0;
    const bool fleet = argc == 4 && std::strcmp(argv[1], "make-fleet") == 0;
    const bool makePlanFlight = argc == 6 && std::strcmp(argv[1], "make-plan") == 0;
    const bool plan = argc == 4 && std::strcmp(argv[1], "plan") == 0;
    if (argc < 3 || (!studio && !flights && !fleet && !makePlanFlight && !plan && (argc != 3 || std::strcmp(argv[1], "replay") != 0))
        || chdir(argv[2]) != 0) {
        std::fprintf(stderr, "usage: %s replay|studio DATA_FOLDER (with demo.log)\n"
                             "       %s flights DATA_FOLDER FLIGHT...\n"
                             "       %s make-fleet DATA_FOLDER OUT_FOLDER\n"
                             "       %s make-plan DATA_FOLDER OUT.bin ITEMS FENCE_VERTICES\n"
                             "       %s plan DATA_FOLDER FLIGHT\n", argv[0], argv[0], argv[0], argv[0], argv[0]);
        return 2;
    }
    if (fleet)
        return makeFleet(argv[3]);
    if (makePlanFlight)
        return makePlan(argv[3], std::atoi(argv[4]), std::atoi(argv[5]));
    if (!std::freopen("/dev/null", "w", stdout))
        return 1;
    FILE* log = std::fopen("demo.log", "r");
    if (!log) {
        std::fprintf(stderr, "no demo.log in %s\n", argv[2]);
        return 1;
    }
    // The studio reads its flights itself, the replay through its table.
    if (!studio && !flights && !plan) {
        readLog(log);
        summarizeLog();
    }
    std::fclose(log);

    using namespace flightreplay::studio;
    StudioState state;
    std::unique_ptr<StudioPanels> panels;
    osg::ref_ptr<osgViewer::Viewer> viewer = new osgViewer::Viewer;
    if (!giveContext(*viewer)) {
        std::fprintf(stderr, "no graphics context (is DISPLAY set?)\n");
        return 1;
    }
    if (studio || flights || plan) {
        StudioOptions options;
        options.logPaths = {"demo.log"};
        if (flights || plan)
            options.logPaths.assign(argv + 3, argv + argc);
        options.time = 300.0;
        initStudioState(state, options);
        panels = std::make_unique<StudioPanels>(state);
        setUpStudioViewer(*viewer, state, *panels, true, options);
    } else {
        viewer->setCameraManipulator(new osgGA::TrackballManipulator);
        viewer->setSceneData(buildScene());
    }
    viewer->realize();
    viewer->frame();
    const double firstFrameMs = msSince(launch);

    if (plan) {
        if (!state.flights.front().plan) {
            std::fprintf(stderr, "%s has no plan\n", argv[3]);
            return 1;
        }
        // Hidden and shown in turn within one launch, so that the machine's
        // load weighs on both alike.
        std::vector<double> hidden, shown;
        for (int round = 0; round < STEADY_FRAMES / PLAN_BLOCK; ++round) {
            for (bool show : {false, true}) {
                state.showPlan = show;
                for (int i = 0; i < PLAN_BLOCK; ++i) {
                    const Clock::time_point t = Clock::now();
                    viewer->frame();
                    (show ? shown : hidden).push_back(msSince(t));
                }
            }
        }
        for (auto* frames : {&hidden, &shown})
            std::sort(frames->begin(), frames->end());
        std::fprintf(stderr, "plan-off %.2f %.3f\nplan-on %.2f %.3f\n", firstFrameMs, hidden[hidden.size() / 2],
                     firstFrameMs, shown[shown.size() / 2]);
        return 0;
    }

    std::vector<double> frames;
    for (int i = 0; i < STEADY_FRAMES; ++i) {
        const Clock::time_point t = Clock::now();
        viewer->frame();
        frames.push_back(msSince(t));
    }
    std::sort(frames.begin(), frames.end());
    const std::string mode = flights ? "flights" + std::to_string(argc - 3) : argv[1];
    std::fprintf(stderr, "%s %.2f %.3f\n", mode.c_str(), firstFrameMs, frames[frames.size() / 2]);
    return 0;
}
