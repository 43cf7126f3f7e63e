#include "tools/studio/plan_overlay.h"

#include <cmath>
#include <cstdio>

#include <imgui.h>
#include <osg/Depth>
#include <osg/Geode>
#include <osg/Geometry>
#include <osgGA/EventVisitor>
#include <osgGA/GUIEventAdapter>
#include <osgViewer/View>

#include "tools/flight/elevation_lookup.h"
#include "tools/studio/plan_shapes.h"
#include "tools/studio/plan_view.h"
#include "tools/studio/window_pick.h"

namespace flightreplay::studio {

using namespace flight;

namespace {

constexpr double PICK_PIXELS = 14.0;
constexpr float CLICK_SLACK_PIXELS = 4.0f;

// What moves with the clock in one flight's overlay.
struct LiveParts {
    size_t flight;
    osg::ref_ptr<osg::Geode> current;      // the leg flown and its item
    osg::ref_ptr<osg::Vec3Array> legEnds;  // start, end of the leg
    osg::ref_ptr<osgText::Text> shotLabel; // the picked shot's index and time
    int shownLeg = -2;
    int shownShot = -2;
};

osg::ref_ptr<osg::Geode> currentLegShape(osg::ref_ptr<osg::Vec3Array>& ends)
{
    ends = new osg::Vec3Array(2);
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    colours->push_back(plan_colour::CURRENT);
    colours->push_back(plan_colour::CURRENT);
    osg::ref_ptr<osg::Geometry> leg = planGeometry(ends.get(), colours.get(), GL_LINES, 4.0f);
    osg::ref_ptr<osg::Geometry> item = planGeometry(ends.get(), colours.get(), GL_POINTS, 15.0f);
    item->setPrimitiveSet(0, new osg::DrawArrays(GL_POINTS, 1, 1));
    for (osg::Geometry* g : {leg.get(), item.get()}) {
        g->setDataVariance(osg::Object::DYNAMIC);
        g->setUseDisplayList(false);
        g->setUseVertexBufferObjects(true);
    }
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(leg.get());
    geode->addDrawable(item.get());
    geode->setNodeMask(0);
    // Over the path it lies on, which is drawn at the very same depth.
    osg::StateSet* state = geode->getOrCreateStateSet();
    state->setAttributeAndModes(new osg::Depth(osg::Depth::LEQUAL), osg::StateAttribute::ON);
    state->setRenderBinDetails(5, "RenderBin");
    return geode;
}

void showLeg(LiveParts& live, const FlightPlanView& view)
{
    if (view.leg == live.shownLeg)
        return;
    live.shownLeg = view.leg;
    if (view.leg < 1) {
        live.current->setNodeMask(0);
        return;
    }
    const PlanRoute& route = view.route;
    for (int end = 0; end < 2; ++end) {
        const RouteItem& r = route.items[static_cast<size_t>(route.path[static_cast<size_t>(view.leg - 1 + end)])];
        (*live.legEnds)[static_cast<unsigned>(end)] = planPoint(r.latDeg, r.lonDeg, drawnAltitude(route, r));
    }
    live.legEnds->dirty();
    for (unsigned i = 0; i < live.current->getNumDrawables(); ++i)
        live.current->getDrawable(i)->dirtyBound();
    live.current->setNodeMask(~0u);
}

void showShot(LiveParts& live, const FlightPlanView& view, const StudioFlight& flight)
{
    if (view.pickedShot == live.shownShot)
        return;
    live.shownShot = view.pickedShot;
    const std::vector<CameraShot>& shots = flight.flight->shots;
    if (view.pickedShot < 0 || view.pickedShot >= static_cast<int>(shots.size())) {
        live.shotLabel->setNodeMask(0);
        return;
    }
    const CameraShot& shot = shots[static_cast<size_t>(view.pickedShot)];
    char text[64];
    std::snprintf(text, sizeof text, " shot %d at %.1f s", shot.index, shot.t - flight.sampler->clockAtStart());
    live.shotLabel->setText(text);
    live.shotLabel->setPosition(planPoint(shot.latDeg, shot.lonDeg, shot.altM));
    live.shotLabel->setNodeMask(~0u);
}

class PlanUpdate : public osg::NodeCallback {
public:
    PlanUpdate(StudioState& state, osg::Node* content, std::vector<LiveParts> live)
        : state_(state), content_(content), live_(std::move(live))
    {
    }

    void operator()(osg::Node* node, osg::NodeVisitor* nv) override
    {
        content_->setNodeMask(state_.showPlan ? ~0u : 0u);
        for (LiveParts& live : live_) {
            const StudioFlight& flight = state_.flights[live.flight];
            FlightPlanView& view = *flight.plan;
            updatePlanView(view, *flight.sampler, flight.now);
            showLeg(live, view);
            showShot(live, view, flight);
        }
        traverse(node, nv);
    }

private:
    StudioState& state_;
    osg::ref_ptr<osg::Node> content_;
    std::vector<LiveParts> live_;
};

// A click (a press and release without a drag) on a shot picks it.
class ShotPicker : public osg::NodeCallback {
public:
    explicit ShotPicker(StudioState& state) : state_(state) {}

