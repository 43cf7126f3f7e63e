#include <gtest/gtest.h>

#include <cmath>

#include <osg/AnimationPath>
#include <osg/FrameStamp>
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/MatrixTransform>
#include <osg/ShapeDrawable>
#include <osgUtil/UpdateVisitor>

#include "path/synthetic_flight.h"
#include "scene/scene.h"
#include "scene_files.h"
#include "support/test_support.h"

namespace {

const std::string NOT_FOUND = "Not found model './EasyStar/data/body.ac'\n";

size_t occurrences(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

osg::ref_ptr<osg::Group> buildCapturing(std::string& printed)
{
    osg::ref_ptr<osg::Group> root;
    printed = captureStdout([&] { root = buildScene(); });
    return root;
}

void writeModel()
{
    makeDirectories("EasyStar/data");
    writeSketchAircraft("./EasyStar/data/body.ac");
}

// One update traversal at the given simulation time, as the viewer runs it.
void updateAt(osg::Node& root, double simulationTime, unsigned frame)
{
    osg::ref_ptr<osg::FrameStamp> stamp = new osg::FrameStamp;
    stamp->setFrameNumber(frame);
    stamp->setReferenceTime(simulationTime);
    stamp->setSimulationTime(simulationTime);
    osgUtil::UpdateVisitor update;
    update.setFrameStamp(stamp.get());
    update.setTraversalNumber(frame);
    root.accept(update);
}

// Scene point of synthetic row i from the Web-Mercator formulas: the frame
// around 55 N, 37.5 E has its origin at the north-west corner of zoom-18
// tile (82915, 158378) (2^18 * 0.31630 and 2^18 * 217.5 / 360, rounded
// down), one unit a tile's width, 87.628 m at 55 degrees on the frame's
// sphere of radius 6374 km, heights in the same unit.
osg::Vec3d rowScenePoint(int i)
{
    const LogRow row = syntheticRow(i);
    const double pi = 3.14159265358979323846;
    const double tiles = 262144.0;
    const double latitude = row.gps_curlat / 60 * pi / 180;
    const double south = tiles * (1 - std::log(std::tan(pi / 4 + latitude / 2)) / pi) / 2;
    const double east = tiles * (row.gps_curlon / 60 + 180) / 360;
    const double tileMetres = std::cos(55 * pi / 180) * 2 * pi * 6374000.0 / tiles;
    return osg::Vec3d(south - 82915, east - 158378, row.gps_curalt / tileMetres);
}

class Scene : public testing::Test {
protected:
    TempWorkingDir dir;
};

TEST_F(Scene, FourChildrenInOrderUnderAnUnlitRoot)
{
    writeModel();
    frameAt55North();
    fillSyntheticFlight(100);
    std::string printed;
    osg::ref_ptr<osg::Group> root = buildCapturing(printed);
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->getNumChildren(), 4u);

    const osg::StateSet* state = root->getStateSet();
    ASSERT_NE(state, nullptr);
    // A plain OFF: neither OVERRIDE nor PROTECTED.
    EXPECT_EQ(state->getMode(GL_LIGHTING), osg::StateAttribute::OFF);

    const osg::Group* terrain = root->getChild(0)->asGroup();
    ASSERT_NE(terrain, nullptr);
    EXPECT_EQ(terrain->getNumChildren(), 249u);
    EXPECT_EQ(occurrences(printed, "img:"), 249u);

    // The track and the sky, told apart by what they draw.
    const osg::Group* track = root->getChild(1)->asGroup();
    ASSERT_TRUE(track && track->getNumChildren() == 1 && track->getChild(0)->asGeode());
    const osg::Geometry* line = track->getChild(0)->asGeode()->getDrawable(0)->asGeometry();
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->getVertexArray()->getNumElements(), 100u);
    const osg::Group* sky = root->getChild(2)->asGroup();
    ASSERT_TRUE(sky && sky->getNumChildren() == 1 && sky->getChild(0)->asGeode());
    EXPECT_NE(dynamic_cast<const osg::ShapeDrawable*>(sky->getChild(0)->asGeode()->getDrawable(0)), nullptr);

    auto* aircraft = dynamic_cast<osg::MatrixTransform*>(root->getChild(3));
    ASSERT_NE(aircraft, nullptr);
    ASSERT_EQ(aircraft->getNumChildren(), 1u);
    const auto* model = dynamic_cast<const osg::MatrixTransform*>(aircraft->getChild(0));
    ASSERT_NE(model, nullptr);
    EXPECT_NEAR(model->getBound().radius(), 12.0 * mapFrame.k, 1e-6);

    const auto* animation = dynamic_cast<const osg::AnimationPathCallback*>(aircraft->getUpdateCallback());
    ASSERT_NE(animation, nullptr);
    const osg::AnimationPath* path = animation->getAnimationPath();
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->getLoopMode(), osg::AnimationPath::LOOP);
    EXPECT_EQ(path->getTimeControlPointMap().size(), 100u);

    EXPECT_EQ(occurrences(printed, "Not found model"), 0u);
}

