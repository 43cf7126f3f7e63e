#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <osg/ComputeBoundsVisitor>
#include <osgDB/ReadFile>
#include <tinyxml2.h>

#include "earth_readback.h"
#include "log_writers.h"
#include "reader_test_support.h"
#include "support/test_support.h"
#include "tools/assets/vehicle_model.h"
#include "tools/readers/read_flight.h"

namespace {

ProgramRun convert(const std::string& arguments, const std::string& dir)
{
    return runCommand(std::string(FLIGHTREPLAY_CONVERT_BINARY) + " " + arguments, dir);
}

// An IGC glider flight: 20 s on the ground, a climb of 2 m/s heading east
// for 60 s, down again at 3 m/s for 40 s, 20 s on the ground: 140 fixes a
// second from 10:00:00 UTC on 15 June 2023.
std::string igcFlight()
{
    std::string text = "AXCT001 FLIGHT:1\r\nHFDTE150623\r\n";
    double east = 0.0;
    double alt = 500.0;
    for (int s = 0; s < 140; ++s) {
        if (s > 20 && s <= 80) {
            east += 10.0;
            alt += 2.0;
        } else if (s > 80 && s <= 120) {
            east += 10.0;
            alt -= 3.0;
        }
        // 48° N, 11° E plus `east` metres: 1' of longitude is about 1241 m there.
        const double minutes = east / 1241.0;
        char record[64];
        std::snprintf(record, sizeof record, "B10%02d%02d4800000N011%05dEA%05d%05d\r\n", s / 60, s % 60,
                      static_cast<int>(std::lround(minutes * 1000.0)), static_cast<int>(alt),
                      static_cast<int>(alt));
        text += record;
    }
    return text;
}

struct TestFlight {
    std::string file;
    std::string bytes;
    std::vector<const char*> marks; // placemarks the flight must have
};

// The real log says when it took off and landed; the generated DataFlash
// log's 3.8 s climb out is a take-off found in the track, the glider's
// take-off and landing too.
std::vector<TestFlight> acceptanceFlights()
{
    return {{"events.ulg", readFile(reader_test::realLogDir() + "/sample_px4_events.ulg"), {"Take-off", "Landing"}},
            {"flight.bin", reader_test::dataflashFlight(false), {"Take-off"}},
            {"glider.igc", igcFlight(), {"Take-off", "Landing"}}};
}

std::vector<std::string> childNames(const tinyxml2::XMLElement* element)
{
    std::vector<std::string> names;
    for (const tinyxml2::XMLElement* c = element->FirstChildElement(); c; c = c->NextSiblingElement())
        names.push_back(c->Name());
    return names;
}

// The children's names joined by spaces, matched whole by `pattern`.
void expectChildren(const tinyxml2::XMLElement* element, const std::string& pattern)
{
    std::string joined;
    for (const std::string& name : childNames(element))
        joined += (joined.empty() ? "" : " ") + name;
    EXPECT_TRUE(std::regex_match(joined, std::regex(pattern)))
        << element->Name() << " holds '" << joined.substr(0, 300) << "', not " << pattern;
}

osg::BoundingBox boundsOf(osg::Node& node)
{
    osg::ComputeBoundsVisitor visitor;
    node.accept(visitor);
    return visitor.getBoundingBox();
}

} // namespace

