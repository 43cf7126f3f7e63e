#include "tools/assets/sky_image.h"

#include <cmath>

#include <osg/Image>

#include "log/units.h"
#include "tools/assets/noise.h"
#include "tools/common/output_file.h"
#include "tools/common/tool_error.h"

namespace flightreplay::assets {

namespace {

constexpr int WIDTH = 1024;
constexpr int HEIGHT = 512;

struct Colour {
    double r, g, b;
};

Colour mix(const Colour& a, const Colour& b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour skyColour(double azimuth, double elevation)
{
    const Colour haze = {0.80, 0.85, 0.90};
    const Colour zenith = {0.20, 0.40, 0.76};
    const Colour land = {0.36, 0.44, 0.33};
    const double up = std::sin(elevation);
    if (up < 0.0)
        return mix(haze, land, smoothStep(0.0, 0.06, -up));

    Colour c = mix(haze, zenith, std::pow(up, 0.45));
    // Glow around the sun, south-west and 40 degrees high.
    const double sunAz = 3.9;
    const double sunEl = 0.70;
    const double cosAngle = std::cos(elevation) * std::cos(sunEl) * std::cos(azimuth - sunAz) + up * std::sin(sunEl);
    c = mix(c, {1.0, 0.98, 0.90}, 0.5 * std::pow(clamp01(cosAngle), 40.0));

    // Cumulus on a flat layer: project the direction onto it, so the clouds
    // shrink and crowd toward the horizon, as they do.
    const double reach = std::cos(elevation) / std::fmax(up, 0.04);
    const double x = reach * std::cos(azimuth) * 1.6 + 5.0;
    const double y = reach * std::sin(azimuth) * 1.6 - 3.0;
    const double density = fractalNoise(x, y, 5, 91);
    const double cover = smoothStep(0.52, 0.68, density) * smoothStep(0.0, 0.12, up);
    const double body = fractalNoise(x * 2.3 + 1.0, y * 2.3, 3, 97);
    const Colour cloud = mix({0.62, 0.65, 0.72}, {0.99, 0.99, 0.98}, clamp01(0.35 + 0.9 * (density - 0.5) + 0.5 * (body - 0.5)));
    c = mix(c, cloud, cover);
    // Haze swallows the far clouds.
    return mix(c, haze, 0.6 * (1.0 - smoothStep(0.0, 0.25, up)));
}

} // namespace

osg::ref_ptr<osg::Image> makeSkyImage()
{
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(WIDTH, HEIGHT, 1, GL_RGB, GL_UNSIGNED_BYTE);
    for (int row = 0; row < HEIGHT; ++row) {
        // Image row 0 is the bottom of the picture, the nadir.
        const double elevation = ((row + 0.5) / HEIGHT - 0.5) * MAP_PI;
        unsigned char* out = image->data(0, row);
        for (int col = 0; col < WIDTH; ++col) {
            const double azimuth = (col + 0.5) / WIDTH * 2.0 * MAP_PI;
            const Colour c = skyColour(azimuth, elevation);
            out[3 * col + 0] = static_cast<unsigned char>(std::lround(255.0 * clamp01(c.r)));
            out[3 * col + 1] = static_cast<unsigned char>(std::lround(255.0 * clamp01(c.g)));
            out[3 * col + 2] = static_cast<unsigned char>(std::lround(255.0 * clamp01(c.b)));
        }
    }
    return image;
}

bool writeSkyImage(const std::string& path)
{
    try {
        tools::writeImageFileAtomically(*makeSkyImage(), path);
    } catch (const tools::ToolError&) {
        return false;
    }
    return true;
}

} // namespace flightreplay::assets
