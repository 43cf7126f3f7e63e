#pragma once
// Models built from painted parts and written as AC3D text, in metres. The
// replay draws its scene without lighting, so the shading is baked into the
// materials: each face takes a lighter or darker shade of its part's paint
// after the angle between its normal and a light from above. Every surface
// is two-sided, so thin parts (blades, discs) show from both sides.

#include <string>
#include <vector>

namespace flightreplay::assets {

struct V3 {
    double x, y, z;
};

inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

struct Paint {
    double r, g, b; // 0 to 1
};

// One object of the file. `insides` holds, for each face, a point on the
// inner side of it: the face is turned to look away from that point.
struct Part {
    const char* name;
    int paint; // index into the model's paints
    std::vector<V3> vertices;
    std::vector<std::vector<int>> faces;
    std::vector<V3> insides;
};

struct AcModel {
    std::vector<Paint> paints;
    std::vector<Part> parts;
};

V3 centroidOf(const std::vector<V3>& points);

// Rings of equal size joined side by side, closed at both ends.
Part loft(const char* name, int paint, const std::vector<std::vector<V3>>& rings);

// Cross-section of a body at x: half width, top and bottom (y), a little
// squarer than an ellipse, like a foam fuselage; 14 points.
std::vector<V3> bodyRing(double x, double halfWidth, double top, double bottom, double centreZ = 0.0);

// Wing section at span position z: leading edge x, chord, height y of the
// chord line and thickness.
std::vector<V3> wingRing(double z, double leadingEdge, double chord, double y, double thickness);

// Vertical section at height y of a fin in the plane z = 0.
std::vector<V3> finRing(double y, double leadingEdge, double chord, double thickness);

// `count` points on a circle of `radius` about `centre` in the plane spanned
// by the unit vectors u and v.
std::vector<V3> circle(V3 centre, V3 u, V3 v, double radius, int count);

// A closed tube of `radius` from a to b.
Part tube(const char* name, int paint, V3 a, V3 b, double radius, int sides = 8);

// A box between two corners, edges along the axes.
Part box(const char* name, int paint, V3 low, V3 high);

// Rotor blades about `hub` turning about the unit `axis`, with a thin ring
// at the blade tips so that the disc reads when the blades are edge-on.
Part rotor(const char* name, int paint, V3 hub, V3 axis, double radius, int blades, double chord);

// Moves a part, vertices and inside points alike, by `offset`.
void shift(Part& part, V3 offset);

// The model as the text of an AC3D file.
std::string acModelText(const AcModel& model);

// Writes the text to `path`; false when the file cannot be written.
bool writeAcModel(const AcModel& model, const std::string& path);

} // namespace flightreplay::assets
