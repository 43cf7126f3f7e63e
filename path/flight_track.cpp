#include "path/flight_track.h"

#include <osg/Geode>
#include <osg/Geometry>

#include "frame/map_frame.h"
#include "log/flight_log.h"

osg::Group* buildFlightTrack()
{
    osg::ref_ptr<osg::Group> group = new osg::Group;
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;

    osg::ref_ptr<osg::Vec4Array> colors = new osg::Vec4Array;
    colors->push_back(osg::Vec4(1, 1, 1, 1));

    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    for (int i = 0; i < rowCount(); ++i) {
        const LogRow& row = flightLog.rows[i];
        vertices->push_back(geoToScene(degreesOfMinutes(row.gps_curlat), degreesOfMinutes(row.gps_curlon), row.gps_curalt));
    }

    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setVertexArray(vertices.get());
    geometry->setColorArray(colors.get());
    geometry->setColorBinding(osg::Geometry::BIND_OVERALL);
    geometry->addPrimitiveSet(new osg::DrawArrays(GL_LINE_STRIP, 0, static_cast<GLsizei>(vertices->size())));

    geode->addDrawable(geometry.get());
    group->addChild(geode.get());
    return group.release();
}
