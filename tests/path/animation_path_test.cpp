#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include <osg/AnimationPath>
#include <osg/Matrixd>

#include "path/animation_path.h"
#include "path/synthetic_flight.h"

namespace {

using Matrix3 = std::array<std::array<double, 3>, 3>;

// Rotations acting on column vectors, written out by hand.
Matrix3 rotationX(double a)
{
    return {{{1, 0, 0}, {0, std::cos(a), -std::sin(a)}, {0, std::sin(a), std::cos(a)}}};
}
Matrix3 rotationY(double a)
{
    return {{{std::cos(a), 0, std::sin(a)}, {0, 1, 0}, {-std::sin(a), 0, std::cos(a)}}};
}
Matrix3 rotationZ(double a)
{
    return {{{std::cos(a), -std::sin(a), 0}, {std::sin(a), std::cos(a), 0}, {0, 0, 1}}};
}
Matrix3 product(const Matrix3& a, const Matrix3& b)
{
    Matrix3 m{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < 3; ++i)
                m[r][c] += a[r][i] * b[i][c];
    return m;
}
osg::Vec3d apply(const Matrix3& m, const osg::Vec3d& v)
{
    return osg::Vec3d(m[0][0] * v.x() + m[0][1] * v.y() + m[0][2] * v.z(),
                      m[1][0] * v.x() + m[1][1] * v.y() + m[1][2] * v.z(),
                      m[2][0] * v.x() + m[2][1] * v.y() + m[2][2] * v.z());
}

// Rz(h - pi/2) Ry(p) Rx(r + pi/2)
Matrix3 expectedAttitude(double heading, double pitch, double roll)
{
    const double quarter = std::acos(0.0);
    return product(rotationZ(heading - quarter), product(rotationY(pitch), rotationX(roll + quarter)));
}

const osg::Vec3d TEST_VECTORS[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.3, -1.2, 2.5}};

void expectNear(const osg::Vec3d& actual, const osg::Vec3d& expected, double tolerance)
{
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
    EXPECT_NEAR(actual.z(), expected.z(), tolerance);
}

// The quaternion turns vectors as the matrix does, both on its own and as the
// row-vector matrix the animation callback builds from it.
void expectRotationActsLike(const osg::Quat& q, const Matrix3& m)
{
    const osg::Matrixd asMatrix = osg::Matrixd::rotate(q);
    for (const osg::Vec3d& v : TEST_VECTORS) {
        SCOPED_TRACE(testing::Message() << "vector " << v.x() << " " << v.y() << " " << v.z());
        expectNear(q * v, apply(m, v), 1e-12);
        expectNear(v * asMatrix, apply(m, v), 1e-12);
    }
}

std::vector<double> timesOf(const osg::AnimationPath& path)
{
    std::vector<double> times;
    for (const auto& entry : path.getTimeControlPointMap())
        times.push_back(entry.first);
    return times;
}

// Row that the point of time index c comes from in a long log.
int rowOfTimeIndex(int c)
{
    if (c < 2500)
        return c;
    if (c < 5000)
        return c + 2000;
    return c + 3000;
}

TEST(Attitude, ZeroAnglesTurnTheModelAQuarterAboutXThenBackAboutZ)
{
    // Rx(pi/2) takes y to z and z to -y, Rz(-pi/2) takes x to -y and y to x.
    const osg::Quat q = attitudeOf(0, 0, 0);
    expectNear(q * osg::Vec3d(1, 0, 0), osg::Vec3d(0, -1, 0), 1e-15);
    expectNear(q * osg::Vec3d(0, 1, 0), osg::Vec3d(0, 0, 1), 1e-15);
    expectNear(q * osg::Vec3d(0, 0, 1), osg::Vec3d(-1, 0, 0), 1e-15);
    expectRotationActsLike(q, expectedAttitude(0, 0, 0));
}

TEST(Attitude, HeadingPitchAndRollComposeAboutTheFixedAxes)
{
    struct Angles {
        double heading, pitch, roll;
    };
    const Angles cases[] = {
        {1.5707963267948966, 0, 0}, // heading east cancels the quarter turn about z
        {0, 0.4, 0},
        {0, 0, -0.7},
        {0.7, 0.25, -0.35},
        {-2.9, -1.1, 2.2},
        {6.0, 1.5, 3.1},
    };
    for (const Angles& a : cases) {
        SCOPED_TRACE(testing::Message() << a.heading << " " << a.pitch << " " << a.roll);
        expectRotationActsLike(attitudeOf(a.heading, a.pitch, a.roll), expectedAttitude(a.heading, a.pitch, a.roll));
    }
    // A heading of pi/2 leaves only the roll's quarter turn about x.
    expectNear(attitudeOf(1.5707963267948966, 0, 0) * osg::Vec3d(0, 1, 0), osg::Vec3d(0, 0, 1), 1e-15);
}

