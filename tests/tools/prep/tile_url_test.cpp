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
        {"http://127.0.0.1:8/{z}/{x}/{y}.png", 3, 5, 3, "http://127.0.0.1:8/3/3/5.png"},
        {"http://127.0.0.1:8/{z}/{y}/{x}", 3, 5, 3, "http://127.0.0.1:8/3/5/3"},
        {"http://127.0.0.1:8/{z}/{x}/{-y}.jpg", 3, 5, 3, "http://127.0.0.1:8/3/3/2.jpg"},
        {"http://127.0.0.1:8/{q}.jpeg?g=1", 3, 5, 3, "http://127.0.0.1:8/213.jpeg?g=1"},
        {"http://127.0.0.1:8/{z}/{x}/{-y}", 18, 0, 262143, "http://127.0.0.1:8/18/262143/262143"},
        {"http://127.0.0.1:8/{q}", 0, 0, 0, "http://127.0.0.1:8/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(flightreplay::prep::tileUrl(c.pattern, c.zoom, c.row, c.col), c.url) << c.pattern;

    for (const std::string bad : {"http://127.0.0.1:8/{z}/{x}.png", "http://127.0.0.1:8/tiles.png", "http://127.0.0.1:8/{x}/{y}"})
        EXPECT_THROW(flightreplay::prep::checkTileTemplate("--imagery", bad), flightreplay::tools::ToolError) << bad;
    for (const std::string good : {"http://127.0.0.1:8/{z}/{x}/{-y}", "http://127.0.0.1:8/{q}"})
        EXPECT_NO_THROW(flightreplay::prep::checkTileTemplate("--imagery", good)) << good;
}

} // namespace
