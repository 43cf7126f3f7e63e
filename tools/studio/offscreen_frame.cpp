#include "tools/studio/offscreen_frame.h"

#include <cstdlib>

#include <osg/GL>
#include <osg/Notify>
#include <osgDB/WriteFile>

#include "tools/studio/headless_context.h"

namespace flightreplay::studio {

namespace {

// Reads the back buffer after the camera has drawn, before any swap.
class ReadBack : public osg::Camera::DrawCallback {
public:
    explicit ReadBack(osg::Image* image) : image_(image) {}

    void operator()(osg::RenderInfo& renderInfo) const override
    {
        const osg::Camera* camera = renderInfo.getCurrentCamera();
        const osg::Viewport* viewport = camera->getViewport();
        glReadBuffer(camera->getReadBuffer());
        image_->readPixels(static_cast<int>(viewport->x()), static_cast<int>(viewport->y()),
                           static_cast<int>(viewport->width()), static_cast<int>(viewport->height()), GL_RGB,
                           GL_UNSIGNED_BYTE);
    }

private:
    osg::ref_ptr<osg::Image> image_;
};

bool hasDisplay()
{
#ifdef _WIN32
    return true;
#else
    const char* display = std::getenv("DISPLAY");
    return display && *display;
#endif
}

// A pbuffer where the display offers one, else an undecorated window.
osg::ref_ptr<osg::GraphicsContext> createDisplayContext(int width, int height)
{
    osg::ref_ptr<osg::GraphicsContext::Traits> traits = new osg::GraphicsContext::Traits;
    traits->readDISPLAY();
    traits->setUndefinedScreenDetailsToDefaultScreen();
    traits->width = width;
    traits->height = height;
    traits->doubleBuffer = true;
    traits->depth = 24;
    traits->pbuffer = true;
    osg::ref_ptr<osg::GraphicsContext> context = osg::GraphicsContext::createGraphicsContext(traits.get());
    if (!context) {
        traits->pbuffer = false;
        traits->windowDecoration = false;
        traits->windowName = "flightreplay-studio offscreen";
        context = osg::GraphicsContext::createGraphicsContext(traits.get());
    }
    return context;
}

} // namespace

std::unique_ptr<OffscreenFrame> OffscreenFrame::create(int width, int height, std::string& error)
{
    const bool display = hasDisplay();
    osg::ref_ptr<osg::GraphicsContext> context;
    if (display)
        context = createDisplayContext(width, height);
    GLenum buffer = GL_BACK;
    if (!context) {
        std::string headlessError;
        context = createHeadlessContext(width, height, headlessError);
        if (!context) {
            error = (display ? "no OpenGL surface on this display, and " : "no X display (DISPLAY is not set), and ") +
                    headlessError + " (Mesa's EGL is the Debian package libegl-mesa0; or run under xvfb-run)";
            return nullptr;
        }
        buffer = headlessColourBuffer();
    }

    std::unique_ptr<OffscreenFrame> frame(new OffscreenFrame);
    frame->width_ = width;
    frame->height_ = height;
    frame->pbuffer_ = context->getTraits()->pbuffer;
    frame->headless_ = buffer != GL_BACK;
    frame->image_ = new osg::Image;
    frame->viewer_ = new osgViewer::Viewer;
    osgViewer::Viewer& viewer = *frame->viewer_;
    viewer.setThreadingModel(osgViewer::Viewer::SingleThreaded);
    // Nothing else draws in this thread: the context can stay current.
    viewer.setReleaseContextAtEndOfFrameHint(false);
    osg::Camera* camera = viewer.getCamera();
    camera->setGraphicsContext(context.get());
    camera->setViewport(0, 0, width, height);
    camera->setProjectionMatrixAsPerspective(30.0, static_cast<double>(width) / height, 1.0, 1000.0);
    camera->setDrawBuffer(buffer);
    camera->setReadBuffer(buffer);
    camera->setFinalDrawCallback(new ReadBack(frame->image_.get()));
    return frame;
}

OffscreenFrame::~OffscreenFrame()
{
    if (viewer_)
        viewer_->setDone(true);
}

osg::ref_ptr<osg::Image> OffscreenFrame::render()
{
    if (!viewer_->isRealized())
        viewer_->realize();
    viewer_->frame();
    osg::ref_ptr<osg::Image> copy = new osg::Image(*image_, osg::CopyOp::DEEP_COPY_ALL);
    return copy;
}

bool writePicture(const osg::Image& image, const std::string& path)
{
    // The plug-in's own complaint would be a second line beside the studio's.
    const osg::NotifySeverity saved = osg::getNotifyLevel();
    osg::setNotifyLevel(osg::FATAL);
    const bool written = osgDB::writeImageFile(image, path);
    osg::setNotifyLevel(saved);
    return written;
}

} // namespace flightreplay::studio
