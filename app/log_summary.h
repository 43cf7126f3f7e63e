#pragma once
// The driver's work between opening the log and starting the viewer, kept
// apart from main so that tests and the fuzzer run it in-process.

#include <cstdio>

// Scans the whole stream into the flight log table from line 0, column 0.
void readLog(FILE* log);

// Prints the column map and the latitude, longitude and time extents of the
// data rows, sets up the map frame from them, and reports on standard error
// how many data lines did not fit into the table.
void summarizeLog();
