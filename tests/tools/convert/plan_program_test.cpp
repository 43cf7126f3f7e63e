#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "log_writers.h"
#include "plan_flight.h"
#include "plan_telemetry.h"
#include "support/test_support.h"

using namespace reader_test;
using flightreplay::flight::MissionItem;

namespace {

constexpr double HOME_LAT = 47.6;
constexpr double HOME_LON = 9.14;
constexpr double HOME_ALT = 420.0;

ProgramRun convert(const std::string& arguments, const std::string& dir)
{
    return runCommand(std::string(FLIGHTREPLAY_CONVERT_BINARY) + " " + arguments, dir);
}

std::vector<std::string> split(const std::string& text, char by)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, by))
        parts.push_back(part);
    return parts;
}

// The words of the listing's line that starts with "  SEQ  ".
std::vector<std::string> tableRow(const std::string& listing, int seq)
{
    for (const std::string& line : split(listing, '\n')) {
        std::istringstream words(line);
        std::string first;
        if (line.rfind("  ", 0) == 0 && words >> first && first == std::to_string(seq)) {
            std::vector<std::string> row{first};
            for (std::string w; words >> w;)
                row.push_back(w);
            return row;
        }
    }
    return {};
}

std::string lineStarting(const std::string& text, const std::string& start)
{
    for (const std::string& line : split(text, '\n'))
        if (line.rfind(start, 0) == 0)
            return line;
    return "";
}

struct PlanFolder {
    std::string dir;
    std::string file; // plan.bin or plan.tlog
    PlanFlight plan;
    PlanFlightLog log;
    SlopedGround ground{HOME_LAT, HOME_LON, HOME_ALT - 2.0};

    // An item's place as the log holds it: DataFlash CMD in floats,
    // MAVLink's MISSION_ITEM_INT in 1e-7 degrees.
    double asLogged(double degrees) const
    {
        return file == "plan.bin" ? static_cast<double>(static_cast<float>(degrees)) : std::round(degrees * 1e7) / 1e7;
    }
};

// A folder with the plan flight flown over the sloped ground, as a
// DataFlash log or a ground station's log, its terrain reports 3.5 m above
// the ground, and (withElevation) the ground's elevation file.
PlanFolder planFolder(bool withElevation, const std::string& file)
{
    PlanFolder f;
    f.dir = makeTempDir();
    f.file = file;
    const SlopedGround ground = f.ground;
    f.plan = standardPlanFlight(HOME_LAT, HOME_LON, HOME_ALT,
                                [ground](double lat, double lon) { return ground.heightAt(lat, lon); });
    f.log = file == "plan.bin" ? writePlanFlight(f.plan) : writePlanTelemetry(f.plan);
    writeFile(f.dir + "/" + file, f.log.bytes);
    if (withElevation)
        writeFile(f.dir + "/" + f.ground.fileName(), f.ground.fileBytes());
    return f;
}

const char* const PLAN_FILES[] = {"plan.bin", "plan.tlog"};

} // namespace

