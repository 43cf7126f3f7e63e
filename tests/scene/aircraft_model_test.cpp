#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <osg/MatrixTransform>
#include <osgDB/ReadFile>

#include "frame/map_frame.h"
#include "scene/aircraft_model.h"
#include "scene_files.h"
#include "support/test_support.h"

namespace {

const char* const MODEL_PATH = "./EasyStar/data/body.ac";

// The matrix is s on the diagonal and nothing else.
void expectUniformScale(const osg::Matrixd& m, double s, double tolerance = 1e-15)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(m(r, c), r != c ? 0.0 : (r == 3 ? 1.0 : s), tolerance) << r << "," << c;
}

osg::ref_ptr<osg::MatrixTransform> buildCapturing(std::string& printed)
{
    osg::ref_ptr<osg::MatrixTransform> model;
    printed = captureStdout([&] { model = buildAircraftModel(); });
    return model;
}

TEST(AircraftModel, ScaledToTwelveMetresInTheMapFrame)
{
    TempWorkingDir dir;
    makeDirectories("EasyStar/data");
    // Its bounding box is 0.6 x 0.8 x 0, so the bounding sphere has radius 0.5,
    // and it lies off the origin so that a translation would show.
    writeTriangleModel(MODEL_PATH, osg::Vec3(1.7f, 2.6f, 3), osg::Vec3(2.3f, 2.6f, 3), osg::Vec3(2.3f, 3.4f, 3));
    osg::ref_ptr<osg::Node> asRead = osgDB::readNodeFile(MODEL_PATH);
    ASSERT_NE(asRead, nullptr);
    ASSERT_NEAR(asRead->getBound().radius(), 0.5, 1e-6);

    mapFrame.k = 0.01;
    std::string printed;
    osg::ref_ptr<osg::MatrixTransform> model = buildCapturing(printed);
    EXPECT_EQ(printed, "");
    ASSERT_NE(model, nullptr);
    // The bound is that of the model as read, a float near 0.5.
    expectUniformScale(model->getMatrix(), 12.0 * 0.01 / asRead->getBound().radius());
    expectUniformScale(model->getMatrix(), 0.24, 1e-6);
    EXPECT_NEAR(model->getBound().radius(), 0.12, 1e-6);
    EXPECT_NEAR((model->getBound().center() - osg::Vec3(2, 3, 3) * 0.24f).length(), 0, 1e-5);
    ASSERT_EQ(model->getNumChildren(), 1u);
    EXPECT_EQ(model->getUpdateCallback(), nullptr);

    const osg::StateSet* state = model->getStateSet();
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->getMode(GL_RESCALE_NORMAL), osg::StateAttribute::ON);

    // The same model at the frame of latitude 55 (1/k = 87.628082 m per unit).
    captureStdout([] { setupMapFrame(3300, 3300, 2250, 2250); });
    model = buildCapturing(printed);
    ASSERT_NE(model, nullptr);
    expectUniformScale(model->getMatrix(), 12.0 / 87.628082 / 0.5, 1e-6);
    EXPECT_NEAR(model->getBound().radius(), 12.0 / 87.628082, 1e-6);
}

TEST(AircraftModel, MissingOrUnreadableModelPrintsOneLine)
{
    TempWorkingDir dir;
    mapFrame.k = 0.01;
    std::string printed;
    EXPECT_EQ(buildCapturing(printed), nullptr);
    EXPECT_EQ(printed, "Not found model './EasyStar/data/body.ac'\n");

    makeDirectories("EasyStar/data");
    writeFile(MODEL_PATH, "not a model at all\n");
    EXPECT_EQ(buildCapturing(printed), nullptr);
    EXPECT_EQ(printed, "Not found model './EasyStar/data/body.ac'\n");
}

TEST(AircraftModel, ModelWithoutSizeKeepsItsOwnScale)
{
    TempWorkingDir dir;
    makeDirectories("EasyStar/data");
    mapFrame.k = 0.01;
    std::string printed;

    // All three corners on one point: the bound is valid with radius 0.
    writeTriangleModel(MODEL_PATH, osg::Vec3(0.2f, 0.1f, 0), osg::Vec3(0.2f, 0.1f, 0), osg::Vec3(0.2f, 0.1f, 0));
    osg::ref_ptr<osg::MatrixTransform> model = buildCapturing(printed);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(printed, "");
    expectUniformScale(model->getMatrix(), 1.0);

    // No geometry at all: the bound is empty.
    writeFile(MODEL_PATH, "AC3Db\nOBJECT world\nkids 0\n");
    model = buildCapturing(printed);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(printed, "");
    expectUniformScale(model->getMatrix(), 1.0);
    EXPECT_EQ(model->getStateSet()->getMode(GL_RESCALE_NORMAL), osg::StateAttribute::ON);
}

TEST(AircraftModel, ScaleFactor)
{
    EXPECT_DOUBLE_EQ(aircraftScale(0.01, 0.5f), 0.24);
    const float inf = std::numeric_limits<float>::infinity();
    for (float radius : {0.0f, -0.0f, -1.0f, inf, -inf, std::nanf("")})
        EXPECT_EQ(aircraftScale(0.01, radius), 1.0) << radius;
    // A frame without a scale gives no usable factor either.
    EXPECT_EQ(aircraftScale(0.0, 0.5f), 1.0);
    EXPECT_EQ(aircraftScale(std::numeric_limits<double>::infinity(), 0.5f), 1.0);
}

} // namespace
