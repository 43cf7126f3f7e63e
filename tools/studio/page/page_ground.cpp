#include "tools/studio/page/page_ground.h"

#include <algorithm>
#include <sstream>

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Texture2D>
#include <osgDB/Registry>

#include "frame/elevation_tile.h"
#include "frame/map_frame.h"
#include "frame/terrain_tiles.h"
#include "tools/common/tool_error.h"
#include "tools/studio/page/terrain_atlas.h"

namespace flightreplay::page {

namespace {

constexpr int ATLAS_JPEG_QUALITY = 80;

// Each tile's picture in the terrain the studio built, in the patch's order;
// null where the tile has none: the studio draws its grid there, a picture
// made in memory, with no file name.
std::vector<const osg::Image*> tilePictures(osg::Node* terrain)
{
    std::vector<const osg::Image*> pictures;
    osg::Group* group = terrain ? terrain->asGroup() : nullptr;
    for (unsigned i = 0; group && i < group->getNumChildren(); ++i) {
        const osg::Image* picture = nullptr;
        osg::Geode* geode = group->getChild(i)->asGeode();
        osg::Drawable* tile = geode && geode->getNumDrawables() > 0 ? geode->getDrawable(0) : nullptr;
        const osg::StateSet* state = tile ? tile->getStateSet() : nullptr;
        const auto* texture = state ? dynamic_cast<const osg::Texture2D*>(
                                          state->getTextureAttribute(0, osg::StateAttribute::TEXTURE))
                                    : nullptr;
        if (texture && texture->getImage() && !texture->getImage()->getFileName().empty())
            picture = texture->getImage();
        pictures.push_back(picture);
    }
    return pictures;
}

struct Level {
    int zoom = 0;
    int32_t north = 0; // zoom-18 row of the north-west corner
    int32_t west = 0;
    int32_t span = 1;
};

std::vector<Level> terrainLevels()
{
    std::vector<Level> levels;
    forEachTerrainTile(mapFrame.CI, mapFrame.CJ, [&](const TerrainTile& tile) {
        if (levels.empty() || levels.back().zoom != tile.zoom)
            levels.push_back({tile.zoom, tile.northRow, tile.westCol, tile.span});
    });
    return levels;
}

std::string levelHeights(const Level& level, int subdivisions)
{
    const int side = 7 * subdivisions + 1;
    const int32_t step = level.span / subdivisions;
    std::string bytes;
    bytes.reserve(static_cast<size_t>(side) * side * 2);
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) {
            const int height = std::clamp(elevationAt(level.north + i * step, level.west + j * step), -32768, 32767);
            const auto value = static_cast<uint16_t>(static_cast<int16_t>(height));
            bytes.push_back(static_cast<char>(value & 0xff));
            bytes.push_back(static_cast<char>(value >> 8));
        }
    return base64(bytes);
}

} // namespace

std::string base64(const std::string& bytes)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (left > 1)
            group |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (left > 2)
            group |= static_cast<unsigned char>(bytes[i + 2]);
        text.push_back(alphabet[group >> 18 & 63]);
        text.push_back(alphabet[group >> 12 & 63]);
        text.push_back(left > 1 ? alphabet[group >> 6 & 63] : '=');
        text.push_back(left > 2 ? alphabet[group & 63] : '=');
    }
    return text;
}

std::string jpegDataUrl(const osg::Image& image, int quality)
{
    osgDB::ReaderWriter* writer = osgDB::Registry::instance()->getReaderWriterForExtension("jpg");
    if (!writer)
        throw tools::ToolError("no JPEG plug-in (osgdb_jpeg) to encode the page's pictures");
    osg::ref_ptr<osgDB::Options> options = new osgDB::Options("JPEG_QUALITY " + std::to_string(quality));
    std::ostringstream bytes(std::ios::binary);
    const osgDB::ReaderWriter::WriteResult result = writer->writeImage(image, bytes, options.get());
    if (!result.success())
        throw tools::ToolError("cannot encode the page's pictures as JPEG: " + result.message());
    return "data:image/jpeg;base64," + base64(bytes.str());
}

nlohmann::json pageGround(const studio::StudioGround& ground)
{
    nlohmann::json json;
    if (!ground.info.known) {
        // Over the terrain's patch, as the studio's flat ground.
        const Level coarsest = terrainLevels().back();
        json["kind"] = "flat";
        json["height"] = ground.info.flatHeight;
        json["north"] = coarsest.north - mapFrame.CI;
        json["west"] = coarsest.west - mapFrame.CJ;
        json["size"] = 7 * coarsest.span;
        return json;
    }
    json["kind"] = "terrain";
    json["lift"] = LEVEL_LIFT;
    const double metresPerUnit = 1.0 / mapFrame.k;
    osg::ref_ptr<osg::Image> atlas = terrainAtlas(mapFrame.CI, mapFrame.CJ, tilePictures(ground.node.get()), metresPerUnit);
    json["atlas"] = {{"url", jpegDataUrl(*atlas, ATLAS_JPEG_QUALITY)},
                     {"width", ATLAS_WIDTH},
                     {"height", ATLAS_HEIGHT},
                     {"levelPixels", ATLAS_LEVEL_PIXELS}};
    nlohmann::json levels = nlohmann::json::array();
    for (const Level& level : terrainLevels()) {
        const int subdivisions = std::min(level.span, MAX_LEVEL_SUBDIVISIONS);
        const AtlasSlot slot = atlasSlot(level.zoom);
        levels.push_back({{"zoom", level.zoom},
                          {"north", level.north - mapFrame.CI},
                          {"west", level.west - mapFrame.CJ},
                          {"span", level.span},
                          {"subdivisions", subdivisions},
                          {"hole", level.zoom != TERRAIN_FINEST_ZOOM},
                          {"slot", {slot.left, slot.top}},
                          {"heights", levelHeights(level, subdivisions)}});
    }
    json["levels"] = levels;
    return json;
}

} // namespace flightreplay::page
