#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <osgGA/EventQueue>

#include "frame/elevation_tile.h"
#include "frame/map_frame.h"
#include "plan_flight.h"
#include "plan_telemetry.h"
#include "support/test_support.h"
#include "tools/studio/plan_overlay.h"
#include "tools/studio/plan_view.h"
#include "tools/studio/studio_app.h"
#include "tools/studio/studio_keys.h"

using namespace flightreplay::studio;
using flightreplay::flight::RouteItem;

namespace {

constexpr double HOME_LAT = 47.6;
constexpr double HOME_LON = 9.14;
constexpr double HOME_ALT = 420.0;
constexpr int WIDTH = 1200;
constexpr int HEIGHT = 750;

struct NoActions : osgGA::GUIActionAdapter {
    void requestRedraw() override {}
    void requestContinuousUpdate(bool) override {}
    void requestWarpPointer(float, float) override {}
};

// The pixel of the picture (rows from the bottom, as window points count
// them) nearest to the colour among those within `reach` pixels of (x, y):
// its distance to the colour, 0 ... 441.
double nearestColour(const osg::Image& picture, double x, double y, int reach, const osg::Vec4& colour)
{
    double best = 1e9;
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            const int px = static_cast<int>(std::lround(x)) + dx;
            const int py = static_cast<int>(std::lround(y)) + dy;
            if (px < 0 || py < 0 || px >= picture.s() || py >= picture.t())
                continue;
            const unsigned char* p = picture.data(px, py);
            best = std::min(best, std::sqrt(std::pow(p[0] - 255.0 * colour.r(), 2) + std::pow(p[1] - 255.0 * colour.g(), 2)
                                            + std::pow(p[2] - 255.0 * colour.b(), 2)));
        }
    return best;
}

class PlanOverlayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = mapFrame;
        clearElevationCache();
        const reader_test::SlopedGround ground(HOME_LAT, HOME_LON, HOME_ALT - 2.0);
        const reader_test::PlanFlight plan = reader_test::standardPlanFlight(
            HOME_LAT, HOME_LON, HOME_ALT, [ground](double lat, double lon) { return ground.heightAt(lat, lon); });
        log = reader_test::writePlanFlight(plan);
        writeFile("plan.bin", log.bytes);
        writeFile(ground.fileName(), ground.fileBytes());
    }
    void TearDown() override
    {
        clearElevationCache();
        mapFrame = saved;
    }

    TempWorkingDir dir;
    MapFrame saved{};
    reader_test::PlanFlightLog log;
};

} // namespace

TEST_F(PlanOverlayTest, MarkersAndFenceWhereTheProjectionPutsThemUntilMHidesThem)
{
    StudioOptions options;
    options.logPaths = {"plan.bin"};
    options.time = 200.0; // flying to item 8, items 10 to 12 ahead
    StudioState state;
    OffscreenStudio studio;
    std::string error;
    const std::string console = captureStdout([&] {
        initStudioState(state, options);
        ASSERT_TRUE(makeOffscreenStudio(state, WIDTH, HEIGHT, false, options, studio, error)) << error;
    });
    ASSERT_TRUE(studio.frame);
    state.clock.setPaused(true);
    char line[200];
    std::snprintf(line, sizeof line,
                  "terrain: %d reports with data; autopilot minus elevation files: median 3.5 m, largest 12.5 m at %.1f s\n",
                  log.reportsWithData, log.outlierT - log.firstFixT);
    EXPECT_NE(console.find(line), std::string::npos) << console;

    osg::ref_ptr<osg::Image> shown = new osg::Image(*studio.frame->render(), osg::CopyOp::DEEP_COPY_ALL);
    const osg::Camera& camera = *studio.frame->viewer().getCamera();
    const osg::Matrixd toWindow =
        camera.getViewMatrix() * camera.getProjectionMatrix() * camera.getViewport()->computeWindowMatrix();
    const auto project = [&](double lat, double lon, double alt, osg::Vec2d& at) {
        const osg::Vec4d clip = osg::Vec4d(osg::Vec3d(geoToScene(lat, lon, alt)), 1.0) * toWindow;
        at = osg::Vec2d(clip.x() / clip.w(), clip.y() / clip.w());
        return clip.w() > 0.0 && at.x() > 8 && at.y() > 8 && at.x() < WIDTH - 8 && at.y() < HEIGHT - 8;
    };

    // Every marker in the picture: a dot of an item's colour (the one flown
    // is the highlight's yellow) at its projected place.
    ASSERT_TRUE(state.flights[0].plan);
    const FlightPlanView& view = *state.flights[0].plan;
    std::vector<osg::Vec2d> markers;
    int magenta = 0;
    for (const RouteItem& r : view.route.items) {
        osg::Vec2d at;
        if (!r.placed || !project(r.latDeg, r.lonDeg, drawnAltitude(view.route, r), at))
            continue;
        const double mission = nearestColour(*shown, at.x(), at.y(), 3, plan_colour::MISSION);
        const double d = std::min({mission, nearestColour(*shown, at.x(), at.y(), 3, plan_colour::TAKEOFF),
                                   nearestColour(*shown, at.x(), at.y(), 3, plan_colour::LANDING),
                                   nearestColour(*shown, at.x(), at.y(), 3, plan_colour::CURRENT)});
        EXPECT_LT(d, 40.0) << "item " << r.item.seq << " at " << at.x() << ", " << at.y();
        magenta += mission < 40.0;
        markers.push_back(at);
    }
    EXPECT_GE(markers.size(), 2u);
    EXPECT_GE(magenta, 1);
    EXPECT_EQ(view.leg >= 1 ? view.route.items[static_cast<size_t>(view.route.path[static_cast<size_t>(view.leg)])].item.seq : -1, 8);

    // A fence wall half way up between two vertices tints what is behind it green.
    const flightreplay::flight::FenceRegion& fence = state.flights[0].flight->plan.fence.at(0);
    std::vector<osg::Vec2d> walls;
    for (size_t i = 0; i < fence.polygon.size(); ++i) {
        const auto& a = fence.polygon[i];
        const auto& b = fence.polygon[(i + 1) % fence.polygon.size()];
        osg::Vec2d at;
        if (project(0.5 * (a.latDeg + b.latDeg), 0.5 * (a.lonDeg + b.lonDeg), HOME_ALT + 40.0, at))
            walls.push_back(at);
    }
    ASSERT_FALSE(walls.empty());

    // M hides the overlay: the markers' colours are gone, the walls' tint too.
    NoActions actions;
    StudioKeys keys(state);
    osg::ref_ptr<osgGA::GUIEventAdapter> m = new osgGA::GUIEventAdapter;
    m->setEventType(osgGA::GUIEventAdapter::KEYDOWN);
    m->setKey('m');
    EXPECT_TRUE(keys.handle(*m, actions));
    EXPECT_FALSE(state.showPlan);
    osg::ref_ptr<osg::Image> hidden = new osg::Image(*studio.frame->render(), osg::CopyOp::DEEP_COPY_ALL);
    for (const osg::Vec2d& at : markers)
        EXPECT_GT(std::min(nearestColour(*hidden, at.x(), at.y(), 1, plan_colour::MISSION),
                           nearestColour(*hidden, at.x(), at.y(), 1, plan_colour::CURRENT)),
                  60.0)
            << at.x() << ", " << at.y();
    for (const osg::Vec2d& at : walls) {
        const unsigned char* with = shown->data(static_cast<int>(at.x()), static_cast<int>(at.y()));
        const unsigned char* without = hidden->data(static_cast<int>(at.x()), static_cast<int>(at.y()));
        EXPECT_GT(with[1] - with[0], without[1] - without[0] + 10) << at.x() << ", " << at.y();
    }
    EXPECT_TRUE(keys.handle(*m, actions));
    EXPECT_TRUE(state.showPlan);
}

