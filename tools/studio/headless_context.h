#pragma once
// OpenGL without any window system: an EGL context on Mesa's surfaceless
// platform (or the first EGL device, as on a server GPU) whose drawing goes
// to a framebuffer object of the context's own, for servers and CI runners
// that have no X display.

#include <string>

#include <osg/GraphicsContext>
#include <osg/ref_ptr>

namespace flightreplay::studio {

// A desktop OpenGL context drawing into a width x height RGBA colour and
// 24-bit depth buffer that OSG treats as the context's default framebuffer:
// cameras drawing to it use GL_COLOR_ATTACHMENT0 as draw and read buffer
// (see headlessColourBuffer). Not realized yet; the viewer realizes it.
// nullptr with a one-line reason in error when this build or this machine
// offers no EGL display that can make such a context.
osg::ref_ptr<osg::GraphicsContext> createHeadlessContext(int width, int height, std::string& error);

// The draw and read buffer of a camera on a headless context.
unsigned int headlessColourBuffer();

} // namespace flightreplay::studio
