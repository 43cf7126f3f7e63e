#include "landscape.h"

#include <cmath>

#include "log/units.h"
#include "tools/assets/noise.h"

namespace flightreplay::demo {

using assets::clamp01;
using assets::fractalNoise;
using assets::hashCell;
using assets::smoothStep;
using assets::valueNoise;

namespace {

constexpr double TAU = 2.0 * MAP_PI;

Rgb mix(const Rgb& a, const Rgb& b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb scaled(const Rgb& a, double f)
{
    return {a.r * f, a.g * f, a.b * f};
}

// Share of a pixel covered by a band of half width halfWidth at distance d.
double coverage(double d, double halfWidth, double pixelMetres)
{
    return clamp01((halfWidth - std::fabs(d)) / pixelMetres + 0.5);
}

// 0 on the airfield, 1 in the open country.
double countryWeight(LocalPoint p)
{
    const RunwayPoint r = localToRunway(p);
    const double rho = std::sqrt((r.u / 480.0) * (r.u / 480.0) + (r.w / 340.0) * (r.w / 340.0));
    return smoothStep(1.05, 2.6, rho);
}

// Signed lateral distance to the river's middle line, metres.
double riverOffset(LocalPoint p)
{
    const RunwayPoint r = localToRunway(p);
    const double centre = -1150.0 + 210.0 * std::sin(r.u / 640.0) + 90.0 * std::sin(r.u / 230.0 + 1.3);
    const double slope = 210.0 / 640.0 * std::cos(r.u / 640.0) + 90.0 / 230.0 * std::cos(r.u / 230.0 + 1.3);
    return (r.w - centre) / std::sqrt(1.0 + slope * slope);
}

double distanceToSegment(LocalPoint p, LocalPoint a, LocalPoint b)
{
    const double dx = b.east - a.east;
    const double dy = b.north - a.north;
    double t = ((p.east - a.east) * dx + (p.north - a.north) * dy) / (dx * dx + dy * dy);
    t = clamp01(t);
    return std::hypot(p.east - a.east - t * dx, p.north - a.north - t * dy);
}

// Signed distance to the winding road that meets the straight one at the village.
double windingRoadOffset(LocalPoint p)
{
    const double centre = 1350.0 + 260.0 * std::sin(p.east / 1300.0) + 60.0 * std::sin(p.east / 410.0);
    const double slope = 260.0 / 1300.0 * std::cos(p.east / 1300.0) + 60.0 / 410.0 * std::cos(p.east / 410.0);
    return (p.north - centre) / std::sqrt(1.0 + slope * slope);
}

double mainRoadDistance(LocalPoint p, double windingOffset)
{
    const double straight = std::fabs((p.east + 1900.0) * 0.94 - (p.north - 300.0) * 0.342);
    return std::fmin(straight, std::fabs(windingOffset));
}

const LocalPoint VILLAGE = {-1480.0, 1420.0};
const LocalPoint PITS = runwayToLocal({10.0, 72.0});
const LocalPoint TRACK_BEND = runwayToLocal({-60.0, 560.0});

// Distance to the gravel track from the pilots' patch to the village.
double trackDistance(LocalPoint p)
{
    return std::fmin(distanceToSegment(p, PITS, TRACK_BEND), distanceToSegment(p, TRACK_BEND, VILLAGE));
}

Rgb cropColour(uint32_t kind, double variation)
{
    static const Rgb crops[] = {
        {0.40, 0.56, 0.22}, // young wheat
        {0.47, 0.60, 0.27}, // meadow
        {0.76, 0.68, 0.40}, // ripe barley
        {0.49, 0.38, 0.27}, // ploughed
        {0.30, 0.47, 0.18}, // maize
        {0.56, 0.43, 0.30}, // harrowed
        {0.35, 0.52, 0.24}, // pasture
        {0.80, 0.77, 0.30}, // rapeseed
    };
    const Rgb c = crops[kind % 8];
    return scaled(c, 0.92 + 0.16 * variation);
}

// Farmland: blocks of about 420 m, each cut into strips along one of two
// directions; the block edges are farm tracks or hedges.
Rgb farmland(LocalPoint p, double pixelMetres)
{
    const double c = std::cos(0.21);
    const double s = std::sin(0.21);
    const double a = p.east * c + p.north * s;
    const double b = -p.east * s + p.north * c;
    const double blockSize = 420.0;
    const auto bi = static_cast<int64_t>(std::floor(a / blockSize));
    const auto bj = static_cast<int64_t>(std::floor(b / blockSize));
    const double la = a - static_cast<double>(bi) * blockSize;
    const double lb = b - static_cast<double>(bj) * blockSize;
    const uint32_t h = hashCell(bi, bj, 7);
    const bool alongA = (h & 1u) != 0;
    const double width = 35.0 + static_cast<double>((h >> 1) % 60u);
    const double across = alongA ? lb : la;
    const auto strip = static_cast<int64_t>(std::floor(across / width));
    const double inStrip = across - static_cast<double>(strip) * width;
    // Mostly green and brown crops, rapeseed now and then.
    uint32_t crop = hashCell(bi * 31 + strip, bj, 11) % 24u;
    if (crop >= 8u)
        crop = crop % 7u;
    Rgb colour = cropColour(crop, valueNoise(p.east / 60.0, p.north / 60.0, 5));
    // Drill rows and tractor lanes, only where the pixels are small enough.
    const double rowFade = clamp01(1.0 - pixelMetres / 0.6);
    colour = scaled(colour, 1.0 + 0.05 * rowFade * std::sin(TAU * inStrip / 0.75));
    const double laneFade = clamp01(1.0 - pixelMetres / 3.0);
    const double lane = std::fmod(inStrip, 12.0) - 6.0;
    colour = mix(colour, scaled(colour, 0.8), laneFade * coverage(lane, 0.35, pixelMetres));
    colour = scaled(colour, 0.94 + 0.12 * valueNoise(p.east / 9.0, p.north / 9.0, 13));

    // Boundaries between strips.
    const double stripEdge = std::fmin(inStrip, width - inStrip);
    colour = mix(colour, {0.52, 0.50, 0.36}, 0.6 * coverage(stripEdge, 0.6, pixelMetres));
    // Block edges.
    const double blockEdge = std::fmin(std::fmin(la, blockSize - la), std::fmin(lb, blockSize - lb));
    if ((h >> 8) % 3u == 0)
        colour = mix(colour, {0.20, 0.33, 0.14}, coverage(blockEdge, 3.5, pixelMetres));
    else
        colour = mix(colour, {0.66, 0.61, 0.50}, coverage(blockEdge, 1.6, pixelMetres));
    return colour;
}

Rgb forest(LocalPoint p, double pixelMetres)
{
    const double detail = clamp01(1.0 - pixelMetres / 5.0);
    const double broad = valueNoise(p.east / 120.0, p.north / 120.0, 19);
    Rgb colour = mix({0.13, 0.26, 0.11}, {0.21, 0.32, 0.14}, broad);
    if (detail <= 0.0)
        return colour;
    const double crowns = fractalNoise(p.east / 3.5, p.north / 3.5, 2, 17);
    return scaled(colour, 1.0 + detail * (crowns - 0.5) * 0.7);
}

Rgb village(LocalPoint p, double pixelMetres, double& weight)
{
    const double d = std::hypot(p.east - VILLAGE.east, p.north - VILLAGE.north);
    weight = d > 300.0 ? 0.0 : 1.0 - smoothStep(230.0, 300.0, d + 60.0 * valueNoise(p.east / 90.0, p.north / 90.0, 23));
    if (weight <= 0.0)
        return {0, 0, 0};
    const double cell = 26.0;
    const auto ci = static_cast<int64_t>(std::floor(p.east / cell));
    const auto cj = static_cast<int64_t>(std::floor(p.north / cell));
    const double le = p.east - static_cast<double>(ci) * cell - cell / 2;
    const double ln = p.north - static_cast<double>(cj) * cell - cell / 2;
    const uint32_t h = hashCell(ci, cj, 29);
    Rgb garden = scaled({0.36, 0.50, 0.25}, 0.9 + 0.2 * valueNoise(p.east / 4.0, p.north / 4.0, 31));
    if (h % 5u == 0)
        return garden;
    static const Rgb roofs[] = {{0.62, 0.27, 0.20}, {0.52, 0.24, 0.20}, {0.70, 0.36, 0.25}, {0.45, 0.45, 0.47}};
    const Rgb roof = roofs[(h >> 4) % 4u];
    const double halfE = (h >> 8) % 2u ? 7.0 : 5.0;
    const double halfN = (h >> 8) % 2u ? 5.0 : 7.5;
    const double inside = coverage(le, halfE, pixelMetres) * coverage(ln, halfN, pixelMetres);
    // The roof's ridge: the sunny side lighter.
    const double side = (h >> 8) % 2u ? ln : le;
    const Rgb lit = scaled(roof, side > 0.0 ? 1.12 : 0.86);
    Rgb ground = mix(garden, {0.62, 0.60, 0.57}, coverage(le, 9.0, pixelMetres) * coverage(ln, 9.0, pixelMetres) * 0.5);
    return mix(ground, lit, inside);
}

Rgb airfield(RunwayPoint r, double pixelMetres, Rgb country)
{
    // Mown grass, a runway with markings, and the pilots' gravel patch.
    const double mownIn = coverage(std::fmax(std::fabs(r.u) / 330.0, std::fabs(r.w) / 85.0) * 330.0, 330.0, pixelMetres);
    const double stripes = std::fmod(std::fabs(r.w) + 200.0, 16.0) < 8.0 ? 1.05 : 0.95;
    Rgb grass = scaled({0.42, 0.61, 0.25}, stripes * (0.96 + 0.08 * valueNoise(r.u / 7.0, r.w / 7.0, 37)));
    Rgb colour = mix(country, grass, mownIn);

    const double runwayIn = coverage(r.w, 15.0, pixelMetres) * coverage(r.u, 265.0, pixelMetres);
    Rgb asphalt = scaled({0.33, 0.33, 0.34}, 0.95 + 0.1 * valueNoise(r.u / 2.0, r.w / 2.0, 41));
    colour = mix(colour, asphalt, runwayIn);
    double paint = 0.0;
    if (std::fabs(r.u) < 228.0 && std::fmod(r.u + 300.0, 30.0) < 16.0)
        paint = coverage(r.w, 0.45, pixelMetres);
    const double bars = std::fabs(r.u) - 248.0;
    if (std::fabs(bars) < 9.0 && std::fabs(r.w) < 12.5) {
        const double bar = std::fmod(std::fabs(r.w) + 0.75, 3.0) - 1.5;
        paint = std::fmax(paint, coverage(bar, 0.75, pixelMetres) * coverage(bars, 8.0, pixelMetres));
    }
    paint = std::fmax(paint, coverage(r.w - 14.0, 0.3, pixelMetres) * coverage(r.u, 262.0, pixelMetres));
    paint = std::fmax(paint, coverage(r.w + 14.0, 0.3, pixelMetres) * coverage(r.u, 262.0, pixelMetres));
    colour = mix(colour, {0.92, 0.92, 0.90}, paint * runwayIn);

    const double pits = coverage(r.u - 10.0, 22.0, pixelMetres) * coverage(r.w - 62.0, 10.0, pixelMetres);
    colour = mix(colour, {0.70, 0.66, 0.58}, pits);
    const double hut = coverage(r.u - 22.0, 5.0, pixelMetres) * coverage(r.w - 68.0, 3.0, pixelMetres);
    return mix(colour, {0.55, 0.30, 0.22}, hut);
}

} // namespace

double groundHeight(LocalPoint p)
{
    const double hills = 95.0 * (fractalNoise(p.east / 2600.0, p.north / 2600.0, 4, 3) - 0.45)
                         + 18.0 * (valueNoise(p.east / 700.0, p.north / 700.0, 4) - 0.5);
    const double river = riverOffset(p);
    const double valley = -22.0 * std::exp(-(river / 260.0) * (river / 260.0));
    return FIELD_ELEVATION + countryWeight(p) * (hills + valley);
}

double slopeShade(double dhEast, double dhNorth)
{
    // Sun from the south-west, 40 degrees high.
    const double lx = -0.541;
    const double ly = -0.541;
    const double lz = 0.643;
    const double n = std::sqrt(dhEast * dhEast + dhNorth * dhNorth + 1.0);
    const double lambert = (-dhEast * lx - dhNorth * ly + lz) / n;
    return 0.55 + 0.7 * lambert;
}

SmoothFields smoothFieldsAt(LocalPoint p)
{
    const double country = countryWeight(p);
    return {fractalNoise(p.east / 1100.0, p.north / 1100.0, 4, 43) + 0.08 * country, riverOffset(p), country,
            windingRoadOffset(p)};
}

Rgb groundColour(LocalPoint p, double pixelMetres)
{
    return groundColour(p, pixelMetres, smoothFieldsAt(p));
}

Rgb groundColour(LocalPoint p, double pixelMetres, const SmoothFields& fields)
{
    const double country = fields.country;
    Rgb colour = farmland(p, pixelMetres);

    const double woods = fields.woods;
    const double edge = 0.004 + pixelMetres / 1100.0;
    const double inWoods = smoothStep(0.66 - edge, 0.66 + edge, woods) * smoothStep(0.2, 0.6, country);
    const double river = fields.river;
    double banks = 0.0;
    if (std::fabs(river) < 40.0 + pixelMetres)
        banks = 0.9 * coverage(river, 26.0 + 8.0 * valueNoise(p.east / 50.0, p.north / 50.0, 47), pixelMetres);
    const double trees = std::fmax(inWoods, banks);
    if (trees > 0.0)
        colour = mix(colour, forest(p, pixelMetres), trees);

    double inVillage = 0.0;
    const Rgb houses = village(p, pixelMetres, inVillage);
    if (inVillage > 0.0)
        colour = mix(colour, houses, inVillage);

    const double water = coverage(river, 13.0, pixelMetres);
    if (water > 0.0)
        colour = mix(colour, scaled({0.22, 0.36, 0.42}, 0.95 + 0.1 * valueNoise(p.east / 15.0, p.north / 15.0, 53)), water);

    const double road = mainRoadDistance(p, fields.road);
    const double roadWidth = std::fmax(3.2, pixelMetres * 0.7);
    colour = mix(colour, {0.40, 0.40, 0.41}, coverage(road, roadWidth, pixelMetres));
    colour = mix(colour, {0.70, 0.70, 0.66}, 0.5 * coverage(road, 0.12, pixelMetres) * clamp01(1.0 - pixelMetres / 0.5));
    colour = mix(colour, {0.68, 0.63, 0.52}, coverage(trackDistance(p), std::fmax(1.6, pixelMetres * 0.5), pixelMetres));

    const RunwayPoint r = localToRunway(p);
    if (std::fabs(r.u) < 400.0 && std::fabs(r.w) < 150.0)
        colour = airfield(r, pixelMetres, colour);
    return colour;
}

} // namespace flightreplay::demo