TEST_F(PlanOverlayTest, AClickNamesTheShotUnderIt)
{
    StudioOptions options;
    options.logPaths = {"plan.bin"};
    options.time = 40.0;
    StudioState state;
    OffscreenStudio studio;
    std::string error;
    captureStdout([&] {
        initStudioState(state, options);
        ASSERT_TRUE(makeOffscreenStudio(state, WIDTH, HEIGHT, false, options, studio, error)) << error;
    });
    ASSERT_TRUE(studio.frame);
    state.clock.setPaused(true);
    studio.frame->render();
    const osg::Camera& camera = *studio.frame->viewer().getCamera();
    const osg::Matrixd toWindow =
        camera.getViewMatrix() * camera.getProjectionMatrix() * camera.getViewport()->computeWindowMatrix();
    const flightreplay::flight::Flight& flight = *state.flights[0].flight;
    int checked = 0;
    for (size_t i = 0; i < flight.shots.size(); ++i) {
        const auto& shot = flight.shots[i];
        const osg::Vec4d clip = osg::Vec4d(osg::Vec3d(geoToScene(shot.latDeg, shot.lonDeg, shot.altM)), 1.0) * toWindow;
        if (!(clip.w() > 0.0))
            continue;
        const double x = clip.x() / clip.w(), y = clip.y() / clip.w();
        if (x < 0 || y < 0 || x > WIDTH || y > HEIGHT)
            continue;
        // Far off, shots crowd together: only those alone on screen.
        bool alone = true;
        for (size_t j = 0; j < flight.shots.size(); ++j) {
            const auto& other = flight.shots[j];
            const osg::Vec4d o = osg::Vec4d(osg::Vec3d(geoToScene(other.latDeg, other.lonDeg, other.altM)), 1.0) * toWindow;
            alone = alone && (j == i || !(o.w() > 0.0) || std::hypot(o.x() / o.w() - x, o.y() / o.w() - y) > 30.0);
        }
        if (!alone)
            continue;
        EXPECT_EQ(shotAtWindowPoint(flight, toWindow, x + 3, y - 3, 14.0), static_cast<int>(i));
        ++checked;
    }
    EXPECT_GE(checked, 2);
    EXPECT_EQ(shotAtWindowPoint(flight, toWindow, -500, -500, 14.0), -1);
}

// An autopilot with no mission loaded reports a list all the same: no
// marker, path or leg is drawn of it.
TEST_F(PlanOverlayTest, AListHoldingNothingToFlyDrawsNoMission)
{
    writeFile("plane.bin", reader_test::arduPlaneWithoutMission(false));
    writeFile("plane.tlog", reader_test::arduPlaneTelemetryWithoutMission(6));
    const struct {
        const char* file;
        bool drawn;
    } cases[] = {{"plane.bin", false}, {"plane.tlog", false}, {"plan.bin", true}};
    for (const auto& c : cases) {
        StudioOptions options;
        options.logPaths = {c.file};
        StudioState state;
        PlanOverlay overlay;
        captureStdout([&] {
            initStudioState(state, options);
            overlay = buildPlanOverlay(state);
        });
        ASSERT_EQ(state.flights.size(), 1u) << c.file;
        EXPECT_EQ(overlay.node.valid(), c.drawn) << c.file;
        EXPECT_EQ(state.flights[0].plan != nullptr, c.drawn) << c.file;
        if (c.drawn) {
            EXPECT_GE(state.flights[0].plan->route.path.size(), 2u) << c.file;
        }
    }
}
