#pragma once
// The driver's work between opening the log and starting the viewer, kept
// apart from main so that tests, tools and the fuzzer run it in-process.

#include <cstdio>

// Scans the whole stream into the flight log table from line 0, column 0.
void readLog(FILE* log);

// Latitude and longitude extents of the data rows, in minutes of arc. With no
// data row they keep their start values, 100000 for the minima and -100000
// for the maxima, which centre the map frame on latitude and longitude 0.
struct LogExtents {
    double latMin = 100000.0;
    double latMax = -100000.0;
    double lonMin = 100000.0;
    double lonMax = -100000.0;
};

// Computes the extents of the data rows, and the time extents into the
// flight log table (start values 1e20 and -1e20).
LogExtents computeLogExtents();

// Prints the column map and the latitude, longitude and time extents of the
// data rows, sets up the map frame from them, and reports on standard error
// how many data lines did not fit into the table.
void summarizeLog();
