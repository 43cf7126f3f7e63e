#include "tools/studio/page/model_mesh.h"

#include <algorithm>
#include <cmath>

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Material>
#include <osg/NodeVisitor>
#include <osg/TriangleIndexFunctor>

namespace flightreplay::page {

namespace {

struct TriangleIndices {
    std::vector<unsigned> indices;
    void operator()(unsigned a, unsigned b, unsigned c)
    {
        indices.push_back(a);
        indices.push_back(b);
        indices.push_back(c);
    }
};

uint8_t byteOf(float channel)
{
    return static_cast<uint8_t>(std::lround(std::clamp(channel, 0.0f, 1.0f) * 255.0f));
}

class MeshCollector : public osg::NodeVisitor {
public:
    MeshCollector(ModelMesh& mesh, double metresPerUnit)
        : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN), mesh_(mesh), scale_(metresPerUnit)
    {
    }

    void apply(osg::Node& node) override
    {
        // Materials nearer the geometry win over those above them.
        const size_t depth = materials_.size();
        if (const osg::StateSet* state = node.getStateSet())
            if (auto* material = dynamic_cast<const osg::Material*>(state->getAttribute(osg::StateAttribute::MATERIAL)))
                materials_.push_back(material->getDiffuse(osg::Material::FRONT));
        if (osg::Geometry* geometry = node.asGeometry())
            addGeometry(*geometry);
        traverse(node);
        materials_.resize(depth);
    }

private:
    void addGeometry(osg::Geometry& geometry)
    {
        const auto* vertices = dynamic_cast<const osg::Vec3Array*>(geometry.getVertexArray());
        if (!vertices || vertices->empty())
            return;
        // The path ends at this geometry; the transforms above it place it.
        const osg::Matrixd place = osg::computeLocalToWorld(getNodePath());
        osg::Vec4 plain = materials_.empty() ? osg::Vec4(1, 1, 1, 1) : materials_.back();
        const auto* colours = dynamic_cast<const osg::Vec4Array*>(geometry.getColorArray());
        const bool perVertex = colours && geometry.getColorBinding() == osg::Geometry::BIND_PER_VERTEX
                               && colours->size() >= vertices->size();
        if (colours && !colours->empty() && geometry.getColorBinding() == osg::Geometry::BIND_OVERALL)
            plain = colours->front();

        osg::TriangleIndexFunctor<TriangleIndices> triangles;
        geometry.accept(triangles);
        for (size_t t = 0; t + 2 < triangles.indices.size(); t += 3) {
            const unsigned* corner = &triangles.indices[t];
            if (std::max({corner[0], corner[1], corner[2]}) >= vertices->size())
                continue;
            osg::Vec4 colour = plain;
            if (perVertex)
                colour = ((*colours)[corner[0]] + (*colours)[corner[1]] + (*colours)[corner[2]]) / 3.0f;
            for (size_t c = 0; c < 3; ++c) {
                const osg::Vec3d at = osg::Vec3d((*vertices)[corner[c]]) * place * scale_;
                for (int axis = 0; axis < 3; ++axis)
                    mesh_.corners.push_back(static_cast<float>(at[axis]));
            }
            mesh_.colours.push_back(byteOf(colour.r()));
            mesh_.colours.push_back(byteOf(colour.g()));
            mesh_.colours.push_back(byteOf(colour.b()));
        }
    }

    ModelMesh& mesh_;
    double scale_;
    std::vector<osg::Vec4> materials_;
};

} // namespace

ModelMesh modelMesh(osg::Node& model, double metresPerUnit)
{
    ModelMesh mesh;
    MeshCollector collector(mesh, metresPerUnit);
    model.accept(collector);
    return mesh;
}

} // namespace flightreplay::page
