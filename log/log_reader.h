#pragma once
// Reading a whole log into the flight log table, and what the table says
// about the flight's extent. One process may read many logs in turn: each
// read starts from an empty table and a fresh scanner, exactly as the
// program does at start.

#include <cstdio>
#include <string>

// Empties the table and scans the whole open file into it from line 0,
// column 0. The scanner's echo goes to the console report.
void readLog(FILE* log);

// Reads the log file at path as readLog does; false, with the table left
// as it was, when the file cannot be opened.
bool readLogFile(const std::string& path);

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
