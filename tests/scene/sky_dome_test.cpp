#include <gtest/gtest.h>

#include <cstdlib>

#include <osg/Geode>
#include <osg/ShapeDrawable>
#include <osg/Texture2D>

#include "scene/sky_dome.h"
#include "scene_files.h"
#include "support/test_support.h"

namespace {

// Checks group > geode > one sphere drawable and returns the geode.
osg::Geode* skyGeodeOf(osg::Group& sky)
{
    EXPECT_STREQ(sky.className(), "Group");
    EXPECT_EQ(sky.getUpdateCallback(), nullptr);
    EXPECT_EQ(sky.getStateSet(), nullptr);
    EXPECT_EQ(sky.getNumChildren(), 1u);
    if (sky.getNumChildren() != 1)
        return nullptr;
    osg::Geode* geode = sky.getChild(0)->asGeode();
    EXPECT_NE(geode, nullptr);
    if (!geode)
        return nullptr;
    EXPECT_EQ(geode->getNumDrawables(), 1u);
    const auto* drawable = dynamic_cast<const osg::ShapeDrawable*>(geode->getDrawable(0));
    EXPECT_NE(drawable, nullptr);
    if (!drawable)
        return geode;
    const auto* sphere = dynamic_cast<const osg::Sphere*>(drawable->getShape());
    EXPECT_NE(sphere, nullptr);
    if (sphere) {
        EXPECT_EQ(sphere->getCenter(), osg::Vec3(0, 0, 0));
        EXPECT_EQ(sphere->getRadius(), 200.0f);
    }
    const osg::TessellationHints* hints = drawable->getTessellationHints();
    EXPECT_NE(hints, nullptr);
    if (hints) {
        EXPECT_EQ(hints->getDetailRatio(), 1.0f);
        EXPECT_TRUE(hints->getCreateFrontFace());
        EXPECT_FALSE(hints->getCreateBackFace());
    }
    EXPECT_EQ(drawable->getStateSet(), nullptr);
    return geode;
}

TEST(SkyDome, WithoutThePictureTheSphereHasAnEmptyStateSet)
{
    TempWorkingDir dir;
    osg::ref_ptr<osg::Group> sky;
    EXPECT_EQ(captureStdout([&] { sky = buildSkyDome(); }), "");
    ASSERT_NE(sky, nullptr);
    osg::Geode* geode = skyGeodeOf(*sky);
    ASSERT_NE(geode, nullptr);
    const osg::StateSet* state = geode->getStateSet();
    ASSERT_NE(state, nullptr);
    EXPECT_TRUE(state->getTextureAttributeList().empty());
    EXPECT_TRUE(state->getTextureModeList().empty());
    EXPECT_TRUE(state->getAttributeList().empty());
    EXPECT_TRUE(state->getModeList().empty());
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
    EXPECT_EQ(state->getTextureAttributeList().size(), 1u);
    // Clamped to the edge texels in S and T, everything else at the texture's defaults.
    EXPECT_EQ(texture->getWrap(osg::Texture::WRAP_S), osg::Texture::CLAMP_TO_EDGE);
    EXPECT_EQ(texture->getWrap(osg::Texture::WRAP_T), osg::Texture::CLAMP_TO_EDGE);
    EXPECT_EQ(texture->getFilter(osg::Texture::MIN_FILTER), osg::Texture::LINEAR_MIPMAP_LINEAR);
    osg::ref_ptr<osg::Texture2D> expected = new osg::Texture2D(const_cast<osg::Image*>(texture->getImage()));
    expected->setWrap(osg::Texture::WRAP_S, osg::Texture::CLAMP_TO_EDGE);
    expected->setWrap(osg::Texture::WRAP_T, osg::Texture::CLAMP_TO_EDGE);
    EXPECT_EQ(texture->compare(*expected), 0);

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
