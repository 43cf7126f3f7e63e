#include <gtest/gtest.h>

#include <cmath>

#include <osg/Geode>
#include <osg/Geometry>

#include "path/flight_track.h"
#include "path/synthetic_flight.h"

namespace {

struct Track {
    osg::ref_ptr<osg::Group> group;
    osg::Geode* geode = nullptr;
    osg::Geometry* geometry = nullptr;
    const osg::Vec3Array* vertices = nullptr;
};

// Builds the track and walks down to its geometry, checking the shape of the
// subtree on the way.
Track buildAndOpen()
{
    Track track;
    track.group = buildFlightTrack();
    EXPECT_EQ(track.group->getNumChildren(), 1u);
    if (track.group->getNumChildren() != 1)
        return track;
    track.geode = track.group->getChild(0)->asGeode();
    EXPECT_NE(track.geode, nullptr);
    if (!track.geode)
        return track;
    EXPECT_EQ(track.geode->getNumDrawables(), 1u);
    track.geometry = track.geode->getDrawable(0)->asGeometry();
    EXPECT_NE(track.geometry, nullptr);
    if (track.geometry)
        track.vertices = dynamic_cast<const osg::Vec3Array*>(track.geometry->getVertexArray());
    EXPECT_NE(track.vertices, nullptr);
    return track;
}

TEST(FlightTrack, OneWhiteLineStripOverEveryRowWhateverTheLength)
{
    // Lengths around both gaps of the replay: the track leaves out nothing.
    for (int rows : {-1, 0, 1, 2, 2501, 5000, 8001, 10000}) {
        SCOPED_TRACE(rows);
        frameAt55North();
        fillSyntheticFlight(rows);
        const Track track = buildAndOpen();
        ASSERT_NE(track.vertices, nullptr);
        const unsigned count = rows > 0 ? static_cast<unsigned>(rows) : 0u;
        EXPECT_EQ(track.vertices->size(), count);

        ASSERT_EQ(track.geometry->getNumPrimitiveSets(), 1u);
        const auto* strip = dynamic_cast<const osg::DrawArrays*>(track.geometry->getPrimitiveSet(0));
        ASSERT_NE(strip, nullptr);
        EXPECT_EQ(strip->getMode(), static_cast<GLenum>(GL_LINE_STRIP));
        EXPECT_EQ(strip->getCount(), static_cast<GLsizei>(count));

        const auto* colors = dynamic_cast<const osg::Vec4Array*>(track.geometry->getColorArray());
        ASSERT_TRUE(colors && colors->size() == 1u);
        EXPECT_EQ((*colors)[0], osg::Vec4(1, 1, 1, 1));
    }
}

TEST(FlightTrack, VerticesAreTheScenePositionsOfTheRowsInLogOrder)
{
    frameAt55North();
    fillSyntheticFlight(8001);
    const Track track = buildAndOpen();
    ASSERT_NE(track.vertices, nullptr);
    ASSERT_EQ(track.vertices->size(), 8001u);
    for (int i = 0; i < 8001; ++i) {
        const osg::Vec3f expected(scenePositionOfRow(i));
        ASSERT_EQ((*track.vertices)[static_cast<unsigned>(i)], expected) << "row " << i;
    }
}

TEST(FlightTrack, RowsScannedFromTextLandOnTheTileGrid)
{
    // Centred on latitude and longitude 0: the origin is the north-west
    // corner of tile (131072, 131072) and 1/k = 152.774899 m.
    const double tileMetres = 152.77489925;
    const double tileDegrees = 360.0 / 262144;
    // Latitude of the row one tile south of the equator, from the inverse Mercator.
    const double oneTileSouth = -std::atan(std::sinh(2 * MAP_PI / 262144)) * 180 / MAP_PI;
    char text[256];
    std::snprintf(text, sizeof text,
                  "gps_curalt gps_curlon gps_curlat\n"
                  "0 0 0\n"
                  "%.9f %.12f 0\n"
                  "0 0 %.12f\n",
                  tileMetres, tileDegrees * 60, oneTileSouth * 60);
    scanText(text);
    captureStdout([] { setupMapFrame(0, 0, 0, 0); });
    ASSERT_EQ(rowCount(), 3);

    const Track track = buildAndOpen();
    ASSERT_NE(track.vertices, nullptr);
    ASSERT_EQ(track.vertices->size(), 3u);
    EXPECT_EQ((*track.vertices)[0], osg::Vec3f(0, 0, 0));
    const osg::Vec3f east = (*track.vertices)[1];
    EXPECT_NEAR(east.x(), 0, 1e-4);
    EXPECT_NEAR(east.y(), 1, 1e-4);
    EXPECT_NEAR(east.z(), 1, 1e-6);
    const osg::Vec3f south = (*track.vertices)[2];
    EXPECT_NEAR(south.x(), 1, 1e-4);
    EXPECT_NEAR(south.y(), 0, 1e-4);
    EXPECT_EQ(south.z(), 0);
}

} // namespace
