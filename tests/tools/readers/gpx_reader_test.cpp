#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "tools/common/tool_error.h"
#include "tools/readers/gpx_reader.h"

namespace fc = flightreplay::readers;
namespace ff = flightreplay::flight;

namespace {

std::string gpx11(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\"Test Tracker 2.1\" xmlns=\"http://www.topografix.com/GPX/1/1\"\n"
           " xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\">\n"
           + body + "</gpx>\n";
}

std::string point(const std::string& lat, const std::string& lon, const std::string& inner)
{
    return "<trkpt lat=\"" + lat + "\" lon=\"" + lon + "\">" + inner + "</trkpt>\n";
}

} // namespace

TEST(GpxReader, TimesOnTheUtcEpochClock)
{
    const struct {
        const char* stamp;
        double epoch;
    } cases[] = {
        {"2024-03-10T12:00:00Z", 1710072000.0},
        {"2024-03-10T12:00:00.250Z", 1710072000.25},
        {"2024-03-10T14:00:00+02:00", 1710072000.0},
        {"2024-03-10T07:30:00-04:30", 1710072000.0},
        {"2024-03-10T12:00:00.5+0100", 1710068400.5},
        {"2024-03-10T12:00:00", 1710072000.0},
        {" 1999-12-31T23:59:59Z ", 946684799.0},
    };
    for (const auto& c : cases) {
        const std::string doc = gpx11("<trk><trkseg>" + point("48.1", "11.5", std::string("<time>") + c.stamp + "</time>")
                                      + "</trkseg></trk>");
        const ff::Flight data = fc::readGpx(doc);
        ASSERT_EQ(data.position.size(), 1u) << c.stamp;
        EXPECT_DOUBLE_EQ(data.position[0].t, c.epoch) << c.stamp;
        EXPECT_EQ(data.utcAtClockZero, 0.0);
    }
}

TEST(GpxReader, TrackPointsOfBothVersions)
{
    // GPX 1.0 has speed as a child of trkpt, 1.1 only in extensions.
    const std::string v10 =
        "<gpx version=\"1.0\" creator=\"old\" xmlns=\"http://www.topografix.com/GPX/1/0\"><trk><trkseg>"
        + point("-33.5", "151.25", "<ele>-12.5</ele><time>2024-03-10T12:00:01Z</time><speed>7.5</speed>")
        + point("-33.5001", "151.2501", "<ele>-11</ele><time>2024-03-10T12:00:02Z</time><speed>8</speed>")
        + "</trkseg></trk></gpx>";
    // Two segments out of order, a point without time, one without ele.
    const std::string v11 = gpx11(
        "<wpt lat=\"1\" lon=\"1\"><time>2024-03-10T11:00:00Z</time></wpt><trk><trkseg>"
        + point("-33.5001", "151.2501",
                "<ele>-11</ele><time>2024-03-10T12:00:02Z</time><extensions><gpxtpx:TrackPointExtension>"
                "<gpxtpx:speed>8</gpxtpx:speed></gpxtpx:TrackPointExtension></extensions>")
        + point("-33.6", "151.3", "<ele>5</ele>") + "</trkseg><trkseg>"
        + point("-33.5", "151.25",
                "<ele>-12.5</ele><time>2024-03-10T12:00:01Z</time><extensions><gpxtpx:TrackPointExtension>"
                "<gpxtpx:speed>7.5</gpxtpx:speed></gpxtpx:TrackPointExtension></extensions>")
        + point("-33.5002", "151.2502", "<time>2024-03-10T12:00:03Z</time>") + "</trkseg></trk>");

    for (const std::string& doc : {v10, v11}) {
        const ff::Flight data = fc::readGpx(doc);
        EXPECT_EQ(data.format, flightreplay::flight::FlightFormat::gpx);
        ASSERT_GE(data.position.size(), 2u);
        EXPECT_DOUBLE_EQ(data.position[0].t, 1710072001.0);
        EXPECT_DOUBLE_EQ(data.position[0].latDeg, -33.5);
        EXPECT_DOUBLE_EQ(data.position[0].lonDeg, 151.25);
        EXPECT_DOUBLE_EQ(data.position[0].altM, -12.5);
        EXPECT_DOUBLE_EQ(data.position[1].altM, -11.0);
        ASSERT_EQ(data.groundSpeed.size(), 2u);
        EXPECT_DOUBLE_EQ(data.groundSpeed[0].value, 7.5);
        EXPECT_DOUBLE_EQ(data.groundSpeed[1].t, 1710072002.0);
    }
    const ff::Flight data = fc::readGpx(v11);
    EXPECT_EQ(data.firmware, "Test Tracker 2.1");
    ASSERT_EQ(data.position.size(), 3u);
    EXPECT_DOUBLE_EQ(data.position[2].altM, -11.0); // ele held from the fix before
    EXPECT_EQ(data.notes.size(), 1u);                // the point without time
}

