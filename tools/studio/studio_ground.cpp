#include "tools/studio/studio_ground.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Notify>
#include <osg/Texture2D>

#include "frame/elevation_tile.h"
#include "frame/grid_geography.h"
#include "frame/ground_height.h"
#include "frame/map_frame.h"
#include "frame/terrain.h"
#include "frame/terrain_tiles.h"
#include "log/console_report.h"
#include "log/geography.h"
#include "log/units.h"
#include "tools/studio/ground_lines.h"

namespace flightreplay::studio {

namespace {

constexpr double TAKEOFF_RADIUS_METRES = 500.0;
constexpr int32_t PATCH_HALF_SIDE = 3 * 32 + 16; // zoom-18 tiles: the coarsest ring's reach

// Names of the elevation files the builders could not open.
void collectMissingElevation(const char* text, std::size_t length, void* context)
{
    static const std::string prefix = "Not open egm '";
    const std::string line(text, length);
    if (line.compare(0, prefix.size(), prefix) != 0)
        return;
    const size_t end = line.find('\'', prefix.size());
    static_cast<std::set<std::string>*>(context)->insert(line.substr(prefix.size(), end - prefix.size()));
}

// Gives the tiles whose picture could not be read the ground's lines
// instead; returns how many there were.
int linesOnBareTiles(osg::Group& terrain)
{
    int bare = 0;
    for (unsigned i = 0; i < terrain.getNumChildren(); ++i) {
        osg::Geode* geode = terrain.getChild(i)->asGeode();
        osg::Drawable* tile = geode && geode->getNumDrawables() > 0 ? geode->getDrawable(0) : nullptr;
        osg::StateSet* state = tile ? tile->getStateSet() : nullptr;
        auto* texture = state ? dynamic_cast<osg::Texture2D*>(state->getTextureAttribute(0, osg::StateAttribute::TEXTURE))
                              : nullptr;
        if (!texture || texture->getImage())
            continue;
        ++bare;
        state->removeTextureAttribute(0, texture);
        drawGroundLines(*state);
    }
    return bare;
}

bool fileExists(const std::string& name)
{
    return std::ifstream(name, std::ios::binary).good();
}

std::string fetchLine(const std::string& fetchHint)
{
    return "`flightreplay-prep fetch " + fetchHint + "` fetches it";
}

} // namespace

double takeoffGroundAltitude(const flight::Flight& flight)
{
    if (flight.position.empty())
        return 0.0;
    const flight::Fix& first = flight.position.front();
    double lowest = first.altM;
    for (const flight::Fix& fix : flight.position) {
        const LocalOffset d = localOffsetMetres(first.latDeg, first.lonDeg, fix.latDeg, fix.lonDeg);
        if (d.east * d.east + d.north * d.north <= TAKEOFF_RADIUS_METRES * TAKEOFF_RADIUS_METRES && std::isfinite(fix.altM))
            lowest = std::min(lowest, fix.altM);
    }
    return lowest;
}

osg::ref_ptr<osg::Node> buildFlatGround(double heightMetres)
{
    const int32_t north = mapFrame.CI - PATCH_HALF_SIDE;
    const int32_t south = mapFrame.CI + PATCH_HALF_SIDE;
    const int32_t west = mapFrame.CJ - PATCH_HALF_SIDE;
    const int32_t east = mapFrame.CJ + PATCH_HALF_SIDE;
    osg::ref_ptr<osg::Vec3Array> corners = new osg::Vec3Array;
    corners->push_back(gridToScene(north, west, heightMetres));
    corners->push_back(gridToScene(south, west, heightMetres));
    corners->push_back(gridToScene(south, east, heightMetres));
    corners->push_back(gridToScene(north, east, heightMetres));
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    colours->push_back(osg::Vec4(1, 1, 1, 1));

    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setVertexArray(corners.get());
    geometry->setColorArray(colours.get(), osg::Array::BIND_OVERALL);
    geometry->addPrimitiveSet(new osg::DrawArrays(GL_QUADS, 0, 4));
    drawGroundLines(*geometry->getOrCreateStateSet());
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(geometry.get());
    osg::ref_ptr<osg::Group> group = new osg::Group;
    group->addChild(geode.get());
    return group;
}

StudioGround buildStudioGround(const flight::Flight& takeoff, const std::string& fetchHint)
{
    StudioGround ground;
    std::set<std::string> missingElevation;
    // The image reader's own line per missing tile is counted below instead.
    const osg::NotifySeverity notify = osg::getNotifyLevel();
    osg::setNotifyLevel(osg::FATAL);
    setConsoleSink(&collectMissingElevation, &missingElevation);
    osg::ref_ptr<osg::Group> terrain = buildTerrain();
    setConsoleSink(nullptr, nullptr);
    osg::setNotifyLevel(notify);
    const int missingImages = linesOnBareTiles(*terrain);

    char line[400];
    if (missingElevation.empty()) {
        ground.node = terrain;
        if (missingImages > 0) {
            std::snprintf(line, sizeof line, "no imagery for this flight (%d image tiles missing): a grid on the ground; %s",
                          missingImages, fetchLine(fetchHint).c_str());
            ground.note = line;
        }
        return ground;
    }

    double height = takeoffGroundAltitude(takeoff);
    if (!takeoff.position.empty()) {
        const flight::Fix& first = takeoff.position.front();
        const int32_t row = static_cast<int32_t>(latToMercatorY(first.latDeg) * FRAME_SIZE);
        const int32_t col = static_cast<int32_t>(lonToMercatorX(first.lonDeg) * FRAME_SIZE);
        if (fileExists(elevationFileName(row, col)))
            height = groundHeightAt(first.latDeg, first.lonDeg);
    }
    ground.node = buildFlatGround(height);
    ground.info.known = false;
    ground.info.flatHeight = height;
    std::snprintf(line, sizeof line,
                  "no terrain for this flight (%zu elevation files, %d image tiles missing): flat ground at %.0f m; %s",
                  missingElevation.size(), missingImages, height, fetchLine(fetchHint).c_str());
    ground.note = line;
    return ground;
}

} // namespace flightreplay::studio
