#include <gtest/gtest.h>

#include <cstdlib>

#include <osg/Geode>
#include <osg/ShapeDrawable>
#include <osg/Texture2D>

#include "scene/sky_dome.h"
#include "scene_files.h"
#include "support/test_support.h"

namespace {

// The one sphere the sky is drawn on, 200 units round the origin; null
// when the group holds anything else.
osg::Geode* skyGeodeOf(osg::Group& sky)
{
    if (sky.getNumChildren() != 1)
        return nullptr;
    osg::Geode* geode = sky.getChild(0)->asGeode();
    if (!geode || geode->getNumDrawables() != 1)
        return nullptr;
    const auto* drawable = dynamic_cast<const osg::ShapeDrawable*>(geode->getDrawable(0));
    const auto* sphere = drawable ? dynamic_cast<const osg::Sphere*>(drawable->getShape()) : nullptr;
    EXPECT_NE(sphere, nullptr);
    if (!sphere)
        return nullptr;
    EXPECT_EQ(sphere->getCenter(), osg::Vec3(0, 0, 0));
    EXPECT_EQ(sphere->getRadius(), 200.0f);
    return geode;
}

TEST(SkyDome, WithoutThePictureTheSphereIsUntextured)
{
    TempWorkingDir dir;
    osg::ref_ptr<osg::Group> sky;
    EXPECT_EQ(captureStdout([&] { sky = buildSkyDome(); }), "");
    ASSERT_NE(sky, nullptr);
    osg::Geode* geode = skyGeodeOf(*sky);
    ASSERT_NE(geode, nullptr);
    const osg::StateSet* state = geode->getStateSet();
    EXPECT_TRUE(!state || state->getTextureAttributeList().empty());
}

TEST(SkyDome, ThePictureIsReadAndSwitchedOnForUnitZero)
{
    TempWorkingDir dir;
    ASSERT_TRUE(writeBandedSky("sky12q-1024x512.jpeg", 1024, 512, 64));
    // A picture under another name is not the sky.
    ASSERT_TRUE(writeSolidJpeg("sky.jpeg", 8, 8, SKY_PURPLE));

    osg::ref_ptr<osg::Group> sky;
    EXPECT_EQ(captureStdout([&] { sky = buildSkyDome(); }), "");
    ASSERT_NE(sky, nullptr);
    osg::Geode* geode = skyGeodeOf(*sky);
    ASSERT_NE(geode, nullptr);
    const osg::StateSet* state = geode->getStateSet();
    ASSERT_NE(state, nullptr);
    const auto* texture =
        dynamic_cast<const osg::Texture2D*>(state->getTextureAttribute(0, osg::StateAttribute::TEXTURE));
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(state->getTextureMode(0, GL_TEXTURE_2D), osg::StateAttribute::ON);
    // Clamped to the edge texels: no seam where the picture's ends meet.
    EXPECT_EQ(texture->getWrap(osg::Texture::WRAP_S), osg::Texture::CLAMP_TO_EDGE);
    EXPECT_EQ(texture->getWrap(osg::Texture::WRAP_T), osg::Texture::CLAMP_TO_EDGE);

    const osg::Image* image = texture->getImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->s(), 1024);
    EXPECT_EQ(image->t(), 512);
    // The decoded top and bottom bands: orange at the top, purple at the bottom
    // (eight bands of 64 rows).
    const unsigned char* top = image->data(500, 511 - 32);
    const unsigned char* bottom = image->data(500, 32);
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_LE(std::abs(top[channel] - SKY_ORANGE[channel]), 12) << channel;
        EXPECT_LE(std::abs(bottom[channel] - SKY_PURPLE[channel]), 12) << channel;
    }
}

} // namespace

// A picture handed over (the companion programs' built-in sky) is the
// texture as it is, and no file is looked for.
TEST(SkyDome, AGivenPictureIsTheTexture)
{
    TempWorkingDir dir;
    osg::ref_ptr<osg::Image> picture = new osg::Image;
    picture->allocateImage(16, 8, 1, GL_RGB, GL_UNSIGNED_BYTE);
    osg::ref_ptr<osg::Group> sky;
    EXPECT_EQ(captureStdout([&] { sky = buildSkyDome(picture.get()); }), "");
    ASSERT_NE(sky, nullptr);
    osg::Geode* geode = skyGeodeOf(*sky);
    ASSERT_NE(geode, nullptr);
    const auto* texture =
        dynamic_cast<const osg::Texture2D*>(geode->getStateSet()->getTextureAttribute(0, osg::StateAttribute::TEXTURE));
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getImage(), picture.get());
    EXPECT_EQ(texture->getWrap(osg::Texture::WRAP_S), osg::Texture::CLAMP_TO_EDGE);
}