    void operator()(osg::Node* node, osg::NodeVisitor* nv) override
    {
        auto* events = nv->asEventVisitor();
        auto* view = events ? dynamic_cast<osgViewer::View*>(events->getActionAdapter()) : nullptr;
        if (view && state_.showPlan) {
            for (const osg::ref_ptr<osgGA::Event>& event : events->getEvents()) {
                const osgGA::GUIEventAdapter* ea = event->asGUIEventAdapter();
                if (ea && ea->getButton() == osgGA::GUIEventAdapter::LEFT_MOUSE_BUTTON)
                    click(*ea, *view);
            }
        }
        traverse(node, nv);
    }

private:
    void click(const osgGA::GUIEventAdapter& ea, osgViewer::View& view)
    {
        // The panels take the clicks that land on them.
        if (ImGui::GetCurrentContext() && ImGui::GetIO().WantCaptureMouse)
            return;
        if (ea.getEventType() == osgGA::GUIEventAdapter::PUSH) {
            pressX_ = ea.getX();
            pressY_ = ea.getY();
            return;
        }
        if (ea.getEventType() != osgGA::GUIEventAdapter::RELEASE
            || std::hypot(ea.getX() - pressX_, ea.getY() - pressY_) > CLICK_SLACK_PIXELS)
            return;
        osg::Matrixd worldToWindow;
        if (!worldToWindowOf(view.getCamera(), worldToWindow))
            return;
        for (StudioFlight& flight : state_.flights)
            if (flight.plan)
                flight.plan->pickedShot = shotAtWindowPoint(*flight.flight, worldToWindow, ea.getX(), ea.getY(), PICK_PIXELS);
    }

    StudioState& state_;
    float pressX_ = -1e6f;
    float pressY_ = -1e6f;
};

} // namespace

int shotAtWindowPoint(const Flight& flight, const osg::Matrixd& worldToWindow, double x, double y, double radius)
{
    int best = -1;
    double bestDistance = radius;
    for (size_t i = 0; i < flight.shots.size(); ++i) {
        const CameraShot& shot = flight.shots[i];
        const double distance = windowDistance(osg::Vec3d(planPoint(shot.latDeg, shot.lonDeg, shot.altM)), worldToWindow, x, y);
        if (distance <= bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    return best;
}

PlanOverlay buildPlanOverlay(StudioState& state)
{
    PlanOverlay overlay;
    const ElevationLookup elevation = folderElevation();
    osg::ref_ptr<osg::Group> content = new osg::Group;
    std::vector<LiveParts> live;
    for (size_t i = 0; i < state.flights.size(); ++i) {
        StudioFlight& flight = state.flights[i];
        if (!hasPlanToShow(*flight.flight))
            continue;
        flight.plan = std::make_shared<FlightPlanView>(makePlanView(*flight.sampler, elevation));
        const FlightPlanView& view = *flight.plan;
        const Flight& data = *flight.flight;
        const double homeAlt = view.route.home.altM;
        const GroundInfo groundInfo = state.ground;
        const GroundAt ground = [groundInfo, elevation, homeAlt](double lat, double lon) {
            if (!groundInfo.known)
                return groundInfo.flatHeight;
            const std::optional<double> h = elevation(lat, lon);
            return h ? *h : homeAlt;
        };
        if (!data.plan.mission.empty())
            content->addChild(buildMissionShapes(view.route, ground).get());
        if (!data.plan.fence.empty())
            content->addChild(buildFenceShapes(data.plan, homeAlt, ground).get());
        if (!data.plan.rally.empty())
            content->addChild(buildRallyShapes(data.plan, homeAlt, ground).get());
        if (std::isfinite(data.plan.home.latDeg))
            content->addChild(buildHomeShape(data.plan.home).get());
        if (!data.shots.empty())
            content->addChild(buildShotShapes(data.shots).get());

        LiveParts parts;
        parts.flight = i;
        parts.current = currentLegShape(parts.legEnds);
        parts.shotLabel = planLabel("", osg::Vec3(), plan_colour::SHOT);
        parts.shotLabel->setNodeMask(0);
        parts.shotLabel->setDataVariance(osg::Object::DYNAMIC);
        osg::ref_ptr<osg::Geode> label = new osg::Geode;
        label->addDrawable(parts.shotLabel.get());
        content->addChild(parts.current.get());
        content->addChild(label.get());
        live.push_back(parts);

        const std::string line = terrainLine(view.terrain, flight.sampler->clockAtStart());
        if (!line.empty())
            overlay.lines.push_back(state.flights.size() > 1 ? flight.name + ": " + line : line);
    }
    if (live.empty())
        return overlay;
    osg::ref_ptr<osg::Group> root = new osg::Group;
    root->addChild(content.get());
    root->setUpdateCallback(new PlanUpdate(state, content.get(), std::move(live)));
    root->setEventCallback(new ShotPicker(state));
    overlay.node = root;
    return overlay;
}

} // namespace flightreplay::studio
