#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/common/tool_error.h"
#include "tools/prep/tile_url.h"

namespace {

TEST(TileUrl, PlaceholdersOfXyzTmsAndQuadkeyServices)
{
    struct Case {
        std::string pattern;
        int zoom;
        int32_t row;
        int32_t col;
        std::string url;
    };
    // The quadkey of tile x 3, y 5 at level 3 is 213 (Bing Maps' own example).
    const std::vector<Case> cases = {
        {"https://a/{z}/{x}/{y}.png", 3, 5, 3, "https://a/3/3/5.png"},
        {"https://a/{z}/{y}/{x}", 3, 5, 3, "https://a/3/5/3"},
        {"https://a/{z}/{x}/{-y}.jpg", 3, 5, 3, "https://a/3/3/2.jpg"},
        {"https://a/{q}.jpeg?g=1", 3, 5, 3, "https://a/213.jpeg?g=1"},
        {"https://a/{z}/{x}/{-y}", 18, 0, 262143, "https://a/18/262143/262143"},
        {"https://a/{q}", 0, 0, 0, "https://a/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(flightreplay::prep::tileUrl(c.pattern, c.zoom, c.row, c.col), c.url) << c.pattern;

    for (const std::string bad : {"https://a/{z}/{x}.png", "https://a/tiles.png", "https://a/{x}/{y}"})
        EXPECT_THROW(flightreplay::prep::checkTileTemplate("--imagery", bad), flightreplay::tools::ToolError) << bad;
    for (const std::string good : {"https://a/{z}/{x}/{-y}", "https://a/{q}"})
        EXPECT_NO_THROW(flightreplay::prep::checkTileTemplate("--imagery", good)) << good;
}

} // namespace
