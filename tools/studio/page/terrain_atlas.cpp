#include "tools/studio/page/terrain_atlas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace flightreplay::page {

namespace {

constexpr unsigned char GROUND[3] = {112, 122, 104};
constexpr unsigned char HUNDRED_LINE[3] = {168, 176, 160};
constexpr unsigned char KILOMETRE_LINE[3] = {225, 228, 220};

// Pixel (x, y) of the atlas (RGB), y counted from the picture's top.
// osg::Image::data works out the row's size on every call: too slow for
// millions of pixels.
unsigned char* pixelAt(osg::Image& atlas, int x, int y)
{
    return atlas.data() + (static_cast<size_t>(ATLAS_HEIGHT - 1 - y) * ATLAS_WIDTH + static_cast<size_t>(x)) * 3;
}

// The mean colour of the source pixels under one atlas pixel: columns
// [x0, x1) and rows [y0, y1) counted from the picture's top.
void averageOf(const osg::Image& image, int x0, int x1, int y0, int y1, unsigned char* out)
{
    const GLenum format = image.getPixelFormat();
    const bool bytes = image.getDataType() == GL_UNSIGNED_BYTE
                       && (format == GL_RGB || format == GL_RGBA || format == GL_LUMINANCE);
    const int channels = format == GL_RGBA ? 4 : format == GL_RGB ? 3 : 1;
    const size_t stride = image.getRowStepInBytes();
    int sum[3] = {0, 0, 0};
    int count = 0;
    for (int y = y0; y < y1; ++y) {
        const int row = image.t() - 1 - y;
        const unsigned char* line = image.data() + stride * static_cast<size_t>(row);
        for (int x = x0; x < x1; ++x, ++count) {
            if (bytes) {
                const unsigned char* p = line + x * channels;
                for (int c = 0; c < 3; ++c)
                    sum[c] += p[channels == 1 ? 0 : c];
            } else {
                const osg::Vec4 colour = image.getColor(static_cast<unsigned>(x), static_cast<unsigned>(row));
                for (int c = 0; c < 3; ++c)
                    sum[c] += static_cast<int>(std::lround(std::clamp(colour[c], 0.0f, 1.0f) * 255.0f));
            }
        }
    }
    for (int c = 0; c < 3; ++c)
        out[c] = static_cast<unsigned char>(count > 0 ? (sum[c] + count / 2) / count : GROUND[c]);
}

void drawTile(osg::Image& atlas, int left, int top, const osg::Image& image)
{
    const int w = image.s();
    const int h = image.t();
    for (int y = 0; y < ATLAS_TILE_PIXELS; ++y) {
        const int y0 = y * h / ATLAS_TILE_PIXELS;
        const int y1 = std::max((y + 1) * h / ATLAS_TILE_PIXELS, y0 + 1);
        for (int x = 0; x < ATLAS_TILE_PIXELS; ++x) {
            const int x0 = x * w / ATLAS_TILE_PIXELS;
            const int x1 = std::max((x + 1) * w / ATLAS_TILE_PIXELS, x0 + 1);
            averageOf(image, x0, x1, y0, y1, pixelAt(atlas, left + x, top + y));
        }
    }
}

// Distance from v to the nearest multiple of step.
double offLine(double v, double step)
{
    const double r = std::fmod(std::fabs(v), step);
    return std::min(r, step - r);
}

// The grid the studio lays where a tile has no picture, at this scale:
// lines along the scene's axes every 100 m (where a pixel is finer than
// 20 m) and a stronger one every kilometre.
void drawGrid(osg::Image& atlas, int left, int top, const TerrainTile& tile, int32_t ci, int32_t cj,
              double metresPerUnit)
{
    const double pixelMetres = tile.span * metresPerUnit / ATLAS_TILE_PIXELS;
    for (int y = 0; y < ATLAS_TILE_PIXELS; ++y) {
        const double south = (tile.northRow - ci + (y + 0.5) * tile.span / ATLAS_TILE_PIXELS) * metresPerUnit;
        for (int x = 0; x < ATLAS_TILE_PIXELS; ++x) {
            const double east = (tile.westCol - cj + (x + 0.5) * tile.span / ATLAS_TILE_PIXELS) * metresPerUnit;
            const double kilometre = std::min(offLine(south, 1000.0), offLine(east, 1000.0));
            const double hundred = std::min(offLine(south, 100.0), offLine(east, 100.0));
            const unsigned char* colour = kilometre < 1.5 * pixelMetres                        ? KILOMETRE_LINE
                                          : pixelMetres < 20.0 && hundred < 0.5 * pixelMetres ? HUNDRED_LINE
                                                                                               : GROUND;
            std::memcpy(pixelAt(atlas, left + x, top + y), colour, 3);
        }
    }
}

// Repeats the level's last column and row over the rest of its slot, so
// that the smaller mipmaps do not blend in a neighbour.
void padSlot(osg::Image& atlas, const AtlasSlot& slot)
{
    for (int y = slot.top; y < slot.top + ATLAS_LEVEL_PIXELS; ++y) {
        const unsigned char* edge = pixelAt(atlas, slot.left + ATLAS_LEVEL_PIXELS - 1, y);
        for (int x = slot.left + ATLAS_LEVEL_PIXELS; x < slot.left + ATLAS_SLOT_PIXELS; ++x)
            std::memcpy(pixelAt(atlas, x, y), edge, 3);
    }
    const unsigned char* lastRow = pixelAt(atlas, slot.left, slot.top + ATLAS_LEVEL_PIXELS - 1);
    for (int y = slot.top + ATLAS_LEVEL_PIXELS; y < slot.top + ATLAS_SLOT_PIXELS; ++y)
        std::memcpy(pixelAt(atlas, slot.left, y), lastRow, 3 * ATLAS_SLOT_PIXELS);
}

} // namespace