TEST(EarthExport, TracksOfRealAndGeneratedLogsReadBackThroughGdal)
{
    const std::string dir = makeTempDir();
    for (const TestFlight& f : acceptanceFlights()) {
        writeFile(dir + "/" + f.file, f.bytes);
        const ProgramRun run = convert(f.file + " out-" + f.file + ".kmz", dir);
        ASSERT_EQ(run.status, 0) << f.file << ": " << run.err;
        const std::vector<EarthFeature> features = readEarthFeatures(dir + "/out-" + f.file + ".kmz");
        ASSERT_FALSE(features.empty()) << f.file;

        // Expected: the IGC file's own B records and date; the binary logs'
        // fixes as the readers give them.
        size_t fixes = 140;
        std::string first = "2023-06-15T10:00:00.000";
        std::string last = "2023-06-15T10:02:19.000";
        if (f.file != "glider.igc") {
            const flightreplay::flight::Flight flight =
                flightreplay::readers::readFlightFile(dir + "/" + f.file, flightreplay::readers::ReadOptions{});
            ASSERT_TRUE(std::isfinite(flight.utcAtClockZero)) << f.file;
            fixes = flight.position.size();
            first = utcText(flight.utcAtClockZero + flight.position.front().t);
            last = utcText(flight.utcAtClockZero + flight.position.back().t);
        }
        ASSERT_LT(fixes, 50000u) << "thinned: the count below would need the thinning";
        const EarthFeature track = featureNamed(features, f.file + ": the vehicle");
        EXPECT_EQ(track.geometry, "LINESTRING") << f.file;
        EXPECT_EQ(static_cast<size_t>(track.points), fixes) << f.file;
        EXPECT_EQ(track.begin, first) << f.file;
        EXPECT_EQ(track.end, last) << f.file;

        for (const char* name : f.marks) {
            const EarthFeature mark = featureNamed(features, name);
            EXPECT_EQ(mark.geometry, "POINT") << f.file << " " << name;
            EXPECT_FALSE(mark.timestamp.empty()) << f.file << " " << name;
            EXPECT_GE(mark.timestamp, first.substr(0, 19)) << f.file << " " << name;
            EXPECT_LE(mark.timestamp, last) << f.file << " " << name;
        }
    }
}

TEST(EarthExport, ModelInsideReadsBackAtItsSizeInKmlAxes)
{
    const std::string dir = makeTempDir();
    writeFile(dir + "/flight.bin", reader_test::dataflashFlight(false));
    writeFile(dir + "/glider.igc", igcFlight());
    const struct {
        const char* flight;
        const char* model;
        flightreplay::flight::VehicleType type;
        double span; // metres, the models' documented wing spans
    } cases[] = {
        {"flight.bin", "models/fixed-wing.dae", flightreplay::flight::VehicleType::fixedWing, 1.37},
        {"glider.igc", "models/glider.dae", flightreplay::flight::VehicleType::glider, 15.0},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(convert(std::string(c.flight) + " out.kmz --force", dir).status, 0) << c.flight;
        const std::string dae = zipMember(dir + "/out.kmz", c.model);
        ASSERT_FALSE(dae.empty()) << c.model;
        writeFile(dir + "/model.dae", dae);
        osg::ref_ptr<osg::Node> read = osgDB::readRefNodeFile(dir + "/model.dae");
        ASSERT_TRUE(read) << c.model;
        const osg::BoundingBox got = boundsOf(*read);

        // The built-in model: nose along -x, top along +y, left wing along
        // +z. In KML's model axes the nose is +y, the top +z, the right wing +x.
        osg::ref_ptr<osg::Node> builtIn = flightreplay::assets::loadVehicleModel(c.type, "");
        const osg::BoundingBox b = boundsOf(*builtIn);
        const double tolerance = 1e-3;
        EXPECT_NEAR(got.xMin(), -b.zMax(), tolerance) << c.model;
        EXPECT_NEAR(got.xMax(), -b.zMin(), tolerance) << c.model;
        EXPECT_NEAR(got.yMin(), -b.xMax(), tolerance) << c.model;
        EXPECT_NEAR(got.yMax(), -b.xMin(), tolerance) << c.model;
        EXPECT_NEAR(got.zMin(), b.yMin(), tolerance) << c.model;
        EXPECT_NEAR(got.zMax(), b.yMax(), tolerance) << c.model;
        EXPECT_NEAR(got.xMax() - got.xMin(), c.span, 0.02 * c.span) << c.model;
    }
}

