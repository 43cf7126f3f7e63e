#include <gtest/gtest.h>

#include "tools/studio/studio_options.h"

using namespace flightreplay::studio;

namespace {

bool parse(std::vector<const char*> args, StudioOptions& options, std::string& error)
{
    args.insert(args.begin(), "flightreplay-studio");
    return parseStudioOptions(static_cast<int>(args.size()), args.data(), options, error);
}

} // namespace

TEST(StudioOptions, SnapshotOptions)
{
    StudioOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--time", "12.5", "--camera", "top", "--snapshot", "out.png", "--size", "640x360", "f.log"},
                      options, error))
        << error;
    EXPECT_EQ(options.logPaths, std::vector<std::string>{"f.log"});
    EXPECT_DOUBLE_EQ(options.time, 12.5);
    EXPECT_EQ(options.camera, CameraMode::top);
    EXPECT_EQ(options.snapshotPath, "out.png");
    EXPECT_EQ(options.width, 640);
    EXPECT_EQ(options.height, 360);
}

TEST(StudioOptions, RefusesBadInput)
{
    const std::vector<std::vector<const char*>> bad = {
        {},
        {"--time", "x", "f.log"},
        {"--time", "-1", "f.log"},
        {"--camera", "wing", "f.log"},
        {"--size", "640", "f.log"},
        {"--size", "8x8", "f.log"},
        {"--size", "640x99999", "f.log"},
        {"--track", "red", "f.log"},
        {"--bogus", "f.log"},
        {"f.log", "--snapshot"},
        {"--align", "gps", "f.log"},
        {"--offset", "b.log", "f.log"},
        {"--offset", "=3", "f.log"},
        {"--format", "kml", "f.log"},
        {"--model", "", "f.log"},
        {"--track-field", "", "f.log"},
        {"--plot", "", "f.log"},
        {"--plot", "1", "--plot", "2", "--plot", "3", "--plot", "4", "--plot", "5", "--plot", "6", "--plot", "7",
         "--plot", "8", "--plot", "9", "f.log"},
        {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p", "q"},
        {"--where", "vehicle = 'rover'", "f.log"},
        {"--book", "b.sqlite", "f.log"},
        {"--book", ""},
    };
    for (const auto& args : bad) {
        StudioOptions options;
        std::string error;
        EXPECT_FALSE(parse(args, options, error)) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(error.empty());
    }
}

TEST(StudioOptions, SeveralFlightsAlignedWithOffsets)
{
    StudioOptions options;
    std::string error;
    ASSERT_TRUE(parse({"a.ulg", "--align", "takeoff", "--offset", "b=12.5", "--ghost", "--camera", "top-down",
                       "--model", "quad", "b.gpx"},
                      options, error))
        << error;
    EXPECT_EQ(options.logPaths, (std::vector<std::string>{"a.ulg", "b.gpx"}));
    EXPECT_EQ(options.align, Alignment::takeoff);
    EXPECT_TRUE(options.alignGiven);
    ASSERT_EQ(options.offsets.size(), 1u);
    EXPECT_EQ(options.offsets[0].first, "b");
    EXPECT_DOUBLE_EQ(options.offsets[0].second, 12.5);
    EXPECT_TRUE(options.ghost);
    EXPECT_EQ(options.camera, CameraMode::top);
    EXPECT_EQ(options.model, "quad");
    // The name the trace and panels show is the one the guide uses.
    EXPECT_STREQ(cameraName(CameraMode::top), "top-down");

    StudioOptions help;
    EXPECT_TRUE(parse({"--help"}, help, error));
    EXPECT_TRUE(help.help);
}

TEST(StudioOptions, ExportPageAlone)
{
    StudioOptions options;
    std::string error;
    ASSERT_TRUE(parse({"a.ulg", "--export-page", "out.html", "b.bin", "--track", "mode"}, options, error)) << error;
    EXPECT_EQ(options.pagePath, "out.html");
    EXPECT_EQ(options.logPaths, (std::vector<std::string>{"a.ulg", "b.bin"}));
    const std::vector<std::vector<const char*>> refused = {
        {"a.ulg", "--export-page"},
        {"a.ulg", "--export-page", "out.html", "--record", "v.mp4"},
        {"a.ulg", "--export-page", "out.html", "--snapshot", "s.png"},
    };
    for (const auto& args : refused) {
        StudioOptions other;
        EXPECT_FALSE(parse(args, other, error)) << args.size();
        EXPECT_FALSE(error.empty());
    }
}

TEST(StudioOptions, FieldsByName)
{
    const struct {
        std::vector<const char*> args;
        TrackColouring colouring;
        std::string trackField;
        std::vector<std::string> plots;
    } cases[] = {
        {{"--track-field", "VIBE.VibeZ", "f.bin"}, TrackColouring::field, "VIBE.VibeZ", {}},
        // A later --track wins the colouring; the field stays for the C key.
        {{"--track-field", "VIBE.VibeZ", "--track", "speed", "f.bin"}, TrackColouring::speed, "VIBE.VibeZ", {}},
        {{"--plot", "XKF4.SV", "--plot", "VIBE[1].VibeZ", "--plot", "XKF4.SV", "f.bin"}, TrackColouring::white, "",
         {"XKF4.SV", "VIBE[1].VibeZ"}},
    };
    for (const auto& c : cases) {
        StudioOptions options;
        std::string error;
        ASSERT_TRUE(parse(c.args, options, error)) << error;
        EXPECT_EQ(options.colouring, c.colouring) << c.args[1];
        EXPECT_EQ(options.trackField, c.trackField) << c.args[1];
        EXPECT_EQ(options.plotFields, c.plots) << c.args[1];
    }
}