TEST_F(Scene, WithoutTheModelTheTransformStaysEmptyAndTheLineIsPrintedOnceLast)
{
    frameAt55North();
    fillSyntheticFlight(10);
    std::string printed;
    osg::ref_ptr<osg::Group> root = buildCapturing(printed);
    ASSERT_EQ(root->getNumChildren(), 4u);
    auto* aircraft = dynamic_cast<osg::MatrixTransform*>(root->getChild(3));
    ASSERT_NE(aircraft, nullptr);
    EXPECT_EQ(aircraft->getNumChildren(), 0u);
    EXPECT_NE(aircraft->getUpdateCallback(), nullptr);
    EXPECT_EQ(occurrences(printed, "Not found model"), 1u);
    // The terrain prints first, the model last.
    ASSERT_GE(printed.size(), NOT_FOUND.size());
    EXPECT_EQ(printed.substr(printed.size() - NOT_FOUND.size()), NOT_FOUND);
    EXPECT_EQ(printed.compare(0, 4, "img:"), 0);
}

TEST_F(Scene, EveryLogLengthGivesTheSameFourChildren)
{
    for (int rows : {-1, 0, 1, 100, 3000, 3001, 3002, 5000, 8001, 10000}) {
        SCOPED_TRACE(rows);
        fillSyntheticFlight(rows);
        frameAt55North();
        std::string printed;
        osg::ref_ptr<osg::Group> root = buildCapturing(printed);
        ASSERT_EQ(root->getNumChildren(), 4u);
        EXPECT_NE(dynamic_cast<osg::MatrixTransform*>(root->getChild(3)), nullptr);
        // Every path, even one without points, puts the aircraft somewhere finite at any time.
        auto* aircraft = dynamic_cast<osg::MatrixTransform*>(root->getChild(3));
        ASSERT_NE(aircraft, nullptr);
        unsigned frame = 1;
        for (double t : {0.0, 2.0, 250.0, 499.9, 1e6}) {
            updateAt(*root, t, frame++);
            const osg::Matrixd& m = aircraft->getMatrix();
            for (int i = 0; i < 16; ++i)
                ASSERT_TRUE(std::isfinite(m.ptr()[i])) << "at " << t;
            if (rows <= 0) {
                EXPECT_TRUE(m.isIdentity());
            }
        }
    }
}

TEST_F(Scene, TheAnimationMovesTheAircraftWithSimulationTime)
{
    writeModel();
    frameAt55North();
    fillSyntheticFlight(100);
    std::string printed;
    osg::ref_ptr<osg::Group> root = buildCapturing(printed);
    auto* aircraft = dynamic_cast<osg::MatrixTransform*>(root->getChild(3));
    ASSERT_NE(aircraft, nullptr);

    // 100 rows play over 500 s: row i at i * 500 / 99 s, positions in between
    // on the straight line, and the path starts again after 500 s. The first
    // frame the callback sees is animation time 0, whatever the clock says.
    const double start = 37.25;
    const double step = 500.0 / 99;
    struct Case {
        double elapsed;
        int row;         // the row before
        double fraction; // of the way on to the next row
    };
    const Case cases[] = {
        {0.0, 0, 0.0}, {1.5, 0, 1.5 / step}, {10 * step, 10, 0.0}, {10.5 * step, 10, 0.5},
        {499.0, 98, 499.0 / step - 98}, {500.0 + 10.5 * step, 10, 0.5},
    };
    unsigned frame = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.elapsed);
        updateAt(*root, start + c.elapsed, frame++);
        const osg::Vec3d expected = rowScenePoint(c.row) * (1 - c.fraction) + rowScenePoint(c.row + 1) * c.fraction;
        EXPECT_NEAR((aircraft->getMatrix().getTrans() - expected).length(), 0, 1e-5);
    }

    // On a row the model's nose (-x), top (+y) and left wing (+z) point as
    // the row's heading (counter-clockwise from east), pitch (nose up) and
    // roll (left wing down) say, in the frame's south, east and up.
    updateAt(*root, start + 10 * step, frame++);
    const osg::Matrixd& m = aircraft->getMatrix();
    const auto axis = [&m](const osg::Vec3d& v) { return v * m - m.getTrans(); };
    const LogRow& row = flightLog.rows[10];
    const double h = row.gps_curheading, p = row.pyro_curpitch, r = row.pyro_curroll;
    const osg::Vec3d nose(-std::cos(p) * std::sin(h), std::cos(p) * std::cos(h), std::sin(p));
    const osg::Vec3d levelLeft(-std::cos(h), -std::sin(h), 0);
    const osg::Vec3d pitchedUp(std::sin(p) * std::sin(h), -std::sin(p) * std::cos(h), std::cos(p));
    const osg::Vec3d left = levelLeft * std::cos(r) - pitchedUp * std::sin(r);
    EXPECT_NEAR((axis({-1, 0, 0}) - nose).length(), 0, 1e-6);
    EXPECT_NEAR((axis({0, 0, 1}) - left).length(), 0, 1e-6);
    EXPECT_NEAR((axis({0, 1, 0}) - (nose ^ left)).length(), 0, 1e-6);
}

} // namespace
