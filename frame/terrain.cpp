#include "frame/terrain.h"

#include <cstdio>

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Texture2D>
#include <osgDB/ReadFile>

#include "frame/elevation_tile.h"
#include "frame/jpeg_header_check.h"
#include "frame/map_frame.h"
#include "frame/terrain_tiles.h"
#include "log/console_report.h"

namespace {

osg::Geometry* buildTileGeometry(const TerrainTile& tile)
{
    const int32_t n = tile.northRow;
    const int32_t w = tile.westCol;
    const int32_t p = tile.span;
    const double lift = tile.zoom * LEVEL_LIFT;
    const int hNW = elevationAt(n, w);
    const int hSW = elevationAt(n + p, w);
    const int hSE = elevationAt(n + p, w + p);
    const int hNE = elevationAt(n, w + p);

    // Counter-clockwise seen from above, so the front face points up.
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    vertices->push_back(gridToScene(n, w, hNW + lift));
    vertices->push_back(gridToScene(n + p, w, hSW + lift));
    vertices->push_back(gridToScene(n + p, w + p, hSE + lift));
    vertices->push_back(gridToScene(n, w + p, hNE + lift));

    // The picture's top edge lies on the tile's north side.
    osg::ref_ptr<osg::Vec2Array> texCoords = new osg::Vec2Array;
    texCoords->push_back(osg::Vec2(0, 1));
    texCoords->push_back(osg::Vec2(0, 0));
    texCoords->push_back(osg::Vec2(1, 0));
    texCoords->push_back(osg::Vec2(1, 1));

    osg::ref_ptr<osg::Vec3Array> normals = new osg::Vec3Array;
    normals->push_back(osg::Vec3(0, 0, 1));
    osg::ref_ptr<osg::Vec4Array> colors = new osg::Vec4Array;
    colors->push_back(osg::Vec4(1, 1, 1, 1));

    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setVertexArray(vertices.get());
    geometry->setTexCoordArray(0, texCoords.get());
    geometry->setNormalArray(normals.get(), osg::Array::BIND_OVERALL);
    geometry->setColorArray(colors.get(), osg::Array::BIND_OVERALL);
    geometry->addPrimitiveSet(new osg::DrawArrays(GL_QUADS, 0, 4));
    return geometry.release();
}

} // namespace

osg::Group* buildTerrain()
{
    osg::ref_ptr<osg::Group> group = new osg::Group;
    forEachTerrainTile(mapFrame.CI, mapFrame.CJ, [&](const TerrainTile& tile) {
        const std::string imageName = terrainImageName(tile);
        report("img:%s\n", imageName.c_str());

        osg::Geometry* geometry = buildTileGeometry(tile);
        osg::ref_ptr<osg::Geode> geode = new osg::Geode;
        geode->addDrawable(geometry);
        group->addChild(geode.get());

        osg::ref_ptr<osg::Texture2D> texture = new osg::Texture2D;
        texture->setDataVariance(osg::Object::DYNAMIC);
        // The default CLAMP mixes the edge texels with the black border
        // colour, which draws a dark line along every tile border.
        texture->setWrap(osg::Texture::WRAP_S, osg::Texture::CLAMP_TO_EDGE);
        texture->setWrap(osg::Texture::WRAP_T, osg::Texture::CLAMP_TO_EDGE);
        texture->setImage(jpegHeaderFits(imageName)
                              ? osgDB::readImageFile(imageName, osgDB::Registry::instance()->getOptions())
                              : nullptr);
        geometry->getOrCreateStateSet()->setTextureAttributeAndModes(0, texture.get(), osg::StateAttribute::ON);
    });
    return group.release();
}
