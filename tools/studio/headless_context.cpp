#include "tools/studio/headless_context.h"

#include <osg/GL>

#ifdef FLIGHTREPLAY_HAVE_EGL

#include <cstring>

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <osg/GLExtensions>

namespace flightreplay::studio {

namespace {

bool hasExtension(const char* extensions, const char* name)
{
    if (!extensions)
        return false;
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(extensions, name); at; at = std::strstr(at + length, name)) {
        const bool starts = at == extensions || at[-1] == ' ';
        const bool ends = at[length] == ' ' || at[length] == '\0';
        if (starts && ends)
            return true;
    }
    return false;
}

// Mesa's surfaceless platform needs no device node; the device platform is
// what a server GPU's driver offers instead.
EGLDisplay openDisplay(std::string& error)
{
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        error = "EGL offers no platform displays (EGL_EXT_platform_base)";
        return EGL_NO_DISPLAY;
    }
    EGLint major = 0;
    EGLint minor = 0;
    if (hasExtension(client, "EGL_MESA_platform_surfaceless")) {
        EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display != EGL_NO_DISPLAY && eglInitialize(display, &major, &minor))
            return display;
    }
    auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    if (hasExtension(client, "EGL_EXT_platform_device") && queryDevices) {
        EGLDeviceEXT devices[8];
        EGLint count = 0;
        if (queryDevices(8, devices, &count)) {
            for (EGLint i = 0; i < count; ++i) {
                EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr);
                if (display != EGL_NO_DISPLAY && eglInitialize(display, &major, &minor))
                    return display;
            }
        }
    }
    error = "EGL has neither a surfaceless display nor a device to draw on";
    return EGL_NO_DISPLAY;
}

class HeadlessContext : public osg::GraphicsContext {
public:
    HeadlessContext(Traits* traits, EGLDisplay display, EGLConfig config)
        : display_(display), config_(config)
    {
        _traits = traits;
        setState(new osg::State);
        getState()->setGraphicsContext(this);
        getState()->setContextID(osg::GraphicsContext::createNewContextID());
    }

    bool valid() const override { return display_ != EGL_NO_DISPLAY; }
    const char* libraryName() const override { return "flightreplay"; }
    const char* className() const override { return "HeadlessContext"; }

protected:
    ~HeadlessContext() override { closeImplementation(); }

    bool realizeImplementation() override
    {
        if (context_ != EGL_NO_CONTEXT)
            return true;
        eglBindAPI(EGL_OPENGL_API);
        context_ = eglCreateContext(display_, config_, EGL_NO_CONTEXT, nullptr);
        if (context_ == EGL_NO_CONTEXT)
            return false;
        if (!eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) || !makeFramebuffer()) {
            closeImplementation();
            return false;
        }
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        return true;
    }

    bool isRealizedImplementation() const override { return context_ != EGL_NO_CONTEXT; }

    void closeImplementation() override
    {
        if (context_ == EGL_NO_CONTEXT)
            return;
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display_, context_);
        context_ = EGL_NO_CONTEXT;
    }

    bool makeCurrentImplementation() override
    {
        // The viewer asks every frame; a switch to the same context is not free.
        if (context_ != EGL_NO_CONTEXT && eglGetCurrentContext() == context_)
            return true;
        if (!eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_))
            return false;
        if (framebuffer_)
            extensions_->glBindFramebuffer(GL_FRAMEBUFFER_EXT, framebuffer_);
        return true;
    }

    bool makeContextCurrentImplementation(osg::GraphicsContext*) override { return makeCurrentImplementation(); }

    bool releaseContextImplementation() override
    {
        return eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT) == EGL_TRUE;
    }

    void bindPBufferToTextureImplementation(GLenum) override {}

    // Nothing to present: the picture stays in the framebuffer for reading.
    void swapBuffersImplementation() override { glFlush(); }

private:
    // Freed with the context, which owns it.
    bool makeFramebuffer()
    {
        extensions_ = osg::GLExtensions::Get(getState()->getContextID(), true);
        if (!extensions_ || !extensions_->isFrameBufferObjectSupported)
            return false;
        const GLsizei width = _traits->width;
        const GLsizei height = _traits->height;
        GLuint buffers[2] = {0, 0};
        extensions_->glGenRenderbuffers(2, buffers);
        extensions_->glBindRenderbuffer(GL_RENDERBUFFER_EXT, buffers[0]);
        extensions_->glRenderbufferStorage(GL_RENDERBUFFER_EXT, GL_RGBA8, width, height);
        extensions_->glBindRenderbuffer(GL_RENDERBUFFER_EXT, buffers[1]);
        extensions_->glRenderbufferStorage(GL_RENDERBUFFER_EXT, GL_DEPTH24_STENCIL8_EXT, width, height);
        extensions_->glGenFramebuffers(1, &framebuffer_);
        extensions_->glBindFramebuffer(GL_FRAMEBUFFER_EXT, framebuffer_);
        extensions_->glFramebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT,
                                               buffers[0]);
        extensions_->glFramebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                               buffers[1]);
        extensions_->glFramebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_STENCIL_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                               buffers[1]);
        if (extensions_->glCheckFramebufferStatus(GL_FRAMEBUFFER_EXT) != GL_FRAMEBUFFER_COMPLETE_EXT)
            return false;
        // OSG binds this in place of framebuffer 0 after drawing into its own.
        setDefaultFboId(framebuffer_);
        return true;
    }

    EGLDisplay display_;
    EGLConfig config_;
    EGLContext context_ = EGL_NO_CONTEXT;
    GLuint framebuffer_ = 0;
    osg::GLExtensions* extensions_ = nullptr;
};

} // namespace

osg::ref_ptr<osg::GraphicsContext> createHeadlessContext(int width, int height, std::string& error)
{
    EGLDisplay display = openDisplay(error);
    if (display == EGL_NO_DISPLAY)
        return nullptr;
    if (!eglBindAPI(EGL_OPENGL_API)) {
        error = "EGL cannot make desktop OpenGL contexts";
        return nullptr;
    }
    // EGL's default asks for window surfaces, which a surfaceless display has none of.
    const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, wanted, &config, 1, &count) || count < 1) {
        error = "EGL offers no configuration for desktop OpenGL";
        return nullptr;
    }
    osg::ref_ptr<osg::GraphicsContext::Traits> traits = new osg::GraphicsContext::Traits;
    traits->width = width;
    traits->height = height;
    traits->doubleBuffer = false;
    traits->depth = 24;
    traits->pbuffer = true;
    return new HeadlessContext(traits.get(), display, config);
}

unsigned int headlessColourBuffer()
{
    return GL_COLOR_ATTACHMENT0_EXT;
}

} // namespace flightreplay::studio

#else

namespace flightreplay::studio {

osg::ref_ptr<osg::GraphicsContext> createHeadlessContext(int, int, std::string& error)
{
    error = "this build has no EGL for drawing without a display";
    return nullptr;
}

unsigned int headlessColourBuffer()
{
    return GL_COLOR_ATTACHMENT0_EXT;
}

} // namespace flightreplay::studio

#endif
