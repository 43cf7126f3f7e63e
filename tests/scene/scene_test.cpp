#include <gtest/gtest.h>

#include <cmath>
#include <iterator>

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

void expectMatrixNear(const osg::Matrixd& actual, const osg::Matrixd& expected)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(actual(r, c), expected(r, c), 1e-6) << r << "," << c;
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
    const auto* animation = dynamic_cast<const osg::AnimationPathCallback*>(aircraft->getUpdateCallback());
    ASSERT_NE(animation, nullptr);
    const osg::AnimationPath* path = animation->getAnimationPath();

    // The first frame the callback sees is animation time 0, whatever the clock says.
    const double start = 37.25;
    updateAt(*root, start, 1);
    osg::AnimationPath::ControlPoint point;
    path->getInterpolatedControlPoint(0.0, point);
    osg::Matrixd expected;
    point.getMatrix(expected);
    expectMatrixNear(aircraft->getMatrix(), expected);
    EXPECT_NEAR((aircraft->getMatrix().getTrans() - scenePositionOfRow(0)).length(), 0, 1e-9);

    // Later frames sample the path at the time elapsed since, in real time.
    const double step = 500.0 / 99;
    unsigned frame = 2;
    for (double elapsed : {1.5, 10 * step, 10.5 * step, 499.0, 500.0 + 10.5 * step}) {
        SCOPED_TRACE(elapsed);
        updateAt(*root, start + elapsed, frame++);
        path->getInterpolatedControlPoint(elapsed, point);
        point.getMatrix(expected);
        expectMatrixNear(aircraft->getMatrix(), expected);
    }

    // At a point's own time the aircraft sits on its row, turned by its attitude:
    // the model's nose (+x) points where the row's rotation takes it.
    updateAt(*root, start + 10 * step, frame++);
    const osg::Matrixd& m = aircraft->getMatrix();
    EXPECT_NEAR((m.getTrans() - scenePositionOfRow(10)).length(), 0, 1e-6);
    const LogRow& row = flightLog.rows[10];
    const osg::Vec3d nose = osg::Vec3d(1, 0, 0) * m - m.getTrans();
    const osg::Quat attitude = std::next(path->getTimeControlPointMap().begin(), 10)->second.getRotation();
    EXPECT_NEAR((nose - attitude * osg::Vec3d(1, 0, 0)).length(), 0, 1e-6);
    EXPECT_NE(row.gps_curheading, flightLog.rows[0].gps_curheading);
    EXPECT_GT((m.getTrans() - scenePositionOfRow(0)).length(), 1e-3);
}

} // namespace
