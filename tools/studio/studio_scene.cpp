#include "tools/studio/studio_scene.h"

#include <cstdio>
#include <string>

#include <osg/BlendColor>
#include <osg/BlendFunc>
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Point>
#include <osgText/Text>

#include "frame/map_frame.h"
#include "log/console_report.h"
#include "scene/sky_dome.h"
#include "tools/studio/drop_lines.h"
#include "tools/studio/studio_assets.h"
#include "tools/studio/plan_overlay.h"
#include "tools/studio/studio_ground.h"
#include "tools/studio/track_breaks.h"
#include "tools/studio/track_colours.h"
#include "tools/studio/wind_arrow.h"

namespace flightreplay::studio {

namespace {

constexpr float GHOST_ALPHA = 0.3f;

void dropConsoleLine(const char*, std::size_t, void*) {}

osg::ref_ptr<osg::Geometry> trackOf(const StudioFlight& flight)
{
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    for (const osg::Vec3d& p : flight.sampler->scenePositions())
        vertices->push_back(osg::Vec3(p));
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setVertexArray(vertices.get());
    addTrackStrips(*geometry, *flight.sampler);
    geometry->setDataVariance(osg::Object::DYNAMIC);
    colourTrack(*geometry, *flight.sampler, TrackColouring::white, flight.colour);
    return geometry;
}

osg::ref_ptr<osg::Node> labelOf(const StudioFlight& flight)
{
    osg::ref_ptr<osgText::Text> text = new osgText::Text;
    text->setText(flight.name);
    text->setColor(flight.colour);
    text->setCharacterSizeMode(osgText::Text::SCREEN_COORDS);
    text->setCharacterSize(16.0f);
    text->setAxisAlignment(osgText::Text::SCREEN);
    text->setAlignment(osgText::Text::CENTER_BOTTOM);
    text->setPosition(osg::Vec3(0.0f, 0.0f, static_cast<float>(LABEL_ABOVE_METRES * mapFrame.k)));
    text->setBackdropType(osgText::Text::DROP_SHADOW_BOTTOM_RIGHT);

    // A dot that stays a few pixels wide however far the aircraft is.
    osg::ref_ptr<osg::Geometry> marker = new osg::Geometry;
    osg::ref_ptr<osg::Vec3Array> at = new osg::Vec3Array;
    at->push_back(osg::Vec3());
    osg::ref_ptr<osg::Vec4Array> colour = new osg::Vec4Array;
    colour->push_back(flight.colour);
    marker->setVertexArray(at.get());
    marker->setColorArray(colour.get(), osg::Array::BIND_OVERALL);
    marker->addPrimitiveSet(new osg::DrawArrays(GL_POINTS, 0, 1));
    marker->getOrCreateStateSet()->setAttribute(new osg::Point(7.0f));

    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(text.get());
    geode->addDrawable(marker.get());
    return geode;
}

void setGhost(osg::Node& node, bool ghost)
{
    if (!ghost) {
        node.setStateSet(nullptr);
        return;
    }
    osg::StateSet* state = node.getOrCreateStateSet();
    state->setAttributeAndModes(new osg::BlendColor(osg::Vec4(1, 1, 1, GHOST_ALPHA)),
                                osg::StateAttribute::ON | osg::StateAttribute::OVERRIDE);
    state->setAttributeAndModes(new osg::BlendFunc(GL_CONSTANT_ALPHA, GL_ONE_MINUS_CONSTANT_ALPHA),
                                osg::StateAttribute::ON | osg::StateAttribute::OVERRIDE);
    state->setRenderingHint(osg::StateSet::TRANSPARENT_BIN);
}

class StudioUpdate : public osg::NodeCallback {
public:
    StudioUpdate(StudioState& state, std::vector<osg::ref_ptr<osg::MatrixTransform>> aircraft,
                 std::vector<osg::ref_ptr<osg::Geometry>> tracks)
        : state_(state), aircraft_(std::move(aircraft)), tracks_(std::move(tracks))
    {
    }