TEST(ConvertPlan, ListResolvesEveryFrameAndComparesTheTerrain)
{
    for (const char* file : PLAN_FILES) {
        SCOPED_TRACE(file);
        const PlanFolder f = planFolder(true, file);
        const ProgramRun run = convert(std::string("--list ") + file, f.dir);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string& out = run.out;
        EXPECT_NE(out.find("mission: 13 items (item 0 is home)\n"), std::string::npos) << out;

        // Heights above sea level worked out from each item as written (CMD
        // holds floats): frames 0/5 as given, 3/6 above home, 10/11 above the
        // ground under the item; a take-off in place above home; none for DO_ items.
        for (const MissionItem& item : f.plan.mission) {
            const std::vector<std::string> row = tableRow(out, item.seq);
            ASSERT_EQ(row.size(), 7u) << item.seq << "\n" << out;
            const double lat = f.asLogged(item.latDeg);
            const double lon = f.asLogged(item.lonDeg);
            double expected = NAN;
            if (item.command == 178 || item.command == 177 || item.command == 189)
                expected = NAN;
            else if (item.frame == 0 || item.frame == 5)
                expected = item.alt;
            else if (item.frame == 3 || item.frame == 6)
                expected = HOME_ALT + item.alt;
            else
                expected = f.ground.heightAt(lat, lon) + item.alt;
            if (std::isnan(expected)) {
                EXPECT_EQ(row[6], "-") << item.seq;
            } else {
                EXPECT_NEAR(std::strtod(row[6].c_str(), nullptr), expected, 0.051) << item.seq;
            }
            EXPECT_EQ(std::atoi(row[2].c_str()), item.frame) << item.seq;
            EXPECT_NEAR(std::strtod(row[3].c_str(), nullptr), lat, 1e-7) << item.seq;
            EXPECT_NEAR(std::strtod(row[4].c_str(), nullptr), lon, 1e-7) << item.seq;
        }
        EXPECT_EQ(tableRow(out, 9)[1], "DO_JUMP");
        EXPECT_EQ(tableRow(out, 6)[1], "LOITER_TURNS");

        EXPECT_EQ(lineStarting(out, "fence:"), "fence: 2 regions (polygons 1, circles 1; inclusion 1, exclusion 1)");
        EXPECT_EQ(lineStarting(out, "rally points:"), "rally points: 2");
        char line[200];
        std::snprintf(line, sizeof line, "home: %.7f, %.7f, %.1f m", HOME_LAT, HOME_LON, HOME_ALT);
        EXPECT_EQ(lineStarting(out, "home:"), line);
        EXPECT_EQ(lineStarting(out, "camera shots:").rfind("camera shots: " + std::to_string(f.log.shots) + ", 8.000 s to ", 0), 0u)
            << out;
        std::snprintf(line, sizeof line, "terrain reports: %d, %d without data", f.log.reportsWithData + f.plan.waitingReports,
                      f.plan.waitingReports);
        EXPECT_EQ(lineStarting(out, "terrain reports:"), line);
        // Every report 3.5 m above the ground but one, 9 m higher still.
        std::snprintf(line, sizeof line,
                      "terrain: %d reports with data; autopilot minus elevation files: median 3.5 m, largest 12.5 m at %.1f s",
                      f.log.reportsWithData, f.log.outlierT - f.log.firstFixT);
        EXPECT_EQ(lineStarting(out, "terrain:"), line);
        // The upload that broke off is told.
        EXPECT_NE(lineStarting(out, "note:").find("incomplete"), std::string::npos) << out;
    }
}

TEST(ConvertPlan, ListWithoutElevationFilesLeavesTerrainFramesUnresolved)
{
    for (const char* file : PLAN_FILES) {
        SCOPED_TRACE(file);
        const PlanFolder f = planFolder(false, file);
        const ProgramRun run = convert(std::string("--list ") + file, f.dir);
        ASSERT_EQ(run.status, 0) << run.err;
        for (int seq : {5, 8})
            EXPECT_EQ(tableRow(run.out, seq)[6], "unresolved") << seq;
        EXPECT_NE(tableRow(run.out, 7)[6], "unresolved");
        char line[200];
        std::snprintf(line, sizeof line, "terrain: %d reports with data; no elevation files here to compare them with",
                      f.log.reportsWithData);
        EXPECT_EQ(lineStarting(run.out, "terrain:"), line);
        // Nothing of the replay's own loader: no line per missing file.
        EXPECT_EQ(run.out.find("Not open"), std::string::npos);
    }
}

