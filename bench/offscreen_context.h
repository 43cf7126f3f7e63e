#pragma once
// The benchmarks draw into an offscreen buffer of a fixed size, so that the
// figures do not depend on a window manager.

#include <osg/GraphicsContext>
#include <osg/ref_ptr>

// A single-buffered pbuffer of width x height on $DISPLAY, or an undecorated
// window where the X server offers no pbuffer; null without a display.
inline osg::ref_ptr<osg::GraphicsContext> createOffscreenContext(int width, int height)
{
    osg::ref_ptr<osg::GraphicsContext::Traits> traits = new osg::GraphicsContext::Traits;
    traits->readDISPLAY();
    traits->setUndefinedScreenDetailsToDefaultScreen();
    traits->width = width;
    traits->height = height;
    traits->pbuffer = true;
    traits->doubleBuffer = false;
    traits->depth = 24;
    osg::ref_ptr<osg::GraphicsContext> context = osg::GraphicsContext::createGraphicsContext(traits.get());
    if (!context) {
        traits->pbuffer = false;
        traits->windowDecoration = false;
        context = osg::GraphicsContext::createGraphicsContext(traits.get());
    }
    return context;
}
