#include "tools/assets/ac3d_model.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "log/units.h"

#include "tools/common/output_file.h"
#include "tools/common/tool_error.h"

namespace flightreplay::assets {

namespace {

constexpr int SHADES = 8;

void appendf(std::string& text, const char* format, ...)
{
    char line[512];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (length > 0)
        text.append(line, std::min(static_cast<size_t>(length), sizeof line - 1));
}

V3 unit(V3 v)
{
    const double length = std::sqrt(dot(v, v));
    return length > 0.0 ? v * (1.0 / length) : v;
}

// Any unit vector at a right angle to `axis`.
V3 across(V3 axis)
{
    const V3 other = std::fabs(axis.x) < 0.9 ? V3{1, 0, 0} : V3{0, 1, 0};
    return unit(cross(axis, other));
}

} // namespace

V3 centroidOf(const std::vector<V3>& points)
{
    V3 sum{0, 0, 0};
    for (const V3& p : points)
        sum = sum + p;
    return sum * (1.0 / static_cast<double>(points.size()));
}

Part loft(const char* name, int paint, const std::vector<std::vector<V3>>& rings)
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

std::vector<V3> bodyRing(double x, double halfWidth, double top, double bottom, double centreZ)
{
    std::vector<V3> ring;
    const double middle = (top + bottom) / 2;
    for (int k = 0; k < 14; ++k) {
        const double a = 2 * MAP_PI * k / 14;
        const double s = std::sin(a);
        const double c = std::cos(a);
        const double sz = std::copysign(std::pow(std::fabs(c), 0.7), c);
        const double sy = std::copysign(std::pow(std::fabs(s), 0.7), s);
        ring.push_back({x, middle + sy * (top - bottom) / 2, centreZ + sz * halfWidth});
    }
    return ring;
}

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

std::vector<V3> finRing(double y, double leadingEdge, double chord, double thickness)
{
    return {
        {leadingEdge, y, 0.0},
        {leadingEdge + 0.3 * chord, y, thickness},
        {leadingEdge + chord, y, 0.0},
        {leadingEdge + 0.3 * chord, y, -thickness},
    };
}

std::vector<V3> circle(V3 centre, V3 u, V3 v, double radius, int count)
{
    std::vector<V3> points;
    for (int k = 0; k < count; ++k) {
        const double a = 2 * MAP_PI * k / count;
        points.push_back(centre + u * (radius * std::cos(a)) + v * (radius * std::sin(a)));
    }
    return points;
}

Part tube(const char* name, int paint, V3 a, V3 b, double radius, int sides)
{
    const V3 axis = unit(b - a);
    const V3 u = across(axis);
    const V3 v = cross(axis, u);
    return loft(name, paint, {circle(a, u, v, radius, sides), circle(b, u, v, radius, sides)});
}

Part box(const char* name, int paint, V3 low, V3 high)
{
    auto section = [&](double x) {
        return std::vector<V3>{{x, low.y, low.z}, {x, high.y, low.z}, {x, high.y, high.z}, {x, low.y, high.z}};
    };
    return loft(name, paint, {section(low.x), section(high.x)});
}

Part rotor(const char* name, int paint, V3 hub, V3 axis, double radius, int blades, double chord)
{
    Part part{name, paint, {}, {}, {}};
    axis = unit(axis);
    const V3 u = across(axis);
    const V3 v = cross(axis, u);
    const V3 below = hub - axis * radius;
    for (int blade = 0; blade < blades; ++blade) {
        const double a = 0.5 + 2 * MAP_PI * blade / blades;
        const V3 along = u * std::cos(a) + v * std::sin(a);
        const V3 side = cross(axis, along);
        const int base = static_cast<int>(part.vertices.size());
        const V3 root = hub + along * (0.08 * radius);
        const V3 tip = hub + along * (0.96 * radius);
        part.vertices.push_back(root + side * (0.5 * chord));
        part.vertices.push_back(root - side * (0.5 * chord));
        part.vertices.push_back(tip - side * (0.35 * chord));
        part.vertices.push_back(tip + side * (0.35 * chord));
        part.faces.push_back({base, base + 1, base + 2, base + 3});
        part.insides.push_back(below);
    }
    const int sides = 24;
    const int base = static_cast<int>(part.vertices.size());
    const std::vector<V3> outer = circle(hub, u, v, radius, sides);
    const std::vector<V3> inner = circle(hub, u, v, radius * 0.93, sides);
    part.vertices.insert(part.vertices.end(), outer.begin(), outer.end());
    part.vertices.insert(part.vertices.end(), inner.begin(), inner.end());
    for (int k = 0; k < sides; ++k) {
        const int next = (k + 1) % sides;
        part.faces.push_back({base + k, base + next, base + sides + next, base + sides + k});
        part.insides.push_back(below);
    }
    return part;
}

void shift(Part& part, V3 offset)
{
    for (V3& v : part.vertices)
        v = v + offset;
    for (V3& v : part.insides)
        v = v + offset;
}

std::string acModelText(const AcModel& model)
{
    std::string text = "AC3Db\n";
    for (size_t paint = 0; paint < model.paints.size(); ++paint) {
        for (int shade = 0; shade < SHADES; ++shade) {
            const double f = 0.52 + 0.48 * shade / (SHADES - 1);
            const Paint& c = model.paints[paint];
            appendf(text,
                    "MATERIAL \"paint%zu_%d\" rgb %.3f %.3f %.3f  amb %.3f %.3f %.3f  emis 0 0 0  spec 0.1 0.1 0.1  shi 16  trans 0\n",
                    paint, shade, c.r * f, c.g * f, c.b * f, c.r * f, c.g * f, c.b * f);
        }
    }
    // Light from above, a little ahead and to the left.
    const V3 light = V3{-0.35, 0.85, 0.40} * (1.0 / std::sqrt(0.35 * 0.35 + 0.85 * 0.85 + 0.40 * 0.40));
    appendf(text, "OBJECT world\nkids %zu\n", model.parts.size());
    for (const Part& part : model.parts) {
        appendf(text, "OBJECT poly\nname \"%s\"\nnumvert %zu\n", part.name, part.vertices.size());
        for (const V3& v : part.vertices)
            appendf(text, "%.5f %.5f %.5f\n", v.x, v.y, v.z);
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
        appendf(text, "numsurf %zu\n", surfaceCount);
        text += surfaces;
        text += "kids 0\n";
    }
    return text;
}

bool writeAcModel(const AcModel& model, const std::string& path)
{
    try {
        tools::writeFileAtomically(path, acModelText(model));
    } catch (const tools::ToolError&) {
        return false;
    }
    return true;
}

} // namespace flightreplay::assets
