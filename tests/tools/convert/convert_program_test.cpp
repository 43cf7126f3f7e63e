#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "reader_test_support.h"
#include "log_writers.h"
#include "tlog_writer.h"
#include "support/test_support.h"

using namespace reader_test;

namespace {

ProgramRun convert(const std::string& arguments, const std::string& dir)
{
    return runCommand(std::string(FLIGHTREPLAY_CONVERT_BINARY) + " " + arguments, dir);
}

int lineCount(const std::string& text)
{
    int lines = 0;
    for (char c : text)
        lines += c == '\n';
    return lines;
}

} // namespace

TEST(ConvertProgram, OutputFileKeptUnlessForced)
{
    const std::string dir = makeTempDir();
    writeFile(dir + "/flight.bin", dataflashFlight(true));
    ProgramRun run = convert("flight.bin", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string first = readFile(dir + "/flight.log");
    EXPECT_EQ(first.substr(0, first.find('\n')),
              "samplenumber,gps_date,gps_time,gps_numsatellites,gps_fixmode,gps_startlat,gps_startlon,gps_startalt,"
              "gps_curlat,gps_curlon,gps_curalt,gps_curspeed,gps_curheading,voltage1,current,mah,pyro_curroll,"
              "pyro_curpitch,out_ppm_curwidth[0],out_ppm_curwidth[1],out_ppm_curwidth[2],out_ppm_curwidth[3]");
    EXPECT_EQ(lineCount(first), 21);

    run = convert("--max-rows 5 flight.bin", dir);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "flightreplay-convert: flight.log: exists; --force overwrites it\n");
    EXPECT_EQ(readFile(dir + "/flight.log"), first);

    run = convert("--force --max-rows 5 flight.bin", dir);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("resampled evenly in time"), std::string::npos) << run.err;
    EXPECT_EQ(lineCount(readFile(dir + "/flight.log")), 6);
    EXPECT_FALSE(std::filesystem::exists(dir + "/flight.log.part"));

    run = convert("--format dataflash --to 1 flight.bin -", dir);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(lineCount(run.out), 7);

    // A pipe (or a device such as /dev/null) named as the output is written
    // to, not replaced by a file. The reader is bounded in time: were the
    // pipe never opened for writing, it would wait for ever.
    run = runCommand("sh -c 'mkfifo out.pipe || exit; timeout 60 cat out.pipe > drained.log & "
                         + std::string(FLIGHTREPLAY_CONVERT_BINARY) + " --force flight.bin out.pipe; status=$?; wait; exit $status'",
                     dir);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(std::filesystem::is_fifo(dir + "/out.pipe"));
    EXPECT_EQ(readFile(dir + "/drained.log"), first);
}