TEST(EarthExport, DocumentHoldsItsElementsInTheKmlSchemasOrder)
{
    const std::string dir = makeTempDir();
    writeFile(dir + "/flight.bin", reader_test::dataflashFlight(false));
    ASSERT_EQ(convert("flight.bin out.kmz", dir).status, 0);
    const std::string text = zipMember(dir + "/out.kmz", "doc.kml");
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse(text.c_str(), text.size()), tinyxml2::XML_SUCCESS);
    const tinyxml2::XMLElement* kml = doc.RootElement();
    ASSERT_STREQ(kml->Name(), "kml");
    EXPECT_STREQ(kml->Attribute("xmlns"), "http://www.opengis.net/kml/2.2");
    EXPECT_STREQ(kml->Attribute("xmlns:gx"), "http://www.google.com/kml/ext/2.2");
    expectChildren(kml, "Document");

    const tinyxml2::XMLElement* document = kml->FirstChildElement("Document");
    expectChildren(document, "name open description LookAt( Style)+ Folder");
    std::set<std::string> styles;
    for (const auto* s = document->FirstChildElement("Style"); s; s = s->NextSiblingElement("Style"))
        styles.insert(std::string("#") + s->Attribute("id"));

    const tinyxml2::XMLElement* folder = document->FirstChildElement("Folder");
    expectChildren(folder, "name open description Placemark Folder Folder( Folder)*( Folder)? gx:Tour");
    const tinyxml2::XMLElement* vehicle = folder->FirstChildElement("Placemark");
    expectChildren(vehicle, "name description styleUrl gx:Track");
    const tinyxml2::XMLElement* track = vehicle->FirstChildElement("gx:Track");
    // 20 fixes: 20 times, 20 positions, 20 attitudes, then the model.
    std::string twenty;
    for (const char* name : {" when", " gx:coord", " gx:angles"})
        for (int i = 0; i < 20; ++i)
            twenty += name;
    expectChildren(track, "altitudeMode" + twenty + " Model");
    expectChildren(track->FirstChildElement("Model"), "Orientation Scale Link");
    EXPECT_STREQ(track->FirstChildElement("Model")->FirstChildElement("Link")->FirstChildElement("href")->GetText(),
                 "models/fixed-wing.dae");

    std::vector<std::string> times, angles;
    for (const auto* w = track->FirstChildElement("when"); w; w = w->NextSiblingElement("when"))
        times.push_back(w->GetText());
    for (const auto* a = track->FirstChildElement("gx:angles"); a; a = a->NextSiblingElement("gx:angles"))
        angles.push_back(a->GetText());
    ASSERT_EQ(times.size(), 20u);
    for (size_t i = 1; i < times.size(); ++i)
        EXPECT_LT(times[i - 1], times[i]);
    // The generated log: fixes 0.2 s apart from boot 10 s, the aircraft at
    // yaw 100°, pitch 10°, roll 30° at boot 12 s (the 11th fix), level at the start.
    EXPECT_EQ(angles[10], "100.0 10.0 30.0");
    EXPECT_EQ(angles[0].substr(angles[0].find(' ')), " 0.0 0.0");

    // Marks and stretches: features before their point or line, every style defined.
    for (const auto* sub = folder->FirstChildElement("Folder"); sub; sub = sub->NextSiblingElement("Folder"))
        for (const auto* p = sub->FirstChildElement("Placemark"); p; p = p->NextSiblingElement("Placemark")) {
            expectChildren(p, "name description( TimeStamp)? styleUrl (Point|LineString)");
            EXPECT_EQ(styles.count(p->FirstChildElement("styleUrl")->GetText()), 1u)
                << p->FirstChildElement("styleUrl")->GetText();
            const auto* geometry = p->LastChildElement();
            expectChildren(geometry, "altitudeMode coordinates");
            EXPECT_STREQ(geometry->FirstChildElement("altitudeMode")->GetText(), "absolute");
        }

    const tinyxml2::XMLElement* tour = folder->FirstChildElement("gx:Tour");
    expectChildren(tour, "name description gx:Playlist");
    const tinyxml2::XMLElement* playlist = tour->FirstChildElement("gx:Playlist");
    // 3.8 s of flight in real time: the first view and one a second after it.
    expectChildren(playlist, "gx:FlyTo( gx:FlyTo){4}");
    for (const auto* fly = playlist->FirstChildElement(); fly; fly = fly->NextSiblingElement()) {
        expectChildren(fly, "gx:duration gx:flyToMode LookAt");
        expectChildren(fly->FirstChildElement("LookAt"),
                       "gx:TimeStamp longitude latitude altitude heading tilt range altitudeMode");
    }
    EXPECT_STREQ(playlist->LastChildElement()->FirstChildElement("LookAt")->FirstChildElement("gx:TimeStamp")
                     ->FirstChildElement("when")->GetText(),
                 times.back().c_str());
}

