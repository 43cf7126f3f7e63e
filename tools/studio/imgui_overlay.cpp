#include "tools/studio/imgui_overlay.h"

#include <algorithm>
#include <cfloat>

#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>
#include <osg/GLExtensions>

#include "tools/studio/panel_font.h"

namespace flightreplay::studio {

namespace {

constexpr int BUTTONS = 3;

// Mouse state between frames. A button pressed and released within one
// frame still reaches ImGui as a click: its release waits for the next frame.
struct MouseQueue {
    float x = -FLT_MAX;
    float y = -FLT_MAX;
    bool down[BUTTONS] = {};
    bool pressedThisFrame[BUTTONS] = {};
    bool releaseLater[BUTTONS] = {};
    float wheel = 0.0f;
};

int buttonIndex(int osgButton)
{
    switch (osgButton) {
    case osgGA::GUIEventAdapter::LEFT_MOUSE_BUTTON:
        return 0;
    case osgGA::GUIEventAdapter::RIGHT_MOUSE_BUTTON:
        return 1;
    case osgGA::GUIEventAdapter::MIDDLE_MOUSE_BUTTON:
        return 2;
    default:
        return -1;
    }
}

class ImGuiEvents : public osgGA::GUIEventHandler {
public:
    explicit ImGuiEvents(MouseQueue& mouse) : mouse_(mouse) {}

    bool handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter&) override
    {
        const ImGuiIO& io = ImGui::GetIO();
        switch (ea.getEventType()) {
        case osgGA::GUIEventAdapter::PUSH:
        case osgGA::GUIEventAdapter::RELEASE:
        case osgGA::GUIEventAdapter::MOVE:
        case osgGA::GUIEventAdapter::DRAG:
        case osgGA::GUIEventAdapter::SCROLL:
            break;
        case osgGA::GUIEventAdapter::KEYDOWN:
        case osgGA::GUIEventAdapter::KEYUP:
            return io.WantTextInput;
        default:
            return false;
        }
        placePointer(ea);
        const int button = buttonIndex(ea.getButton());
        if (ea.getEventType() == osgGA::GUIEventAdapter::PUSH && button >= 0) {
            mouse_.down[button] = true;
            mouse_.pressedThisFrame[button] = true;
            mouse_.releaseLater[button] = false;
        } else if (ea.getEventType() == osgGA::GUIEventAdapter::RELEASE && button >= 0) {
            if (mouse_.pressedThisFrame[button])
                mouse_.releaseLater[button] = true;
            else
                mouse_.down[button] = false;
        } else if (ea.getEventType() == osgGA::GUIEventAdapter::SCROLL) {
            if (ea.getScrollingMotion() == osgGA::GUIEventAdapter::SCROLL_UP)
                mouse_.wheel += 1.0f;
            else if (ea.getScrollingMotion() == osgGA::GUIEventAdapter::SCROLL_DOWN)
                mouse_.wheel -= 1.0f;
        }
        return io.WantCaptureMouse;
    }

private:
    void placePointer(const osgGA::GUIEventAdapter& ea)
    {
        const float width = ea.getXmax() - ea.getXmin();
        const float height = ea.getYmax() - ea.getYmin();
        if (width <= 0.0f || height <= 0.0f)
            return;
        const float fx = (ea.getX() - ea.getXmin()) / width;
        float fy = (ea.getY() - ea.getYmin()) / height;
        if (ea.getMouseYOrientation() == osgGA::GUIEventAdapter::Y_INCREASING_UPWARDS)
            fy = 1.0f - fy;
        mouse_.x = fx * static_cast<float>(ea.getWindowWidth());
        mouse_.y = fy * static_cast<float>(ea.getWindowHeight());
    }

    MouseQueue& mouse_;
};

class ImGuiDraw : public osg::Camera::DrawCallback {
public:
    ImGuiDraw(MouseQueue& mouse, std::function<void()> panels) : mouse_(mouse), panels_(std::move(panels)) {}

    void operator()(osg::RenderInfo& renderInfo) const override
    {
        osg::State* state = renderInfo.getState();
        const osg::Viewport* viewport = renderInfo.getCurrentCamera()->getViewport();
        if (!state || !viewport)
            return;
        if (!initialised_) {
            ImGui_ImplOpenGL2_Init();
            initialised_ = true;
        }
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(static_cast<float>(viewport->width()), static_cast<float>(viewport->height()));
        const double now = state->getFrameStamp() ? state->getFrameStamp()->getReferenceTime() : 0.0;
        io.DeltaTime = lastTime_ >= 0.0 ? static_cast<float>(std::max(now - lastTime_, 1e-4)) : 1.0f / 60.0f;
        lastTime_ = now;
        io.MousePos = ImVec2(mouse_.x, mouse_.y);
        for (int b = 0; b < BUTTONS; ++b)
            io.MouseDown[b] = mouse_.down[b];
        io.MouseWheel = mouse_.wheel;
        mouse_.wheel = 0.0f;

        ImGui_ImplOpenGL2_NewFrame();
        ImGui::NewFrame();
        panels_();
        ImGui::Render();

        for (int b = 0; b < BUTTONS; ++b) {
            mouse_.pressedThisFrame[b] = false;
            if (mouse_.releaseLater[b])
                mouse_.down[b] = mouse_.releaseLater[b] = false;
        }

        // The backend draws from client-side arrays on texture unit 0: a
        // vertex buffer left bound by the scene would turn its pointers into
        // offsets, and OSG leaves the client texture unit where its last
        // array was. The units go back to where OSG believes they are.
        state->disableAllVertexArrays();
        state->unbindVertexBufferObject();
        state->unbindElementBufferObject();
        const osg::GLExtensions* gl = state->get<osg::GLExtensions>();
        GLint activeUnit = GL_TEXTURE0;
        GLint clientUnit = GL_TEXTURE0;
        glGetIntegerv(GL_ACTIVE_TEXTURE, &activeUnit);
        glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE, &clientUnit);
        gl->glActiveTexture(GL_TEXTURE0);
        gl->glClientActiveTexture(GL_TEXTURE0);
        ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
        gl->glClientActiveTexture(static_cast<GLenum>(clientUnit));
        gl->glActiveTexture(static_cast<GLenum>(activeUnit));
        state->dirtyAllVertexArrays();
        state->dirtyAllModes();
        state->dirtyAllAttributes();
    }

private:
    MouseQueue& mouse_;
    std::function<void()> panels_;
    mutable bool initialised_ = false;
    mutable double lastTime_ = -1.0;
};

} // namespace

void attachImGuiOverlay(osgViewer::Viewer& viewer, std::function<void()> panels)
{
    static MouseQueue mouse;
    if (!ImGui::GetCurrentContext()) {
        ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        io.LogFilename = nullptr;
        addPanelFont(io);
        ImGui::StyleColorsDark();
        ImGui::GetStyle().Alpha = 0.92f;
    }
    viewer.getEventHandlers().push_front(new ImGuiEvents(mouse));
    viewer.getCamera()->setPostDrawCallback(new ImGuiDraw(mouse, std::move(panels)));
}

} // namespace flightreplay::studio