TEST(ConvertProgram, BadInputEndsWithOneLineAndStatusTwo)
{
    const std::string dir = makeTempDir();
    writeFile(dir + "/flags.ulg", ulogFlight(0x04));
    writeFile(dir + "/noise.dat", std::string("\x01\x02\x03\x04", 4));
    // A DataFlash log with formats but no GPS or POS.
    DataflashWriter noFix;
    noFix.define(131, "ATT", "QccccCCCC", "TimeUS,DesRoll,Roll,DesPitch,Pitch,DesYaw,Yaw,ErrRP,ErrYaw");
    noFix.write(131, {1e6, 0.0, 1.0, 0.0, 2.0, 0.0, 3.0, 0.0, 0.0});
    writeFile(dir + "/nofix.bin", noFix.bytes);
    // Damaged too: its note must not come before the reason it is refused.
    const size_t before = noFix.bytes.size();
    noFix.write(131, {2e6, 0.0, 1.0, 0.0, 2.0, 0.0, 3.0, 0.0, 0.0});
    writeFile(dir + "/nofix-damaged.bin", noFix.bytes.substr(0, before) + "\xa3\x95\x07junk" + noFix.bytes.substr(before));
    const struct {
        const char* arguments;
        const char* message;
    } cases[] = {
        {"flags.ulg", "flags.ulg: ULog incompatible flags 04"},
        {"noise.dat", "noise.dat: not a flight log of a known format"},
        {"missing.ulg", "missing.ulg: cannot open"},
        {"nofix.bin", "nofix.bin: no usable position: no GPS message with a 3-D fix and no POS message"},
        {"nofix-damaged.bin", "nofix-damaged.bin: no usable position: no GPS message with a 3-D fix and no POS message"},
        {"--format ulog nofix.bin", "nofix.bin: not a ULog file"},
        {"--rate x nofix.bin", "--rate x: not a number"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = convert(c.arguments, dir);
        EXPECT_EQ(run.status, 2) << c.arguments;
        EXPECT_EQ(lineCount(run.err), 1) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

TEST(ConvertProgram, ListSaysWhatTheFileHolds)
{
    const std::string dir = makeTempDir();
    writeFile(dir + "/flight.bin", dataflashFlight(false));
    const ProgramRun run = convert("--list flight.bin", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* line : {"format:   DataFlash\n", "firmware: ArduPlane V4.3.1\n", "vehicle:  fixed-wing\n",
                             "duration: 3.800 s\n", "fixes:    20 from GPS\n", "start:    2014-07-09 23:59:54 UTC\n",
                             "  attitude             0.000 s to     3.980 s, 200 samples\n"})
        EXPECT_NE(run.out.find(line), std::string::npos) << line << run.out;
    EXPECT_FALSE(std::filesystem::exists(dir + "/flight.log"));

    // What the reader assumed is part of the listing, not a warning beside it.
    writeFile(dir + "/track.csv", "time,lat,lon,alt\n5000000,48.1,11.5,9\n5100000,48.1001,11.5,9\n");
    const ProgramRun csv = convert("--list track.csv", dir);
    EXPECT_EQ(csv.status, 0);
    EXPECT_EQ(csv.err, "");
    EXPECT_NE(csv.out.find("fixes:    2 from lat/lon columns\n"), std::string::npos) << csv.out;
    EXPECT_NE(csv.out.find("note:     time column read as microseconds since the clock's start"), std::string::npos)
        << csv.out;
}

TEST(ConvertProgram, ATelemetryLogListsEverySystemAndConvertsOneVehicle)
{
    const std::string dir = makeTempDir();
    TlogWriter w;
    TelemetryFlight quad;
    quad.gapFrom = 20.0;
    quad.gapSeconds = 5.0;
    writeTelemetryFlight(w, quad);
    TelemetryFlight plane;
    plane.system = 2;
    plane.mavType = 1;
    plane.station = false;
    writeTelemetryFlight(w, plane);
    std::string bytes = w.bytes();
    bytes[w.offsetOf(w.size() / 2) + 20] ^= 0x10; // one packet's CRC fails
    writeFile(dir + "/flight.tlog", bytes);

    const ProgramRun list = convert("--list flight.tlog", dir);
    ASSERT_EQ(list.status, 0) << list.err;
    // 5 Hz fixes from 3 s to 60 s, none while the radio is silent for 5 s;
    // the first at 10:00:00 + 3 s on the station's clock.
    for (const char* line : {"format:   tlog\n", "firmware: ArduCopter V4.5.7\n", "vehicle:  multicopter\n",
                             "systems:  3 heard\n", "  system   1  quadrotor, ArduPilot, ", "packets (this flight)\n",
                             "  system   2  fixed wing, ArduPilot, ", "  system 255  ground station, none, 66 packets\n",
                             "fixes:    260 from GLOBAL_POSITION_INT\n", "start:    2026-06-14 10:00:03 UTC\n",
                             "  wind ", "note:     1 packet with a bad CRC skipped\n"})
        EXPECT_NE(list.out.find(line), std::string::npos) << line << list.out;

    ProgramRun run = convert("--system 2 flight.tlog plane.log", dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(lineCount(readFile(dir + "/plane.log")), 1 + 285);
    EXPECT_EQ(run.err, "flight.tlog: 1 packet with a bad CRC skipped\n");

    run = convert("--system 7 flight.tlog", dir);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "flightreplay-convert: flight.tlog: --system 7: no vehicle of that system id (vehicles: 1, 2)\n");

    TlogWriter station;
    for (int i = 0; i < 3; ++i)
        put(station, quad.startUs + static_cast<uint64_t>(i) * 1000000u, 255, 190, mav::heartbeat(0, 6, 8, 0));
    writeFile(dir + "/station.tlog", station.bytes());
    run = convert("station.tlog", dir);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "flightreplay-convert: station.tlog: no vehicle: no system sent the heartbeat of a vehicle with an autopilot\n");
}

TEST(ConvertProgram, FieldTelemetryLogsAndTheirDamagedCopiesConvertWithoutBeingNamed)
{
    const std::string dir = makeTempDir();
    const std::string chatter = fieldTlog(FieldStart::stationChatter, 60.0);
    const std::string stray = fieldTlog(FieldStart::strayRecords, 60.0);
    std::string zeros = chatter;
    zeros.replace(0, 4096, std::string(4096, '\0'));
    std::string garbled = stray;
    for (size_t i = garbled.size() / 2; i < garbled.size() / 2 + 4096; ++i)
        garbled[i] = static_cast<char>(i * 2654435761u >> 13);
    const struct {
        const char* name;
        std::string bytes;
        const char* note; // a line --list prints and the conversion tells on standard error
    } cases[] = {
        {"chatter.tlog", chatter, ""},
        {"stray.tlog", stray, "note:     1 damaged stretch skipped (4018 bytes, the first at byte 0)"},
        {"zeros.tlog", zeros, "note:     1 damaged stretch skipped ("},
        {"garbled.tlog", garbled, "note:     2 damaged stretches skipped ("},
        {"cut.tlog", stray.substr(0, stray.size() * 6 / 10 + 3), "note:     the file ends inside"},
    };
    for (const auto& c : cases) {
        writeFile(dir + "/" + c.name, c.bytes);
        const ProgramRun list = convert(std::string("--list ") + c.name, dir);
        EXPECT_EQ(list.status, 0) << c.name << ": " << list.err;
        EXPECT_NE(list.out.find("format:   tlog\n"), std::string::npos) << c.name << list.out;
        EXPECT_NE(list.out.find("fixes:    "), std::string::npos) << c.name << list.out;
        EXPECT_NE(list.out.find(c.note), std::string::npos) << c.name << list.out;
        const ProgramRun run = convert(std::string(c.name) + " -", dir);
        EXPECT_EQ(run.status, 0) << c.name << ": " << run.err;
        EXPECT_GT(lineCount(run.out), 100) << c.name;
        EXPECT_EQ(run.err.find("flightreplay-convert:"), std::string::npos) << c.name << ": " << run.err;
    }
}

TEST(ConvertProgram, TheReplayReadsAConvertedLog)
{
    std::vector<std::pair<std::string, std::string>> inputs = {{"flight.bin", dataflashFlight(false)}};
    inputs.push_back({"flight.ulg", readFile(realLogDir() + "/sample_log_small.ulg")});
    for (const auto& [name, bytes] : inputs) {
        const std::string dir = makeTempDir();
        writeFile(dir + "/" + name, bytes);
        ASSERT_EQ(convert(name + " out.log", dir).status, 0) << name;
        const ProgramRun run = runCommand(programPath() + " out.log 2>/dev/null", dir);
        EXPECT_EQ(run.status, 0) << name;
        const bool ulog = name == "flight.ulg";
        // Extents in degrees: the generated flight's fixes, the sample's README.
        char lat[80];
        std::snprintf(lat, sizeof lat, "lat(mn,mx)=(%s", ulog ? "63.417" : "48.100000 48.100190");
        EXPECT_NE(run.out.find(lat), std::string::npos) << run.out.substr(0, 2000);
        EXPECT_NE(run.out.find(ulog ? "lon(mn,mx)=(10.408" : "lon(mn,mx)=(11.500000 11.500380"), std::string::npos);
        EXPECT_NE(run.out.find(ulog ? "time(mn,mx)=(0.000000 6.18" : "time(mn,mx)=(0.000000 3.800000)"), std::string::npos);
    }
}