TEST(ConvertPlan, MissionAsWaypointsReadBackLineByLine)
{
    for (const char* file : PLAN_FILES) {
        SCOPED_TRACE(file);
        const PlanFolder f = planFolder(false, file);
        ProgramRun run = convert(std::string("--mission plan.waypoints ") + file, f.dir);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string text = readFile(f.dir + "/plan.waypoints");
        EXPECT_FALSE(std::filesystem::exists(f.dir + "/plan.waypoints.part"));

        const std::vector<std::string> lines = split(text, '\n');
        ASSERT_EQ(lines.size(), f.plan.mission.size() + 1);
        EXPECT_EQ(lines[0], "QGC WPL 110");
        EXPECT_EQ(text.back(), '\n');
        for (size_t i = 0; i < f.plan.mission.size(); ++i) {
            const MissionItem& want = f.plan.mission[i];
            const std::vector<std::string> fields = split(lines[i + 1], '\t');
            ASSERT_EQ(fields.size(), 12u) << lines[i + 1];
            EXPECT_EQ(std::atoi(fields[0].c_str()), static_cast<int>(i));
            EXPECT_EQ(std::atoi(fields[1].c_str()), i == 0 ? 1 : 0);
            EXPECT_EQ(std::atoi(fields[2].c_str()), want.frame);
            EXPECT_EQ(std::atoi(fields[3].c_str()), want.command);
            for (size_t k = 0; k < 4; ++k)
                EXPECT_NEAR(std::strtod(fields[4 + k].c_str(), nullptr), static_cast<float>(want.param[k]), 1e-6) << i;
            EXPECT_NEAR(std::strtod(fields[8].c_str(), nullptr), f.asLogged(want.latDeg), 1e-8) << i;
            EXPECT_NEAR(std::strtod(fields[9].c_str(), nullptr), f.asLogged(want.lonDeg), 1e-8) << i;
            EXPECT_NEAR(std::strtod(fields[10].c_str(), nullptr), static_cast<float>(want.alt), 1e-4) << i;
            EXPECT_EQ(fields[11], "1");
        }

        run = convert(std::string("--mission - ") + file, f.dir);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, text);

        run = convert(std::string("--mission plan.waypoints ") + file, f.dir);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "flightreplay-convert: plan.waypoints: exists; --force overwrites it\n");
        EXPECT_EQ(convert(std::string("--force --mission plan.waypoints ") + file, f.dir).status, 0);
    }

    // A flight without a mission: one line, status 2, no file.
    const std::string dir = makeTempDir();
    writeFile(dir + "/plain.bin", dataflashFlight(false));
    const ProgramRun run = convert("--mission plain.waypoints plain.bin", dir);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "flightreplay-convert: plain.bin: no mission in this flight\n");
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(std::filesystem::exists(dir + "/plain.waypoints"));
}

TEST(ConvertPlan, AListHoldingNothingToFlyIsNoMissionListedOrWritten)
{
    const struct {
        const char* file;
        std::string bytes;
    } cases[] = {
        {"plane.bin", arduPlaneWithoutMission(false)},
        {"plane.tlog", arduPlaneTelemetryWithoutMission(6)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string dir = makeTempDir();
        writeFile(dir + "/" + c.file, c.bytes);
        const ProgramRun list = convert(std::string("--list ") + c.file, dir);
        ASSERT_EQ(list.status, 0) << list.err;
        EXPECT_EQ(lineStarting(list.out, "mission"),
                  "mission: none loaded (the autopilot's list of 6 items holds nothing to fly)");
        EXPECT_EQ(list.out.find("seq  command"), std::string::npos) << list.out;
        EXPECT_EQ(list.out.find("note:"), std::string::npos) << list.out;

        const ProgramRun mission = convert(std::string("--mission plane.waypoints ") + c.file, dir);
        EXPECT_EQ(mission.status, 2);
        EXPECT_EQ(mission.err, std::string("flightreplay-convert: ") + c.file
                                   + ": no mission in this flight (the autopilot's list of 6 items holds nothing to fly)\n");
        EXPECT_EQ(mission.out, "");
        EXPECT_FALSE(std::filesystem::exists(dir + "/plane.waypoints"));
    }
}