AtlasSlot atlasSlot(int zoom)
{
    const int index = TERRAIN_FINEST_ZOOM - zoom;
    return {index % 4 * ATLAS_SLOT_PIXELS, index / 4 * ATLAS_SLOT_PIXELS};
}

osg::ref_ptr<osg::Image> terrainAtlas(int32_t ci, int32_t cj, const std::vector<const osg::Image*>& images,
                                      double metresPerUnit)
{
    osg::ref_ptr<osg::Image> atlas = new osg::Image;
    atlas->allocateImage(ATLAS_WIDTH, ATLAS_HEIGHT, 1, GL_RGB, GL_UNSIGNED_BYTE);
    std::memset(atlas->data(), 0, atlas->getTotalSizeInBytes());
    size_t index = 0;
    // The level's first tile is its north-west one: the others lie from it.
    int32_t levelNorth = 0;
    int32_t levelWest = 0;
    int levelZoom = -1;
    forEachTerrainTile(ci, cj, [&](const TerrainTile& tile) {
        if (tile.zoom != levelZoom) {
            levelZoom = tile.zoom;
            levelNorth = tile.row;
            levelWest = tile.col;
        }
        const AtlasSlot slot = atlasSlot(tile.zoom);
        const int left = slot.left + static_cast<int>(tile.col - levelWest) * ATLAS_TILE_PIXELS;
        const int top = slot.top + static_cast<int>(tile.row - levelNorth) * ATLAS_TILE_PIXELS;
        const osg::Image* image = index < images.size() ? images[index] : nullptr;
        if (image && image->s() > 0 && image->t() > 0 && image->data())
            drawTile(*atlas, left, top, *image);
        else
            drawGrid(*atlas, left, top, tile, ci, cj, metresPerUnit);
        ++index;
    });
    for (int zoom = TERRAIN_FINEST_ZOOM; zoom >= TERRAIN_COARSEST_ZOOM; --zoom)
        padSlot(*atlas, atlasSlot(zoom));
    return atlas;
}

} // namespace flightreplay::page
