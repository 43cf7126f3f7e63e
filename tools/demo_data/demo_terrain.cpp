#include "demo_terrain.h"

#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include <osg/Image>

#include "frame/elevation_tile.h"
#include "frame/grid_geography.h"
#include "frame/map_frame.h"
#include "frame/terrain_tiles.h"
#include "landscape.h"
#include "noise.h"
#include "tools/common/output_file.h"

namespace flightreplay::demo {

namespace {

constexpr int TILE_PIXELS = 256;
constexpr int SHADE_STEP = 8; // pixels between the shading samples

// Runs body(i) for i = 0 ... count - 1 on two threads.
template <typename Body>
void parallelFor(int count, Body body)
{
    std::thread second([&] {
        for (int i = 1; i < count; i += 2)
            body(i);
    });
    for (int i = 0; i < count; i += 2)
        body(i);
    second.join();
}

LocalPoint cornerToLocal(double row, double col)
{
    return mercatorToLocal(col / FRAME_SIZE, row / FRAME_SIZE);
}

osg::ref_ptr<osg::Image> drawTile(const TerrainTile& tile)
{
    const double tilesAtZoom = std::ldexp(1.0, tile.zoom);
    const double pixelMetres = siteMercatorScale() / (tilesAtZoom * TILE_PIXELS);
    auto localOf = [&](double px, double py) {
        return mercatorToLocal((tile.col + px / TILE_PIXELS) / tilesAtZoom, (tile.row + py / TILE_PIXELS) / tilesAtZoom);
    };

    // Sun shading from the height field on a coarse grid, interpolated below.
    constexpr int nodes = TILE_PIXELS / SHADE_STEP + 1;
    std::vector<double> shade(nodes * nodes);
    const double spacing = pixelMetres * SHADE_STEP;
    for (int gy = 0; gy < nodes; ++gy) {
        for (int gx = 0; gx < nodes; ++gx) {
            const LocalPoint p = localOf(gx * SHADE_STEP, gy * SHADE_STEP);
            const double dhEast = (groundHeight({p.east + spacing, p.north}) - groundHeight({p.east - spacing, p.north})) / (2 * spacing);
            const double dhNorth = (groundHeight({p.east, p.north + spacing}) - groundHeight({p.east, p.north - spacing})) / (2 * spacing);
            shade[static_cast<size_t>(gy * nodes + gx)] = slopeShade(dhEast, dhNorth) / slopeShade(0.0, 0.0);
        }
    }

    constexpr int fieldStep = 4;
    constexpr int fieldNodes = TILE_PIXELS / fieldStep + 1;
    std::vector<SmoothFields> fields(fieldNodes * fieldNodes);
    for (int gy = 0; gy < fieldNodes; ++gy)
        for (int gx = 0; gx < fieldNodes; ++gx)
            fields[static_cast<size_t>(gy * fieldNodes + gx)] = smoothFieldsAt(localOf(gx * fieldStep, gy * fieldStep));

    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(TILE_PIXELS, TILE_PIXELS, 1, GL_RGB, GL_UNSIGNED_BYTE);
    for (int py = 0; py < TILE_PIXELS; ++py) {
        // The image's first row is the bottom of the picture: the tile's south edge.
        unsigned char* out = image->data(0, TILE_PIXELS - 1 - py);
        for (int px = 0; px < TILE_PIXELS; ++px) {
            const double gx = (px + 0.5) / fieldStep;
            const double gy = (py + 0.5) / fieldStep;
            const int jx = static_cast<int>(gx);
            const int jy = static_cast<int>(gy);
            const double ux = gx - jx;
            const double uy = gy - jy;
            auto field = [&](int x, int y) { return fields[static_cast<size_t>(y * fieldNodes + x)]; };
            const SmoothFields a = field(jx, jy), b = field(jx + 1, jy), c0 = field(jx, jy + 1), d = field(jx + 1, jy + 1);
            auto lerp2 = [&](double va, double vb, double vc, double vd) {
                return (va * (1 - ux) + vb * ux) * (1 - uy) + (vc * (1 - ux) + vd * ux) * uy;
            };
            const SmoothFields here = {lerp2(a.woods, b.woods, c0.woods, d.woods), lerp2(a.river, b.river, c0.river, d.river),
                                       lerp2(a.country, b.country, c0.country, d.country), lerp2(a.road, b.road, c0.road, d.road)};
            const Rgb c = groundColour(localOf(px + 0.5, py + 0.5), pixelMetres, here);
            const double fx = (px + 0.5) / SHADE_STEP;
            const double fy = (py + 0.5) / SHADE_STEP;
            const int ix = static_cast<int>(fx);
            const int iy = static_cast<int>(fy);
            const double tx = fx - ix;
            const double ty = fy - iy;
            auto at = [&](int x, int y) { return shade[static_cast<size_t>(y * nodes + x)]; };
            const double s = (at(ix, iy) * (1 - tx) + at(ix + 1, iy) * tx) * (1 - ty)
                             + (at(ix, iy + 1) * (1 - tx) + at(ix + 1, iy + 1) * tx) * ty;
            out[3 * px + 0] = static_cast<unsigned char>(std::lround(255.0 * clamp01(c.r * s)));
            out[3 * px + 1] = static_cast<unsigned char>(std::lround(255.0 * clamp01(c.g * s)));
            out[3 * px + 2] = static_cast<unsigned char>(std::lround(255.0 * clamp01(c.b * s)));
        }
    }
    return image;
}

} // namespace

int writeElevationTiles(const std::string& folder)
{
    const std::vector<ElevationFileIndex> files = terrainElevationFiles(mapFrame.CI, mapFrame.CJ);
    for (const ElevationFileIndex& file : files) {
        std::vector<unsigned char> bytes(EGM_FILE_BYTES);
        parallelFor(EGM_SIDE, [&](int r) {
            for (int c = 0; c < EGM_SIDE; ++c) {
                const double row = static_cast<double>(file.row) * EGM_SPAN + r;
                const double col = static_cast<double>(file.col) * EGM_SPAN + c;
                const auto h = static_cast<int16_t>(std::lround(groundHeight(cornerToLocal(row, col))));
                const auto raw = static_cast<uint16_t>(h);
                const size_t at = 2 * (static_cast<size_t>(r) * EGM_SIDE + static_cast<size_t>(c));
                bytes[at] = static_cast<unsigned char>(raw & 0xFF);
                bytes[at + 1] = static_cast<unsigned char>(raw >> 8);
            }
        });
        const std::string name = elevationFileName(file.row * EGM_SPAN, file.col * EGM_SPAN);
        tools::writeFileAtomically(folder + "/" + name, std::string(bytes.begin(), bytes.end()));
    }
    return static_cast<int>(files.size());
}

int writeImageTiles(const std::string& folder)
{
    tools::makeFolder(folder + "/img");
    std::vector<TerrainTile> tiles;
    forEachTerrainTile(mapFrame.CI, mapFrame.CJ, [&](const TerrainTile& tile) { tiles.push_back(tile); });
    std::vector<osg::ref_ptr<osg::Image>> images(tiles.size());
    parallelFor(static_cast<int>(tiles.size()), [&](int i) { images[static_cast<size_t>(i)] = drawTile(tiles[static_cast<size_t>(i)]); });
    for (size_t i = 0; i < tiles.size(); ++i)
        tools::writeImageFileAtomically(*images[i], folder + "/" + terrainImageName(tiles[i]));
    return static_cast<int>(tiles.size());
}

} // namespace flightreplay::demo
