#pragma once
// A vehicle model as the page draws it: its triangles, each with one colour,
// in metres in the model's own axes (nose along -x, top along +y, left wing
// along +z), ready for the page's WebGL library.

#include <cstdint>
#include <vector>

#include <osg/Node>

namespace flightreplay::page {

struct ModelMesh {
    std::vector<float> corners;         // x, y, z of each triangle's three corners in turn
    std::vector<uint8_t> colours;       // r, g, b of each triangle
};

// The triangles of every geometry under model, through the transforms
// between (scaled by metresPerUnit, from the model's units to metres), each
// coloured by its geometry's colour array or else the nearest material's
// diffuse colour (white without either). Textures are left out.
ModelMesh modelMesh(osg::Node& model, double metresPerUnit);

} // namespace flightreplay::page