TEST(AnimationPath, TimesRunForwardWithOneStepForEveryLogLength)
{
    struct Case {
        int rows;
        size_t points;
        double lastTime;
        double step;
    };
    const Case cases[] = {
        {10000, 7000, 500.0, 500.0 / 6999},
        {8001, 5001, 500.0, 0.1},
        {7500, 5001, 5000 * 500.0 / 4499, 500.0 / 4499}, // row 7000 is the last point
        {5000, 3000, 2999 * 500.0 / 1999, 500.0 / 1999},
        {3002, 2501, 1250000.0, 500.0},  // divisor 1: the long-log rule as it stands
        {3001, 2501, 500.0, 0.2},        // rows 2501 on are left out; row 2500 ends at 500
        {3000, 2501, 500.0, 0.2},
        {2501, 2501, 500.0, 0.2},
        {100, 100, 500.0, 500.0 / 99},
        {2, 2, 500.0, 500.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        frameAt55North();
        fillSyntheticFlight(c.rows);
        osg::ref_ptr<osg::AnimationPath> path = buildAnimationPath();
        EXPECT_EQ(path->getLoopMode(), osg::AnimationPath::LOOP);
        const std::vector<double> times = timesOf(*path);
        ASSERT_EQ(times.size(), c.points);
        EXPECT_EQ(times.front(), 0.0);
        EXPECT_NEAR(times.back(), c.lastTime, c.lastTime * 1e-14);
        for (size_t i = 1; i < times.size(); ++i)
            ASSERT_NEAR(times[i] - times[i - 1], c.step, c.lastTime * 1e-13) << "after point " << i - 1;
    }
}

TEST(AnimationPath, EmptyAndOneRowLogs)
{
    for (int rows : {-1, 0}) {
        fillSyntheticFlight(rows);
        osg::ref_ptr<osg::AnimationPath> path = buildAnimationPath();
        EXPECT_TRUE(path->empty()) << rows;
        EXPECT_EQ(path->getLoopMode(), osg::AnimationPath::LOOP);
    }

    frameAt55North();
    fillSyntheticFlight(1);
    osg::ref_ptr<osg::AnimationPath> path = buildAnimationPath();
    ASSERT_EQ(path->getTimeControlPointMap().size(), 1u);
    EXPECT_EQ(path->getFirstTime(), 0.0);
    EXPECT_TRUE(std::isfinite(path->getPeriod()));
    // The aircraft holds the one row's place at any time.
    for (double t : {0.0, 3.5, 600.0}) {
        osg::AnimationPath::ControlPoint point;
        ASSERT_TRUE(path->getInterpolatedControlPoint(t, point));
        EXPECT_EQ(point.getPosition(), scenePositionOfRow(0)) << t;
    }
}

TEST(AnimationPath, PointsComeFromTheirRowsAndTheGapRowsAreLeftOut)
{
    frameAt55North();
    fillSyntheticFlight(10000);
    osg::ref_ptr<osg::AnimationPath> path = buildAnimationPath();
    const auto& points = path->getTimeControlPointMap();
    ASSERT_EQ(points.size(), 7000u);
    int c = 0;
    for (const auto& entry : points) {
        const int row = rowOfTimeIndex(c);
        const LogRow& log = flightLog.rows[row];
        ASSERT_EQ(entry.second.getPosition(), scenePositionOfRow(row)) << "time index " << c;
        EXPECT_EQ(entry.second.getScale(), osg::Vec3d(1, 1, 1));
        // Every point, not just the ones at the seams, turns like its own row.
        if (c % 97 == 0 || c == 2500 || c == 5000) {
            SCOPED_TRACE(testing::Message() << "time index " << c);
            expectRotationActsLike(entry.second.getRotation(),
                                   expectedAttitude(log.gps_curheading, log.pyro_curpitch, log.pyro_curroll));
        }
        ++c;
    }

    // Rows 4500 and 8000 share their time with rows 2500 and 7000 and win.
    osg::AnimationPath::ControlPoint point;
    path->getInterpolatedControlPoint(2500 * 500.0 / 6999, point);
    EXPECT_EQ(point.getPosition(), scenePositionOfRow(4500));
    EXPECT_NE(point.getPosition(), scenePositionOfRow(2500));
    path->getInterpolatedControlPoint(5000 * 500.0 / 6999, point);
    EXPECT_EQ(point.getPosition(), scenePositionOfRow(8000));
    EXPECT_NE(point.getPosition(), scenePositionOfRow(7000));

    // Without a row 4500 or 8000 to replace them, rows 2500 and 7000 stay.
    fillSyntheticFlight(3001);
    path = buildAnimationPath();
    EXPECT_EQ(path->getTimeControlPointMap().rbegin()->second.getPosition(), scenePositionOfRow(2500));
    fillSyntheticFlight(7500);
    path = buildAnimationPath();
    EXPECT_EQ(path->getTimeControlPointMap().rbegin()->second.getPosition(), scenePositionOfRow(7000));
}

TEST(AnimationPath, RowsScannedFromTextGiveTheirAnglesToTheRightAxes)
{
    // Columns in an order unlike the table's, so a mixed-up field shows.
    scanText("pyro_curroll,gps_curalt,pyro_curpitch,gps_curlon,gps_curheading,gps_curlat\n"
             "0.3,120,-0.2,2250.5,2.0,3300.5\n"
             "-0.6,140,0.45,2250.6,-1.0,3300.6\n");
    frameAt55North();
    ASSERT_EQ(rowCount(), 2);
    osg::ref_ptr<osg::AnimationPath> path = buildAnimationPath();
    const auto& points = path->getTimeControlPointMap();
    ASSERT_EQ(points.size(), 2u);
    const osg::AnimationPath::ControlPoint& first = points.begin()->second;
    const osg::AnimationPath::ControlPoint& last = points.rbegin()->second;
    EXPECT_EQ(points.rbegin()->first, 500.0);
    expectRotationActsLike(first.getRotation(), expectedAttitude(2.0, -0.2, 0.3));
    expectRotationActsLike(last.getRotation(), expectedAttitude(-1.0, 0.45, -0.6));
    EXPECT_EQ(first.getPosition(), osg::Vec3d(geoToScene(3300.5 / 60, 2250.5 / 60, 120)));
    EXPECT_EQ(last.getPosition(), osg::Vec3d(geoToScene(3300.6 / 60, 2250.6 / 60, 140)));
}

TEST(AnimationPath, InterpolatesBetweenPointsAndLoops)
{
    frameAt55North();
    fillSyntheticFlight(100);
    osg::ref_ptr<osg::AnimationPath> path = buildAnimationPath();
    const double step = 500.0 / 99;
    const osg::Vec3d p10 = scenePositionOfRow(10);
    const osg::Vec3d p11 = scenePositionOfRow(11);
    const osg::Vec3d quarterWay = p10 * 0.75 + p11 * 0.25;
    osg::AnimationPath::ControlPoint point;
    for (double t : {10.25 * step, 500 + 10.25 * step, 1500 + 10.25 * step}) {
        ASSERT_TRUE(path->getInterpolatedControlPoint(t, point));
        expectNear(point.getPosition(), quarterWay, 1e-9);
    }
    path->getInterpolatedControlPoint(10 * step, point);
    expectNear(point.getPosition(), p10, 1e-12);
    // The last row is reached at the end of the period, which is the start of the next.
    path->getInterpolatedControlPoint(500.0 - 1e-9, point);
    expectNear(point.getPosition(), scenePositionOfRow(99), 1e-6);
    path->getInterpolatedControlPoint(500.0, point);
    expectNear(point.getPosition(), scenePositionOfRow(0), 1e-12);

    // Across the first gap the aircraft flies straight from row 2499 to row 4500.
    fillSyntheticFlight(8001);
    path = buildAnimationPath();
    path->getInterpolatedControlPoint(2499.5 * 0.1, point);
    expectNear(point.getPosition(), (scenePositionOfRow(2499) + scenePositionOfRow(4500)) * 0.5, 1e-9);
    path->getInterpolatedControlPoint(4999.5 * 0.1, point);
    expectNear(point.getPosition(), (scenePositionOfRow(6999) + scenePositionOfRow(8000)) * 0.5, 1e-9);
}

} // namespace
