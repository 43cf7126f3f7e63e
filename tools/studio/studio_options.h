#pragma once
// The studio's command line. Every option of the program is parsed here, so
// that the window, picture and video modes share one set of rules.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/readers/read_flight.h"
#include "tools/studio/studio_state.h"

namespace flightreplay::studio {

constexpr size_t MAX_FLIGHTS = 16;

struct StudioOptions {
    std::vector<std::string> logPaths; // one to MAX_FLIGHTS flight files
    std::vector<int> logSystems; // beside logPaths where set: the one vehicle of each file to open (0: all)
    std::string bookPath;     // --book FILE: the flights of a logbook ...
    std::string bookWhere;    // ... that --where COND chooses (SQL on its flights table)
    readers::ReadOptions read; // --format instead of recognising each file; --angles, --csv-time, --column for CSV files
    std::string model;        // --model TYPE|FILE; empty: the studio chooses
    Alignment align = Alignment::utc; // --align; without it utc for flights of one day, else start
    bool alignGiven = false;
    std::vector<std::pair<std::string, double>> offsets; // --offset NAME=SECONDS
    bool ghost = false;       // --ghost: the flights not selected translucent
    bool dropLines = true;    // --no-drop-lines hides the lines down to the ground
    std::string snapshotPath; // --snapshot OUT.png: one picture, no window
    bool timeGiven = false;
    double time = 0.0;        // --time T, seconds from the start of the clock
    CameraMode camera = CameraMode::chase; // --camera NAME
    bool sizeGiven = false;
    int width = 1200;         // --size WxH, pixels
    int height = 750;
    TrackColouring colouring = TrackColouring::white; // --track white|altitude|speed|mode; field with --track-field
    std::string trackField;   // --track-field NAME: the track coloured by that field of the log
    std::vector<std::string> plotFields; // --plot NAME (repeatable): fields plotted on one axis
    bool panels = true;       // --no-panels hides them (snapshots have none unless --panels)
    bool panelsGiven = false;
    bool trace = false;       // --trace: the aircraft's transform on standard output
    std::string recordPath;   // --record OUT.mp4: a video, no window
    double from = 0.0;        // --from T, seconds from the start of the clock
    double to = -1.0;         // --to T, seconds from the start; negative for the end
    double speed = 1.0;       // --speed X, log seconds per video second
    int fps = 30;             // --fps N, video frames per second
    bool force = false;       // --force: replace an existing video or Google Earth file
    std::string kmzPath;      // --export-kmz OUT.kmz: the flights as a Google Earth tour, no window
    std::string pagePath;     // --export-page OUT.html: the flights as one web page, no window
    bool help = false;        // --help: the usage on standard output
};

// The usage text, several lines, each ending in a newline.
const char* studioUsage();

// Reads argv[1 ...] into options. False with a one-line reason in error for
// an unknown option, a missing or bad value, no flight (no file and no
// --book) or more than MAX_FLIGHTS, files beside --book, --where without
// it. --help sets options.help and stops reading.
bool parseStudioOptions(int argc, const char* const* argv, StudioOptions& options, std::string& error);

// Width and height of "WxH", each 16 ... 8192; false for anything else.
bool parseSize(const std::string& text, int& width, int& height);

// The flights' paths as `flightreplay-prep fetch` takes them, for the hint
// a folder without terrain prints.
std::string fetchHintOf(const StudioOptions& options);

} // namespace flightreplay::studio
