#include <gtest/gtest.h>

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Material>
#include <osg/MatrixTransform>

#include "tools/studio/page/model_mesh.h"

using flightreplay::page::ModelMesh;
using flightreplay::page::modelMesh;

namespace {

// A unit square in the x-y plane from (0, 0) to (1, 1) as one quad.
osg::ref_ptr<osg::Geometry> square()
{
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    osg::ref_ptr<osg::Vec3Array> corners = new osg::Vec3Array;
    corners->push_back(osg::Vec3(0, 0, 0));
    corners->push_back(osg::Vec3(1, 0, 0));
    corners->push_back(osg::Vec3(1, 1, 0));
    corners->push_back(osg::Vec3(0, 1, 0));
    geometry->setVertexArray(corners.get());
    geometry->addPrimitiveSet(new osg::DrawArrays(GL_QUADS, 0, 4));
    return geometry;
}

} // namespace

TEST(ModelMesh, TrianglesPlacedByTheTransformsInMetres)
{
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(square().get());
    osg::ref_ptr<osg::MatrixTransform> moved =
        new osg::MatrixTransform(osg::Matrix::scale(2, 2, 2) * osg::Matrix::translate(10, 0, 0));
    moved->addChild(geode.get());
    // Scene units of 100 m: the square, doubled then moved 10 units along x,
    // spans 1000 ... 1200 m along x and 0 ... 200 m along y.
    const ModelMesh mesh = modelMesh(*moved, 100.0);
    ASSERT_EQ(mesh.corners.size(), 2u * 3u * 3u);
    float lowX = 1e9f, highX = -1e9f, highY = -1e9f;
    for (size_t i = 0; i < mesh.corners.size(); i += 3) {
        lowX = std::min(lowX, mesh.corners[i]);
        highX = std::max(highX, mesh.corners[i]);
        highY = std::max(highY, mesh.corners[i + 1]);
        EXPECT_FLOAT_EQ(mesh.corners[i + 2], 0.0f);
    }
    EXPECT_FLOAT_EQ(lowX, 1000.0f);
    EXPECT_FLOAT_EQ(highX, 1200.0f);
    EXPECT_FLOAT_EQ(highY, 200.0f);
}

TEST(ModelMesh, ColoursFromColourArrayElseNearestMaterial)
{
    osg::ref_ptr<osg::Geometry> painted = square();
    osg::ref_ptr<osg::Vec4Array> red = new osg::Vec4Array;
    red->push_back(osg::Vec4(1, 0, 0, 1));
    painted->setColorArray(red.get(), osg::Array::BIND_OVERALL);
    osg::ref_ptr<osg::Geometry> plain = square();
    osg::ref_ptr<osg::Material> blue = new osg::Material;
    blue->setDiffuse(osg::Material::FRONT_AND_BACK, osg::Vec4(0, 0, 1, 1));
    plain->getOrCreateStateSet()->setAttribute(blue.get());
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    osg::ref_ptr<osg::Material> green = new osg::Material;
    green->setDiffuse(osg::Material::FRONT_AND_BACK, osg::Vec4(0, 1, 0, 1));
    geode->getOrCreateStateSet()->setAttribute(green.get());
    geode->addDrawable(painted.get());
    geode->addDrawable(plain.get());
    geode->addDrawable(square().get());

    const ModelMesh mesh = modelMesh(*geode, 1.0);
    const std::vector<uint8_t> expected = {255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255, 0, 255, 0, 0, 255, 0};
    EXPECT_EQ(mesh.colours, expected);
}