    void operator()(osg::Node* node, osg::NodeVisitor* nv) override
    {
        const osg::FrameStamp* stamp = nv->getFrameStamp();
        if (stamp) {
            const double now = stamp->getReferenceTime();
            if (lastTime_ >= 0.0)
                state_.clock.advance(now - lastTime_);
            lastTime_ = now;
        }
        state_.sampleFlights();
        for (size_t i = 0; i < aircraft_.size(); ++i) {
            const FlightSample& s = state_.flights[i].now;
            aircraft_[i]->setMatrix(osg::Matrix::translate(s.position));
            auto* turn = dynamic_cast<osg::MatrixTransform*>(aircraft_[i]->getChild(0));
            if (turn)
                turn->setMatrix(osg::Matrix::rotate(s.attitude));
        }
        recolourTracks();
        if (state_.ghost != ghost_ || state_.selected != selected_) {
            for (size_t i = 0; i < aircraft_.size(); ++i) {
                const bool ghost = state_.ghost && i != state_.selected;
                setGhost(*aircraft_[i], ghost);
                setGhost(*tracks_[i], ghost);
            }
            ghost_ = state_.ghost;
            selected_ = state_.selected;
        }
        if (state_.trace && state_.traceRequested) {
            const osg::Vec3d p = state_.now.position;
            std::printf("trace t=%.3f row=%d x=%.5f y=%.5f z=%.5f camera=%s paused=%d speed=%g loop=%d\n",
                        state_.clock.time(), state_.now.fix, p.x(), p.y(), p.z(), cameraName(state_.camera),
                        state_.clock.paused() ? 1 : 0, state_.clock.speed(), state_.clock.loop() ? 1 : 0);
            std::fflush(stdout);
            state_.traceRequested = false;
        }
        traverse(node, nv);
    }

private:
    // A field's colours come once its read is done; until then the track
    // keeps the colours it has.
    void recolourTracks()
    {
        const bool byField = state_.colouring == TrackColouring::field && !state_.trackField.empty();
        const std::string wanted = byField ? "field " + state_.trackField : std::to_string(static_cast<int>(state_.colouring));
        colourings_.resize(tracks_.size(), std::to_string(static_cast<int>(TrackColouring::white)));
        for (size_t i = 0; i < tracks_.size(); ++i) {
            if (colourings_[i] == wanted)
                continue;
            StudioFlight& flight = state_.flights[i];
            if (byField) {
                const flight::Series* series = flight.jobs ? flight.jobs->field(state_.trackField) : nullptr;
                if (flight.jobs && !series)
                    continue;
                if (series && !series->empty()) {
                    const std::vector<double> values = fieldAtFixes(*flight.sampler, *series);
                    colourTrackByValues(*tracks_[i], values, valuesRange(values));
                } else {
                    colourTrack(*tracks_[i], *flight.sampler, TrackColouring::white, flight.colour);
                }
            } else {
                colourTrack(*tracks_[i], *flight.sampler, state_.colouring, flight.colour);
            }
            tracks_[i]->dirtyGLObjects();
            colourings_[i] = wanted;
        }
    }

    StudioState& state_;
    std::vector<osg::ref_ptr<osg::MatrixTransform>> aircraft_;
    std::vector<osg::ref_ptr<osg::Geometry>> tracks_;
    std::vector<std::string> colourings_; // per track: what its colours show
    bool ghost_ = false;
    size_t selected_ = 0;
    double lastTime_ = -1.0;
};

} // namespace

StudioScene buildStudioScene(StudioState& state, const StudioOptions& options)
{
    StudioScene scene;
    std::vector<std::string> notes;
    StudioGround ground = buildStudioGround(*state.flights.front().flight, fetchHintOf(options));
    state.ground = ground.info;
    scene.parts.terrain = ground.node;
    if (!ground.note.empty())
        notes.push_back(ground.note);

    osg::ref_ptr<osg::Group> tracks = new osg::Group;
    std::vector<osg::ref_ptr<osg::Geometry>> trackGeometries;
    for (const StudioFlight& flight : state.flights) {
        trackGeometries.push_back(trackOf(flight));
        osg::ref_ptr<osg::Geode> geode = new osg::Geode;
        geode->addDrawable(trackGeometries.back().get());
        tracks->addChild(geode.get());
    }
    scene.parts.track = tracks;
    const PlanOverlay plan = buildPlanOverlay(state);
    if (plan.node)
        tracks->addChild(plan.node.get());
    notes.insert(notes.end(), plan.lines.begin(), plan.lines.end());

    std::string skyNote;
    scene.parts.sky = buildSkyDome(skyImageFor(skyNote).get());
    if (!skyNote.empty())
        notes.push_back(skyNote);

    osg::ref_ptr<osg::Group> aircraft = new osg::Group;
    std::vector<double> modelRadiiMetres;
    std::string modelNote;
    setConsoleSink(&dropConsoleLine, nullptr);
    try {
        for (StudioFlight& flight : state.flights) {
            osg::ref_ptr<osg::Node> model = vehicleModelFor(*flight.flight, options.model, modelNote);
            flight.chaseMetres = chaseDistanceFor(model.get());
            modelRadiiMetres.push_back(model->getBound().valid() && mapFrame.k > 0.0
                                           ? model->getBound().radius() / mapFrame.k
                                           : 0.0);
            osg::ref_ptr<osg::MatrixTransform> turn = new osg::MatrixTransform;
            turn->addChild(model.get());
            osg::ref_ptr<osg::MatrixTransform> place = new osg::MatrixTransform;
            place->setDataVariance(osg::Object::DYNAMIC);
            turn->setDataVariance(osg::Object::DYNAMIC);
            place->addChild(turn.get());
            if (!flight.flight->windSpeed.empty())
                place->addChild(buildWindArrow(flight).get());
            if (state.flights.size() > 1)
                place->addChild(labelOf(flight).get());
            aircraft->addChild(place.get());
            scene.aircraft.push_back(place);
        }
    } catch (...) {
        setConsoleSink(nullptr, nullptr);
        throw;
    }
    setConsoleSink(nullptr, nullptr);
    if (!modelNote.empty())
        notes.push_back(modelNote);
    scene.parts.aircraft = aircraft;

    scene.root = assembleScene(scene.parts);
    scene.root->addChild(buildDropLines(state, *ground.node, modelRadiiMetres).get());
    scene.root->setUpdateCallback(new StudioUpdate(state, scene.aircraft, trackGeometries));
    for (const std::string& note : notes)
        std::printf("%s\n", note.c_str());
    std::fflush(stdout);
    return scene;
}

} // namespace flightreplay::studio