TEST(GpxReader, RoutesAndWaypointsAreNoFlight)
{
    const ff::Flight data = fc::readGpx(gpx11(
        "<wpt lat=\"48\" lon=\"11\"><time>2024-03-10T12:00:00Z</time></wpt>"
        "<rte><rtept lat=\"48\" lon=\"11\"/><rtept lat=\"48.1\" lon=\"11.1\"/></rte>"
        "<trk><trkseg><trkpt lat=\"91\" lon=\"11\"><time>2024-03-10T12:00:00Z</time></trkpt></trkseg></trk>"));
    EXPECT_TRUE(data.position.empty());
}

TEST(GpxReader, RejectsWhatIsNotGpx)
{
    for (const char* doc : {"", "<gpx><trk></gpx>", "<?xml version=\"1.0\"?><kml><Document/></kml>", "\x89PNG\r\n"})
        EXPECT_THROW(fc::readGpx(doc), flightreplay::tools::ToolError) << doc;
}

TEST(GpxReader, UntimedPointsTakeTimesAlongTheTrack)
{
    // Along one parallel: the untimed points a quarter and three quarters of
    // the way, in distance, between fixes four seconds apart.
    const ff::Flight data = fc::readGpx(gpx11(
        "<trk><trkseg>" + point("48", "11.000", "<time>2024-03-10T12:00:00Z</time>") + point("48", "11.001", "")
        + point("48", "11.003", "") + point("48", "11.004", "<time>2024-03-10T12:00:04Z</time>")
        + point("48", "11.005", "") + "</trkseg></trk>"));
    ASSERT_EQ(data.position.size(), 4u);
    EXPECT_NEAR(data.position[1].t - data.position[0].t, 1.0, 1e-6);
    EXPECT_NEAR(data.position[2].t - data.position[0].t, 3.0, 1e-6);
    EXPECT_DOUBLE_EQ(data.position[2].lonDeg, 11.003);
    ASSERT_EQ(data.notes.size(), 2u);
    EXPECT_EQ(data.notes[0], "2 track points without a time: times interpolated along the track between their timed neighbours");
    EXPECT_EQ(data.notes[1], "1 track points without a time skipped"); // none after it to interpolate to

    // One time on every point is a logger that had no clock.
    const ff::Flight bogus = fc::readGpx(gpx11(
        "<trk><trkseg>" + point("48", "11.000", "<time>2000-01-01T00:00:00Z</time>")
        + point("48", "11.001", "<time>2000-01-01T00:00:00Z</time>")
        + point("48", "11.002", "<time>2000-01-01T00:00:00Z</time>") + "</trkseg></trk>"));
    ASSERT_EQ(bogus.position.size(), 3u);
    EXPECT_DOUBLE_EQ(bogus.position[2].t, 2.0);
    EXPECT_TRUE(std::isnan(bogus.utcAtClockZero));
    ASSERT_EQ(bogus.notes.size(), 2u);
    EXPECT_EQ(bogus.notes[0], "every timed track point has the same time: the track taken as untimed");
}
