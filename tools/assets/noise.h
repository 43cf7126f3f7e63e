#pragma once
// Deterministic value noise for the pictures our code draws (the sky, the
// demo's landscape): the same position gives the same value on every
// machine, so tiles of different zooms agree.

#include <cmath>
#include <cstdint>

namespace flightreplay::assets {

inline uint32_t hashCell(int64_t x, int64_t y, uint32_t seed)
{
    uint64_t h = static_cast<uint64_t>(x) * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(y) * 0xC2B2AE3D27D4EB4Full
                 ^ (static_cast<uint64_t>(seed) << 32);
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
    h *= 0x94D049BB133111EBull;
    h ^= h >> 32;
    return static_cast<uint32_t>(h);
}

// Uniform in [0, 1).
inline double hashUnit(int64_t x, int64_t y, uint32_t seed)
{
    return hashCell(x, y, seed) * (1.0 / 4294967296.0);
}

inline double smootherStep(double t)
{
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

inline double smoothStep(double edge0, double edge1, double x)
{
    double t = (x - edge0) / (edge1 - edge0);
    t = t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
    return t * t * (3.0 - 2.0 * t);
}

inline double clamp01(double x)
{
    return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x);
}

// Smooth noise in [0, 1) with one lattice cell per unit.
inline double valueNoise(double x, double y, uint32_t seed)
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const auto ix = static_cast<int64_t>(fx);
    const auto iy = static_cast<int64_t>(fy);
    const double tx = smootherStep(x - fx);
    const double ty = smootherStep(y - fy);
    const double a = hashUnit(ix, iy, seed);
    const double b = hashUnit(ix + 1, iy, seed);
    const double c = hashUnit(ix, iy + 1, seed);
    const double d = hashUnit(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

// Sum of octaves, normalised back into [0, 1).
inline double fractalNoise(double x, double y, int octaves, uint32_t seed)
{
    double sum = 0.0;
    double amplitude = 1.0;
    double total = 0.0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * valueNoise(x, y, seed + static_cast<uint32_t>(i) * 101u);
        total += amplitude;
        amplitude *= 0.5;
        // A rotation between octaves hides the lattice.
        const double nx = 1.6 * x - 1.2 * y + 17.3;
        y = 1.2 * x + 1.6 * y - 9.1;
        x = nx;
    }
    return sum / total;
}

} // namespace flightreplay::assets
