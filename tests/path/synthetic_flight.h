#pragma once
// Flights made up in memory for the path and scene tests: every row has its
// own position and attitude, so a point taken from the wrong row shows.

#include <osg/Vec3d>

#include "frame/map_frame.h"
#include "log/flight_log.h"
#include "support/test_support.h"

// The frame around latitude 55, longitude 37.5 degrees, where the rows lie.
inline void frameAt55North()
{
    captureStdout([] { setupMapFrame(55 * 60.0, 55 * 60.0, 37.5 * 60.0, 37.5 * 60.0); });
}

inline LogRow syntheticRow(int i)
{
    LogRow row{};
    row.gps_curlat = 3300.0 + i * 1e-4;
    row.gps_curlon = 2250.0 + (i % 700) * 3e-4;
    row.gps_curalt = 100.0 + (i % 37);
    row.gps_curheading = -3.0 + (i % 61) * 0.1;
    row.pyro_curpitch = -0.5 + (i % 11) * 0.09;
    row.pyro_curroll = 0.8 - (i % 13) * 0.13;
    return row;
}

// Fills the table with rows data rows, as the scanner leaves it after a header
// and rows lines; rows = -1 is the table of an empty file (lineIndex 0).
inline void fillSyntheticFlight(int rows)
{
    resetFlightLog();
    flightLog.lineIndex = rows + 1;
    for (int i = 0; i < rows; ++i)
        flightLog.rows[i] = syntheticRow(i);
}

inline osg::Vec3d scenePositionOfRow(int i)
{
    const LogRow& row = flightLog.rows[i];
    return osg::Vec3d(geoToScene(row.gps_curlat / 60.0, row.gps_curlon / 60.0, row.gps_curalt));
}
