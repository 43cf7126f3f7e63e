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

namespace flightreplay::studio {

namespace {

constexpr int GRID_PIXELS = 512;           // one kilometre
constexpr int GRID_LINES = 10;             // every 100 m
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

osg::Texture2D* gridTexture()
{
    // Shared by every tile and kept for the process: a static ref_ptr would
    // be released after OSG's own statics at exit.
    static osg::Texture2D* const texture = [] {
        auto* made = new osg::Texture2D(groundGridImage().get());
        made->setWrap(osg::Texture::WRAP_S, osg::Texture::REPEAT);
        made->setWrap(osg::Texture::WRAP_T, osg::Texture::REPEAT);
        made->setMaxAnisotropy(8.0f);
        made->ref();
        return made;
    }();
    return texture;
}

// Gives the tiles whose picture could not be read the grid instead; returns
// how many there were.
int gridOnBareTiles(osg::Group& terrain)
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
        state->setTextureAttributeAndModes(0, gridTexture(), osg::StateAttribute::ON);
        // The tile's corners span 0 ... 1; the grid repeats every kilometre.
        auto* geometry = tile->asGeometry();
        auto* corners = geometry ? dynamic_cast<osg::Vec3Array*>(geometry->getVertexArray()) : nullptr;
        auto* coords = geometry ? dynamic_cast<osg::Vec2Array*>(geometry->getTexCoordArray(0)) : nullptr;
        if (corners && coords && mapFrame.k > 0.0)
            for (size_t c = 0; c < corners->size() && c < coords->size(); ++c)
                (*coords)[c] = osg::Vec2(static_cast<float>((*corners)[c].y() / mapFrame.k / 1000.0),
                                         static_cast<float>(-(*corners)[c].x() / mapFrame.k / 1000.0));
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

osg::ref_ptr<osg::Image> groundGridImage()
{
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(GRID_PIXELS, GRID_PIXELS, 1, GL_RGB, GL_UNSIGNED_BYTE);
    const int spacing = GRID_PIXELS / GRID_LINES;
    for (int row = 0; row < GRID_PIXELS; ++row) {
        unsigned char* out = image->data(0, row);
        for (int col = 0; col < GRID_PIXELS; ++col) {
            // Distance in pixels to the nearest line across either axis; the
            // kilometre line straddles the picture's edges.
            const int kmDistance = std::min({row, GRID_PIXELS - 1 - row, col, GRID_PIXELS - 1 - col});
            const int hundredDistance = std::min({row % spacing, spacing - 1 - row % spacing, col % spacing,
                                                  spacing - 1 - col % spacing});
            unsigned char grey[3] = {112, 122, 104};
            if (kmDistance < 3) {
                grey[0] = 225; grey[1] = 228; grey[2] = 220;
            } else if (hundredDistance < 1) {
                grey[0] = 168; grey[1] = 176; grey[2] = 160;
            }
            std::copy(grey, grey + 3, out + 3 * col);
        }
    }
    return image;
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
    osg::ref_ptr<osg::Vec2Array> coords = new osg::Vec2Array;
    const double kilometresPerUnit = mapFrame.k > 0.0 ? 1.0 / mapFrame.k / 1000.0 : 1.0;
    for (const osg::Vec3& c : *corners)
        coords->push_back(osg::Vec2(static_cast<float>(c.y() * kilometresPerUnit), static_cast<float>(-c.x() * kilometresPerUnit)));
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    colours->push_back(osg::Vec4(1, 1, 1, 1));

    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setVertexArray(corners.get());
    geometry->setTexCoordArray(0, coords.get());
    geometry->setColorArray(colours.get(), osg::Array::BIND_OVERALL);
    geometry->addPrimitiveSet(new osg::DrawArrays(GL_QUADS, 0, 4));
    geometry->getOrCreateStateSet()->setTextureAttributeAndModes(0, gridTexture(), osg::StateAttribute::ON);
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
    const int missingImages = gridOnBareTiles(*terrain);

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
