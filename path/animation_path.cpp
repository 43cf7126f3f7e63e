#include "path/animation_path.h"

#include <algorithm>

#include "frame/map_frame.h"
#include "log/flight_log.h"

namespace {

constexpr double HALF_PI = MAP_PI / 2.0;
constexpr int DIVISOR_OFFSET = 3001;

} // namespace

osg::Quat attitudeOf(double heading, double pitch, double roll)
{
    osg::Quat qZ;
    osg::Quat qY;
    osg::Quat qX;
    qZ.makeRotate(heading - HALF_PI, osg::Vec3f(0, 0, 1));
    qY.makeRotate(pitch, osg::Vec3f(0, 1, 0));
    qX.makeRotate(roll + HALF_PI, osg::Vec3f(1, 0, 0));
    return (qX * qY) * qZ;
}

int pathTimeIndex(int row)
{
    if ((row >= 2501 && row <= 4499) || (row >= 7001 && row <= 7999))
        return -1;
    if (row <= 4499)
        return row;
    if (row <= 7999)
        return row - 2000;
    return row - 3000;
}

double pathTime(int timeIndex, int rows)
{
    int divisor = rows - DIVISOR_OFFSET;
    // With 3001 rows or fewer the last row that reaches the path is row
    // rows - 1 or row 2500, whichever comes first; its time index is its row.
    if (divisor <= 0)
        divisor = std::min(rows - 1, 2500);
    if (divisor <= 0)
        return 0.0;
    return (timeIndex * PATH_DURATION) / divisor;
}

osg::AnimationPath* buildAnimationPath()
{
    osg::ref_ptr<osg::AnimationPath> path = new osg::AnimationPath;
    path->setLoopMode(osg::AnimationPath::LOOP);
    const int rows = rowCount();
    for (int i = 0; i < rows; ++i) {
        const int c = pathTimeIndex(i);
        if (c < 0)
            continue;
        const double t = pathTime(c, rows);
        const LogRow& row = flightLog.rows[i];
        const osg::Vec3f position = geoToScene(degreesOfMinutes(row.gps_curlat), degreesOfMinutes(row.gps_curlon), row.gps_curalt);
        const osg::Quat rotation = attitudeOf(row.gps_curheading, row.pyro_curpitch, row.pyro_curroll);
        path->insert(t, osg::AnimationPath::ControlPoint(osg::Vec3d(position), rotation));
    }
    return path.release();
}