TEST(EarthExport, SeveralFlightsFromTheConverterAndTheStudioAndAPlainKml)
{
    const std::string dir = makeTempDir();
    for (const TestFlight& f : acceptanceFlights())
        writeFile(dir + "/" + f.file, f.bytes);
    ProgramRun run = convert("events.ulg flight.bin glider.igc --kmz all.kmz", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<EarthFeature> features = readEarthFeatures(dir + "/all.kmz");
    std::set<std::string> layers;
    for (const EarthFeature& f : features)
        layers.insert(f.layer);
    for (const char* name : {"events.ulg: the vehicle", "flight.bin: the vehicle", "glider.igc: the vehicle"})
        EXPECT_EQ(featureNamed(features, name).geometry, "LINESTRING");
    for (const char* layer : {"events.ulg", "flight.bin", "glider.igc"})
        EXPECT_EQ(layers.count(layer), 1u) << layer;
    for (const char* model : {"models/multicopter.dae", "models/fixed-wing.dae", "models/glider.dae"})
        EXPECT_FALSE(zipMember(dir + "/all.kmz", model).empty()) << model;

    if (std::string(STUDIO_BINARY).empty())
        GTEST_SKIP() << "the studio is not built";
    run = runCommand(std::string(STUDIO_BINARY) + " events.ulg flight.bin glider.igc --export-kmz studio.kmz", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(zipMember(dir + "/studio.kmz", "doc.kml"), zipMember(dir + "/all.kmz", "doc.kml"));

    // A .kml is the document alone: no model to refer to, none beside it.
    ASSERT_EQ(convert("flight.bin flight.kml", dir).status, 0);
    const std::string kml = readFile(dir + "/flight.kml");
    EXPECT_EQ(kml.find("<Model>"), std::string::npos);
    EXPECT_EQ(featureNamed(readEarthFeatures(dir + "/flight.kml"), "flight.bin: the vehicle").points, 20);
    EXPECT_FALSE(std::filesystem::exists(dir + "/models"));
}

TEST(EarthExport, FailuresEndWithOneLineAndLeaveNoFile)
{
    const std::string dir = makeTempDir();
    writeFile(dir + "/flight.bin", reader_test::dataflashFlight(false));
    writeFile(dir + "/noise.dat", std::string("\x01\x02\x03\x04", 4));
    writeFile(dir + "/kept.kmz", "kept");
    const struct {
        const char* arguments;
        const char* output;
        const char* message;
    } cases[] = {
        {"flight.bin missing/out.kmz", "missing/out.kmz", "missing/out.kmz"},
        {"flight.bin noise.dat --kmz out.kmz", "out.kmz", "noise.dat: not a flight log of a known format"},
        {"flight.bin kept.kmz", "kept.kmz", "kept.kmz: exists; --force overwrites it"},
        {"--rate 5 flight.bin out.kmz", "out.kmz", "shape the replay's log, not a Google Earth file"},
        {"flight.bin --kmz out.txt", "out.txt", "out.txt: a Google Earth file ends in .kmz or .kml"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = convert(c.arguments, dir);
        EXPECT_EQ(run.status, 2) << c.arguments;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        const std::string output = dir + "/" + c.output;
        if (std::string(c.output) == "kept.kmz")
            EXPECT_EQ(readFile(output), "kept");
        else
            EXPECT_FALSE(std::filesystem::exists(output)) << c.arguments;
        EXPECT_FALSE(std::filesystem::exists(output + ".part")) << c.arguments;
    }
}
