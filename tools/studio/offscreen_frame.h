#pragma once
// Pictures without a window: a viewer that draws into an offscreen buffer
// (on an X display a pbuffer where it offers one, else an undecorated
// window; without a display an EGL context's framebuffer) and reads every
// frame back into memory.

#include <memory>
#include <string>

#include <osg/Image>
#include <osgViewer/Viewer>

namespace flightreplay::studio {

class OffscreenFrame {
public:
    // A single-threaded viewer with a width x height surface and a 30 degree
    // perspective; nullptr with a one-line reason in error when no surface
    // can be made (neither a display nor EGL, no OpenGL).
    static std::unique_ptr<OffscreenFrame> create(int width, int height, std::string& error);

    // Give it a scene and a camera manipulator before the first render.
    osgViewer::Viewer& viewer() { return *viewer_; }
    int width() const { return width_; }
    int height() const { return height_; }
    bool usesPbuffer() const { return pbuffer_; }
    // True when drawing through EGL without any display.
    bool headless() const { return headless_; }

    // Draws one frame and returns its pixels: RGB, 8 bits each, rows from
    // the bottom up as OpenGL reads them (the image's origin is bottom left).
    osg::ref_ptr<osg::Image> render();

    ~OffscreenFrame();

private:
    OffscreenFrame() = default;

    osg::ref_ptr<osgViewer::Viewer> viewer_;
    osg::ref_ptr<osg::Image> image_;
    int width_ = 0;
    int height_ = 0;
    bool pbuffer_ = false;
    bool headless_ = false;
};

// Writes a picture with the OSG plug-in for the file's extension (PNG for
// .png); false when it cannot be written.
bool writePicture(const osg::Image& image, const std::string& path);

} // namespace flightreplay::studio
