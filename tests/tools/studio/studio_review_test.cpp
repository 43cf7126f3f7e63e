// The review and the log's fields in the studio without a window: a field's
// value at each fix of the track, the search over the catalogue, the C
// key's colourings, and a click on a row of the Review panel.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include <imgui.h>

#include "frame/map_frame.h"
#include "review_logs.h"
#include "support/test_support.h"
#include "tools/flight/field_catalogue.h"
#include "tools/studio/field_plots.h"
#include "tools/studio/panel_font.h"
#include "tools/studio/review_panel.h"
#include "tools/studio/studio_flights.h"
#include "tools/studio/track_colours.h"

using namespace flightreplay;
using namespace flightreplay::studio;

TEST(FieldColouring, ValueAtEachFixIsThePeakAroundItElseTheNearestHeld)
{
    const MapFrame saved = mapFrame;
    captureStdout([] { setupMapFrame(48.0 * 60, 48.01 * 60, 11.5 * 60, 11.5 * 60); });
    flight::Flight f;
    for (int i = 0; i < 5; ++i)
        f.position.push_back({10.0 + i, 48.0 + 0.001 * i, 11.5, 400.0});
    const FlightSampler sampler(f);
    const struct {
        const char* what;
        flight::Series series;
        std::vector<double> values; // at the fixes of 10, 11, ... 14 s
    } cases[] = {
        // 12 s: nothing from 11.5 to 12.5, 11.0 the nearest; 13 s: 13.9
        // nearer than 11.0, which is 2 s back.
        {"peaks and neighbours", {{10.0, 1}, {10.6, 7}, {11.0, 2}, {13.9, 4}}, {1, 7, 2, 4, 4}},
        {"too far to hold", {{20.0, 3}}, {NAN, NAN, NAN, NAN, NAN}},
        {"held up to 2 s", {{16.0, 3}}, {NAN, NAN, NAN, NAN, 3}},
        {"no samples", {}, {NAN, NAN, NAN, NAN, NAN}},
    };
    for (const auto& c : cases) {
        const std::vector<double> got = fieldAtFixes(sampler, c.series);
        ASSERT_EQ(got.size(), c.values.size()) << c.what;
        for (size_t i = 0; i < got.size(); ++i) {
            if (std::isnan(c.values[i]))
                EXPECT_TRUE(std::isnan(got[i])) << c.what << " fix " << i << ": " << got[i];
            else
                EXPECT_EQ(got[i], c.values[i]) << c.what << " fix " << i;
        }
    }
    mapFrame = saved;
}

TEST(FieldSearch, NamesHoldingEveryWordInAnyCase)
{
    std::vector<flight::FieldInfo> fields;
    for (const char* name : {"VIBE.VibeX", "VIBE[1].VibeZ", "XKF4.SV", "vehicle_imu_status.accel_vibration_metric"})
        fields.push_back({name, "", 0, "", "", 1.0});
    const flight::FieldCatalogue catalogue(fields);
    const struct {
        const char* filter;
        std::vector<std::string> names;
        size_t limit;
    } cases[] = {
        {"vibe z", {"VIBE[1].VibeZ"}, MAX_SEARCH_MATCHES},
        {"VIBRATION", {"vehicle_imu_status.accel_vibration_metric"}, MAX_SEARCH_MATCHES},
        {"  ", {"VIBE.VibeX", "VIBE[1].VibeZ", "XKF4.SV", "vehicle_imu_status.accel_vibration_metric"}, MAX_SEARCH_MATCHES},
        {"vibe", {"VIBE.VibeX"}, 1},
        {"baro", {}, MAX_SEARCH_MATCHES},
    };
    for (const auto& c : cases)
        EXPECT_EQ(matchingFields(catalogue, c.filter, c.limit), c.names) << c.filter;
}

TEST(FieldColouring, TheCKeyReachesTheFieldOnlyOnceOneIsChosen)
{
    const struct {
        TrackColouring from;
        const char* field;
        TrackColouring next;
    } cases[] = {
        {TrackColouring::white, "", TrackColouring::altitude},
        {TrackColouring::mode, "", TrackColouring::white},
        {TrackColouring::mode, "VIBE.VibeZ", TrackColouring::field},
        {TrackColouring::field, "VIBE.VibeZ", TrackColouring::white},
    };
    for (const auto& c : cases) {
        StudioState state;
        state.colouring = c.from;
        state.trackField = c.field;
        EXPECT_EQ(state.nextColouring(), c.next) << static_cast<int>(c.from) << " " << c.field;
    }
}

TEST(ReviewPanel, AClickOnARowSeeksTheClockToItsFindingsStart)
{
    const MapFrame saved = mapFrame;
    const std::string dir = makeTempDir();
    reader_test::Trouble trouble;
    trouble.vibration = trouble.estimator = trouble.gpsJump = trouble.motorLimit = true;
    writeFile(dir + "/trouble.bin", reader_test::dataflashReviewFlight(trouble));
    StudioOptions options;
    options.logPaths = {dir + "/trouble.bin"};
    StudioState state;
    captureStdout([&] { loadStudioFlights(state, options); });
    state.startReviews();
    state.waitForJobs();
    const review::Review* review = state.flights[0].jobs->review();
    ASSERT_TRUE(review && review->findings.size() >= 4);
    std::set<double> starts;
    for (const review::Finding& f : review->findings)
        starts.insert(f.start + state.flights[0].offset);

    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.DisplaySize = ImVec2(1200, 750);
    io.DeltaTime = 1.0f / 30.0f;
    addPanelFont(io);
    const auto frame = [&](float y, bool down) {
        io.MousePos = ImVec2(400.0f, y);
        io.MouseDown[0] = down;
        ImGui::NewFrame();
        drawReviewPanel(state);
        ImGui::Render();
    };
    frame(0.0f, false);
    frame(0.0f, false);
    // Down the panel a few pixels at a time: each click on a row lands on
    // its finding's start, and a click elsewhere leaves the clock alone.
    std::set<double> seen;
    for (float y = 0.0f; y < 750.0f; y += 3.0f) {
        state.clock.seek(0.0);
        frame(y, true);
        frame(y, false);
        if (state.clock.time() != 0.0) {
            EXPECT_EQ(starts.count(state.clock.time()), 1u) << "a click at y " << y << " sought " << state.clock.time();
            seen.insert(state.clock.time());
        }
    }
    ImGui::DestroyContext();
    mapFrame = saved;
    EXPECT_GE(seen.size(), 3u);
}
