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

TEST(PageOptions, ExportPageAlone)
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
