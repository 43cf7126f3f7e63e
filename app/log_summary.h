#pragma once
// The driver's work between reading the log and starting the viewer, kept
// apart from main so that tests and the fuzzer run it in-process.

// Prints the column map and the latitude, longitude and time extents of the
// data rows, sets up the map frame from them, and reports on standard error
// how many data lines did not fit into the table.
void summarizeLog();
