#include "tools/studio/offscreen_frame.h"

#include <osg/GL>
#include <osgDB/WriteFile>

namespace flightreplay::studio {

namespace {

// Reads the back buffer after the camera has drawn, before any swap.
class ReadBack : public osg::Camera::DrawCallback {
public:
    explicit ReadBack(osg::Image* image) : image_(image) {}

    void operator()(osg::RenderInfo& renderInfo) const override
    {
        const osg::Viewport* viewport = renderInfo.getCurrentCamera()->getViewport();
        glReadBuffer(GL_BACK);
        image_->readPixels(static_cast<int>(viewport->x()), static_cast<int>(viewport->y()),
                           static_cast<int>(viewport->width()), static_cast<int>(viewport->height()), GL_RGB,
                           GL_UNSIGNED_BYTE);
    }

private:
    osg::ref_ptr<osg::Image> image_;
};

} // namespace

std::unique_ptr<OffscreenFrame> OffscreenFrame::create(int width, int height, std::string& error)
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
    if (!context) {
        error = "no OpenGL surface for offscreen drawing on this display";
        return nullptr;
    }

    std::unique_ptr<OffscreenFrame> frame(new OffscreenFrame);
    frame->width_ = width;
    frame->height_ = height;
    frame->pbuffer_ = traits->pbuffer;
    frame->image_ = new osg::Image;
    frame->viewer_ = new osgViewer::Viewer;
    osgViewer::Viewer& viewer = *frame->viewer_;
    viewer.setThreadingModel(osgViewer::Viewer::SingleThreaded);
    osg::Camera* camera = viewer.getCamera();
    camera->setGraphicsContext(context.get());
    camera->setViewport(0, 0, width, height);
    camera->setProjectionMatrixAsPerspective(30.0, static_cast<double>(width) / height, 1.0, 1000.0);
    camera->setDrawBuffer(GL_BACK);
    camera->setReadBuffer(GL_BACK);
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
    return osgDB::writeImageFile(image, path);
}

} // namespace flightreplay::studio
