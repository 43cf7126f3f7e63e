#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/units.h"
#include "tools/studio/instrument_lines.h"

using namespace flightreplay::studio;
using flightreplay::flight::Flight;
using flightreplay::flight::FlightSample;

namespace {

const std::string DASH = "\xE2\x80\x94";
const std::string DEGREE = "\xC2\xB0";

} // namespace

TEST(InstrumentLines, MissingValuesReadAsDashesNotZeros)
{
    // A track with nothing else: only the speeds, which come from the fixes.
    FlightSample track;
    track.groundSpeed = 12.5;
    track.verticalSpeed = -1.5;

    FlightSample full = track;
    full.yaw = MAP_PI / 2;              // compass east
    full.pitch = 10.0 * MAP_PI / 180.0; // nose up
    full.roll = 0.5;                    // aerospace: right wing down, 28.6°
    full.mode = 0;
    full.voltage = 12.34;
    full.current = 5.5;
    full.mah = 120.4;
    const double rc[5] = {1500, 1400, 1300, 1200, 1100};
    for (int i = 0; i < 5; ++i)
        full.rcIn[i] = rc[i];
    full.servoOut[0] = 1000;
    full.servoOut[2] = 1200;
    full.servoOut[3] = 1300; // output 2 not recorded
    Flight flight;
    flight.modes = {{0.0, 10, "AUTO"}};

    const struct {
        const char* name;
        FlightSample sample;
        std::vector<std::string> lines;
    } cases[] = {
        {"track only", track,
         {"Ground speed   12.5 m/s  (45 km/h)", "Vertical speed  -1.5 m/s", "Heading " + DASH + "   Pitch " + DASH,
          "Roll    " + DASH, "Mode    " + DASH, "Battery " + DASH + " V  " + DASH + " A  " + DASH + " mAh",
          "RC in   " + DASH + " " + DASH + " " + DASH + " " + DASH + " " + DASH,
          "Servos  " + DASH + " " + DASH + " " + DASH + " " + DASH}},
        {"everything but one servo", full,
         {"Ground speed   12.5 m/s  (45 km/h)", "Vertical speed  -1.5 m/s",
          "Heading 090.0" + DEGREE + "   Pitch +10.0" + DEGREE, "Roll    28.6" + DEGREE + " R", "Mode    AUTO",
          "Battery 12.34 V  5.5 A  120 mAh", "RC in   1500 1400 1300 1200 1100", "Servos  1000 " + DASH + " 1200 1300"}},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> lines = instrumentLines(c.sample, flight);
        ASSERT_EQ(lines.size(), c.lines.size()) << c.name;
        for (size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(lines[i], c.lines[i]) << c.name;
    }
    EXPECT_EQ(valueText("%.1f", NAN), DASH);
    EXPECT_EQ(valueText("%.1f", 0.0), "0.0");
}
