// Start-up figures of one replay launch on a data set (the demo's): run in
// the data folder under an X server. Prints one line of numbers, which
// startup_bench.sh gathers over several launches:
//   scan_ms terrain_ms tile_decode_ms sky_decode_ms sky_ms model_ms
//   first_frame_ms steady_frame_ms peak_rss_kb scene_ms realize_ms first_draw_ms
// first_frame_ms runs from the start of main to the end of the first frame
// drawn into a 1280 x 1024 pbuffer, through the program's own steps.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include <osg/GL>
#include <osgDB/ReadFile>
#include <osgGA/TrackballManipulator>
#include <osgViewer/Viewer>

#include "frame/elevation_tile.h"
#include "frame/map_frame.h"
#include "frame/terrain.h"
#include "frame/terrain_tiles.h"
#include "log/flight_log.h"
#include "log/log_reader.h"
#include "log/log_scanner.h"
#include "scene/aircraft_model.h"
#include "scene/scene.h"
#include "scene/sky_dome.h"
#include "offscreen_context.h"

namespace {

constexpr int WIDTH = 1280;
constexpr int HEIGHT = 1024;

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct FinishDrawing : osg::Camera::DrawCallback {
    void operator()(osg::RenderInfo&) const override { glFinish(); }
};

} // namespace

int main(int argc, char** argv)
{
    const Clock::time_point launch = Clock::now();
    if (argc != 2 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: %s DATA_FOLDER (with demo.log)\n", argv[0]);
        return 2;
    }
    // The program's own console lines go nowhere; the figures to stderr.
    if (!std::freopen("/dev/null", "w", stdout))
        return 1;

    Clock::time_point t = Clock::now();
    FILE* log = std::fopen("demo.log", "r");
    if (!log) {
        std::fprintf(stderr, "no demo.log in %s\n", argv[1]);
        return 1;
    }
    readLog(log);
    std::fclose(log);
    const double scanMs = msSince(t);
    summarizeLog();

    osg::ref_ptr<osg::GraphicsContext> context = createOffscreenContext(WIDTH, HEIGHT);
    if (!context) {
        std::fprintf(stderr, "no graphics context (is DISPLAY set?)\n");
        return 1;
    }
    std::fprintf(stderr, "surface %s\n", context->getTraits()->pbuffer ? "pbuffer" : "window");
    osg::ref_ptr<osgViewer::Viewer> viewer = new osgViewer::Viewer;
    viewer->setThreadingModel(osgViewer::Viewer::SingleThreaded);
    viewer->getCamera()->setGraphicsContext(context.get());
    viewer->getCamera()->setViewport(0, 0, WIDTH, HEIGHT);
    viewer->getCamera()->setProjectionMatrixAsPerspective(30.0, 1.25, 1.0, 1000.0);
    viewer->getCamera()->setFinalDrawCallback(new FinishDrawing);
    viewer->setCameraManipulator(new osgGA::TrackballManipulator);
    t = Clock::now();
    viewer->setSceneData(buildScene());
    const double sceneMs = msSince(t);
    t = Clock::now();
    viewer->realize();
    const double realizeMs = msSince(t);
    t = Clock::now();
    viewer->frame();
    const double firstDrawMs = msSince(t);
    const double firstFrameMs = msSince(launch);

    std::vector<double> frames;
    for (int i = 0; i < 60; ++i) {
        t = Clock::now();
        viewer->frame();
        frames.push_back(msSince(t));
    }
    std::sort(frames.begin(), frames.end());
    const double steadyMs = frames[frames.size() / 2];
    viewer = nullptr;

    // The parts on their own, plugins loaded and files in the page cache.
    clearElevationCache();
    t = Clock::now();
    osg::ref_ptr<osg::Group> terrain = buildTerrain();
    const double terrainMs = msSince(t);
    terrain = nullptr;

    t = Clock::now();
    int decoded = 0;
    forEachTerrainTile(mapFrame.CI, mapFrame.CJ, [&](const TerrainTile& tile) {
        osg::ref_ptr<osg::Image> image = osgDB::readImageFile(terrainImageName(tile));
        decoded += image ? 1 : 0;
    });
    const double tileDecodeMs = msSince(t);
    t = Clock::now();
    osg::ref_ptr<osg::Image> skyImage = osgDB::readImageFile("sky12q-1024x512.jpeg");
    const double skyDecodeMs = msSince(t);
    if (decoded != TERRAIN_TILE_COUNT || !skyImage) {
        std::fprintf(stderr, "decoded %d tiles%s\n", decoded, skyImage ? "" : ", no sky");
        return 1;
    }

    t = Clock::now();
    osg::ref_ptr<osg::Group> sky = buildSkyDome();
    const double skyMs = msSince(t);
    t = Clock::now();
    osg::ref_ptr<osg::MatrixTransform> model = buildAircraftModel();
    const double modelMs = msSince(t);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::fprintf(stderr, "%.2f %.2f %.2f %.2f %.2f %.2f %.2f %.3f %ld %.2f %.2f %.2f\n", scanMs, terrainMs, tileDecodeMs,
                 skyDecodeMs, skyMs, modelMs, firstFrameMs, steadyMs, static_cast<long>(usage.ru_maxrss), sceneMs, realizeMs,
                 firstDrawMs);
    return 0;
}
