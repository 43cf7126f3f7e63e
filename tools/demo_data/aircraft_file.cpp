#include "aircraft_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>
#include "log/units.h"
#include "tools/common/output_file.h"
#include "tools/common/tool_error.h"

namespace flightreplay::demo {

namespace {

constexpr int SHADES = 8;

struct V3 {
    double x, y, z;
};

V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

enum Paint { WHITE, RED, CANOPY, GREY, BLACK, PAINT_COUNT };

const double PAINTS[PAINT_COUNT][3] = {
    {0.96, 0.96, 0.93}, {0.86, 0.16, 0.12}, {0.16, 0.22, 0.32}, {0.48, 0.48, 0.52}, {0.10, 0.10, 0.10},
};

V3 centroidOf(const std::vector<V3>& points)
{
    V3 sum{0, 0, 0};
    for (const V3& p : points)
        sum = sum + p;
    return sum * (1.0 / static_cast<double>(points.size()));
}

struct Part {
    const char* name;
    Paint paint;
    std::vector<V3> vertices;
    std::vector<std::vector<int>> faces;
    std::vector<V3> insides; // a point inside the part next to each face
};

// Rings of equal size joined side by side, closed at both ends.
Part loft(const char* name, Paint paint, const std::vector<std::vector<V3>>& rings)
{
    Part part{name, paint, {}, {}, {}};
    const int n = static_cast<int>(rings.front().size());
    for (const auto& ring : rings)
        part.vertices.insert(part.vertices.end(), ring.begin(), ring.end());
    std::vector<V3> middles;
    for (const auto& ring : rings)
        middles.push_back(centroidOf(ring));
    for (int r = 0; r + 1 < static_cast<int>(rings.size()); ++r) {
        for (int k = 0; k < n; ++k) {
            part.faces.push_back({r * n + k, r * n + (k + 1) % n, (r + 1) * n + (k + 1) % n, (r + 1) * n + k});
            part.insides.push_back((middles[static_cast<size_t>(r)] + middles[static_cast<size_t>(r) + 1]) * 0.5);
        }
    }
    std::vector<int> first;
    std::vector<int> last;
    const int lastRing = static_cast<int>(rings.size()) - 1;
    for (int k = 0; k < n; ++k) {
        first.push_back(k);
        last.push_back(lastRing * n + k);
    }
    part.faces.push_back(first);
    part.insides.push_back(middles[1]);
    part.faces.push_back(last);
    part.insides.push_back(middles[middles.size() - 2]);
    return part;
}

// Cross-section of a body at x: half width, top and bottom.
std::vector<V3> bodyRing(double x, double halfWidth, double top, double bottom, double centreZ = 0.0)
{
    std::vector<V3> ring;
    const double middle = (top + bottom) / 2;
    for (int k = 0; k < 14; ++k) {
        const double a = 2 * MAP_PI * k / 14;
        const double s = std::sin(a);
        const double c = std::cos(a);
        // Squarer than an ellipse, like a foam fuselage.
        const double sz = std::copysign(std::pow(std::fabs(c), 0.7), c);
        const double sy = std::copysign(std::pow(std::fabs(s), 0.7), s);
        ring.push_back({x, middle + sy * (top - bottom) / 2, centreZ + sz * halfWidth});
    }
    return ring;
}

// Wing section at span position z: leading edge x, chord, height of the
// chord line and thickness.
std::vector<V3> wingRing(double z, double leadingEdge, double chord, double y, double thickness)
{
    return {
        {leadingEdge, y, z},
        {leadingEdge + 0.08 * chord, y + 0.6 * thickness, z},
        {leadingEdge + 0.3 * chord, y + thickness, z},
        {leadingEdge + 0.65 * chord, y + 0.6 * thickness, z},
        {leadingEdge + chord, y + 0.05 * thickness, z},
        {leadingEdge + 0.6 * chord, y - 0.15 * thickness, z},
        {leadingEdge + 0.2 * chord, y - 0.25 * thickness, z},
    };
}

// Vertical section at height y of the fin.
std::vector<V3> finRing(double y, double leadingEdge, double chord, double thickness)
{
    return {
        {leadingEdge, y, 0.0},
        {leadingEdge + 0.3 * chord, y, thickness},
        {leadingEdge + chord, y, 0.0},
        {leadingEdge + 0.3 * chord, y, -thickness},
    };
}

std::vector<Part> buildParts()
{
    std::vector<Part> parts;
    // Fuselage, nose at -x: x, half width, top, bottom.
    const double stations[][4] = {
        {-0.43, 0.012, 0.004, -0.016}, {-0.415, 0.034, 0.030, -0.040}, {-0.37, 0.050, 0.054, -0.060},
        {-0.26, 0.058, 0.070, -0.068}, {-0.10, 0.056, 0.076, -0.062}, {0.02, 0.050, 0.074, -0.050},
        {0.10, 0.036, 0.062, -0.034},  {0.20, 0.022, 0.046, -0.018},  {0.34, 0.016, 0.037, -0.008},
        {0.43, 0.011, 0.031, -0.003},
    };
    std::vector<std::vector<V3>> rings;
    for (const auto& s : stations)
        rings.push_back(bodyRing(s[0], s[1], s[2], s[3]));
    parts.push_back(loft("fuselage", WHITE, rings));

    rings.clear();
    const double canopy[][4] = {
        {-0.345, 0.006, 0.060, 0.052}, {-0.31, 0.030, 0.084, 0.054}, {-0.24, 0.036, 0.094, 0.060},
        {-0.17, 0.030, 0.090, 0.064},  {-0.12, 0.006, 0.080, 0.070},
    };
    for (const auto& s : canopy)
        rings.push_back(bodyRing(s[0], s[1], s[2], s[3]));
    parts.push_back(loft("canopy", CANOPY, rings));

    // Wing on top of the fuselage, 6 degrees of dihedral, red tips.
    const double dihedral = std::tan(6.0 * RADIANS_PER_DEGREE);
    auto wingAt = [&](double z) {
        const double f = std::fabs(z) / 0.685;
        return wingRing(z, -0.15 + 0.035 * f, 0.19 - 0.055 * f, 0.078 + std::fabs(z) * dihedral, 0.022 - 0.008 * f);
    };
    parts.push_back(loft("wing_left_tip", RED, {wingAt(0.685), wingAt(0.56)}));
    parts.push_back(loft("wing", WHITE, {wingAt(0.56), wingAt(0.0), wingAt(-0.56)}));
    parts.push_back(loft("wing_right_tip", RED, {wingAt(-0.56), wingAt(-0.685)}));

    auto tailAt = [](double z) {
        const double f = std::fabs(z) / 0.2;
        return wingRing(z, 0.31 + 0.025 * f, 0.11 - 0.035 * f, 0.033, 0.008);
    };
    parts.push_back(loft("tailplane", WHITE, {tailAt(0.2), tailAt(0.0), tailAt(-0.2)}));
    parts.push_back(loft("fin", RED, {finRing(0.03, 0.28, 0.155, 0.004), finRing(0.175, 0.375, 0.07, 0.003)}));
    parts.push_back(loft("underfin", RED, {finRing(0.0, 0.36, 0.07, 0.003), finRing(-0.04, 0.39, 0.04, 0.002)}));

    // Motor pod above the wing's trailing edge, propeller behind it.
    rings.clear();
    const double pod[][2] = {{-0.02, 0.006}, {0.0, 0.017}, {0.09, 0.019}, {0.125, 0.013}};
    for (const auto& s : pod)
        rings.push_back(bodyRing(s[0], s[1], 0.118 + s[1], 0.118 - s[1]));
    parts.push_back(loft("motor", GREY, rings));
    rings.clear();
    rings.push_back(bodyRing(0.125, 0.012, 0.130, 0.106));
    rings.push_back(bodyRing(0.15, 0.002, 0.120, 0.116));
    parts.push_back(loft("spinner", BLACK, rings));

    Part propeller{"propeller", BLACK, {}, {}, {}};
    for (int blade = 0; blade < 2; ++blade) {
        const double a = 0.5 + blade * MAP_PI;
        const V3 along = {0.0, std::cos(a), std::sin(a)};
        const V3 across = {0.0, -std::sin(a), std::cos(a)};
        const V3 hub = {0.132, 0.118, 0.0};
        const int base = static_cast<int>(propeller.vertices.size());
        const double rootWidth = 0.011;
        const double tipWidth = 0.007;
        // A little pitch: the leading side of each blade sits further forward.
        propeller.vertices.push_back(hub + along * 0.008 + across * rootWidth + V3{-0.006, 0, 0});
        propeller.vertices.push_back(hub + along * 0.008 - across * rootWidth + V3{0.006, 0, 0});
        propeller.vertices.push_back(hub + along * 0.076 - across * tipWidth + V3{0.003, 0, 0});
        propeller.vertices.push_back(hub + along * 0.076 + across * tipWidth + V3{-0.003, 0, 0});
        propeller.faces.push_back({base, base + 1, base + 2, base + 3});
        propeller.insides.push_back(hub + V3{1.0, 0, 0});
    }
    parts.push_back(propeller);
    return parts;
}

bool writeAircraftText(FILE* file)
{
    std::fprintf(file, "AC3Db\n");
    for (int paint = 0; paint < PAINT_COUNT; ++paint) {
        for (int shade = 0; shade < SHADES; ++shade) {
            const double f = 0.52 + 0.48 * shade / (SHADES - 1);
            const double* c = PAINTS[paint];
            std::fprintf(file,
                         "MATERIAL \"paint%d_%d\" rgb %.3f %.3f %.3f  amb %.3f %.3f %.3f  emis 0 0 0  spec 0.1 0.1 0.1  shi 16  trans 0\n",
                         paint, shade, c[0] * f, c[1] * f, c[2] * f, c[0] * f, c[1] * f, c[2] * f);
        }
    }
    const std::vector<Part> parts = buildParts();
    // Light from above, a little ahead and to the left.
    const V3 light = V3{-0.35, 0.85, 0.40} * (1.0 / std::sqrt(0.35 * 0.35 + 0.85 * 0.85 + 0.40 * 0.40));
    std::fprintf(file, "OBJECT world\nkids %zu\n", parts.size());
    for (const Part& part : parts) {
        std::fprintf(file, "OBJECT poly\nname \"%s\"\nnumvert %zu\n", part.name, part.vertices.size());
        for (const V3& v : part.vertices)
            std::fprintf(file, "%.5f %.5f %.5f\n", v.x, v.y, v.z);
        std::string surfaces;
        size_t surfaceCount = 0;
        for (size_t f = 0; f < part.faces.size(); ++f) {
            std::vector<int> face = part.faces[f];
            std::vector<V3> corners;
            for (int i : face)
                corners.push_back(part.vertices[static_cast<size_t>(i)]);
            V3 normal{0, 0, 0};
            for (size_t i = 0; i < corners.size(); ++i)
                normal = normal + cross(corners[i], corners[(i + 1) % corners.size()]);
            const double length = std::sqrt(dot(normal, normal));
            if (length < 1e-12)
                continue;
            normal = normal * (1.0 / length);
            // Counter-clockwise seen from outside.
            if (f < part.insides.size() && dot(normal, centroidOf(corners) - part.insides[f]) < 0.0) {
                std::reverse(face.begin(), face.end());
                normal = normal * -1.0;
            }
            const double lit = 0.5 + 0.5 * dot(normal, light);
            const int shade = static_cast<int>(std::lround(lit * (SHADES - 1)));
            surfaces += "SURF 0x20\nmat " + std::to_string(part.paint * SHADES + shade) + "\nrefs "
                        + std::to_string(face.size()) + "\n";
            for (int i : face)
                surfaces += std::to_string(i) + " 0 0\n";
            ++surfaceCount;
        }
        std::fprintf(file, "numsurf %zu\n%skids 0\n", surfaceCount, surfaces.c_str());
    }
    return true;
}

} // namespace

bool writeAircraftModel(const std::string& path)
{
    try {
        tools::writeFileAtomically(path, writeAircraftText);
    } catch (const tools::ToolError&) {
        return false;
    }
    return true;
}

} // namespace flightreplay::demo
