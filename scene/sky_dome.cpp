#include "scene/sky_dome.h"

#include <osg/Geode>
#include <osg/ShapeDrawable>
#include <osg/Texture2D>
#include <osgDB/ReadFile>

#include "frame/jpeg_header_check.h"

osg::Group* buildSkyDome()
{
    const char* const skyPath = SKY_IMAGE_PATH;
    osg::ref_ptr<osg::Image> image =
        jpegHeaderFits(skyPath) ? osgDB::readImageFile(skyPath, osgDB::Registry::instance()->getOptions()) : nullptr;
    return buildSkyDome(image.get());
}

osg::Group* buildSkyDome(osg::Image* image)
{
    osg::ref_ptr<osg::Group> group = new osg::Group;
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    osg::ref_ptr<osg::StateSet> stateSet = new osg::StateSet;

    if (image) {
        osg::ref_ptr<osg::Texture2D> texture = new osg::Texture2D;
        texture->setImage(image);
        // The default CLAMP mixes the picture's edges with the black border
        // colour: a dark line down the meridian where its sides meet.
        texture->setWrap(osg::Texture::WRAP_S, osg::Texture::CLAMP_TO_EDGE);
        texture->setWrap(osg::Texture::WRAP_T, osg::Texture::CLAMP_TO_EDGE);
        stateSet->setTextureAttributeAndModes(0, texture.get(), osg::StateAttribute::ON);
    }
    geode->setStateSet(stateSet.get());

    osg::ref_ptr<osg::TessellationHints> hints = new osg::TessellationHints;
    hints->setDetailRatio(1.0f);
    osg::ref_ptr<osg::Sphere> sphere = new osg::Sphere(osg::Vec3(0, 0, 0), 200.0f);
    geode->addDrawable(new osg::ShapeDrawable(sphere.get(), hints.get()));
    group->addChild(geode.get());
    return group.release();
}
