// The review's findings in the Google Earth file, read back through GDAL's
// LIBKML driver: a placemark per finding in the folder "Review", where the
// vehicle was at the finding's start, with its text, value and threshold.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <utility>
#include <string>
#include <vector>

#include "earth_readback.h"
#include "review_logs.h"
#include "support/test_support.h"
#include "tools/readers/read_flight.h"
#include "tools/review/flight_review.h"

namespace {

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

} // namespace

TEST(EarthReview, FindingsArePlacemarksWhereTheVehicleWasAtTheirStart)
{
    reader_test::Trouble trouble;
    trouble.vibration = trouble.estimator = trouble.gpsJump = trouble.motorLimit = true;
    const struct {
        const char* file;
        std::string bytes;
        bool findings;
    } cases[] = {
        {"trouble.bin", reader_test::dataflashReviewFlight(trouble), true},
        {"healthy.bin", reader_test::dataflashReviewFlight({}), false},
    };
    const std::string dir = makeTempDir();
    for (const auto& c : cases) {
        writeFile(dir + "/" + c.file, c.bytes);
        const ProgramRun run = runCommand(std::string(FLIGHTREPLAY_CONVERT_BINARY) + " " + c.file + " --kmz out.kmz --force", dir);
        ASSERT_EQ(run.status, 0) << run.err;
        const flightreplay::flight::Flight flight = flightreplay::readers::readFlightFile(dir + "/" + c.file, {});
        const flightreplay::review::Review review = flightreplay::review::reviewFlight(flight);
        EXPECT_EQ(!review.findings.empty(), c.findings) << c.file;

        std::vector<EarthFeature> placemarks;
        for (const EarthFeature& f : readEarthFeatures(dir + "/out.kmz"))
            if (f.layer == "Review")
                placemarks.push_back(f);
        ASSERT_EQ(placemarks.size(), review.findings.size()) << c.file;
        for (size_t i = 0; i < placemarks.size(); ++i) {
            const flightreplay::review::Finding& want = review.findings[i];
            const EarthFeature& got = placemarks[i];
            EXPECT_EQ(got.name, std::string(severityWord(want.severity)) + ": " + kindWord(want.kind));
            EXPECT_EQ(got.geometry, "POINT");
            // The generated fixes come ten a second; spans start on one.
            const double t = flight.position.front().t + want.start;
            const flightreplay::flight::Fix* at = nullptr;
            for (const flightreplay::flight::Fix& fix : flight.position)
                if (std::fabs(fix.t - t) < 1e-6)
                    at = &fix;
            ASSERT_NE(at, nullptr) << want.text;
            EXPECT_NEAR(got.x, at->lonDeg, 1e-7) << want.text;
            EXPECT_NEAR(got.y, at->latDeg, 1e-7) << want.text;
            EXPECT_NEAR(got.z, at->altM, 0.01) << want.text;
            for (const std::string& part : {want.text, "measured " + number(want.value), "threshold " + number(want.threshold)})
                EXPECT_NE(got.description.find(part), std::string::npos) << got.description;
        }
    }
    // The studio's amber and red, as KML's aabbggrr.
    const std::string doc = zipMember(dir + "/out.kmz", "doc.kml");
    for (const auto& [style, colour] : {std::pair<std::string, std::string>{"review-warning", "ff00a5ff"}, {"review-failure", "ff1e1ee6"}}) {
        const size_t at = doc.find("<Style id=\"" + style + "\">");
        ASSERT_NE(at, std::string::npos) << style;
        EXPECT_EQ(doc.substr(doc.find("<color>", at) + 7, 8), colour) << style;
    }
}
