// flightreplay-studio: the flight replay with time controls, cameras,
// instruments and plots over the replay's scene.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "frame/map_frame.h"
#include "log/log_reader.h"
#include "tools/studio/studio_app.h"
#include "tools/studio/studio_options.h"
#include "tools/studio/studio_record.h"

int main(int argc, char** argv)
{
    using namespace flightreplay::studio;
    StudioOptions options;
    std::string error;
    if (!parseStudioOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "flightreplay-studio: %s\n%s", error.c_str(), studioUsage());
        return 2;
    }
#ifndef _WIN32
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        std::fprintf(stderr, "flightreplay-studio: no X display to draw on (DISPLAY is not set; try xvfb-run)\n");
        return 2;
    }
#endif
    FILE* log = std::fopen(options.logPath.c_str(), "r");
    if (!log) {
        std::fprintf(stderr, "flightreplay-studio: cannot open '%s'\n", options.logPath.c_str());
        return 2;
    }
    readLog(log);
    std::fclose(log);
    summarizeLog();
    if (!options.recordPath.empty())
        return runStudioRecording(options);
    return options.snapshotPath.empty() ? runStudioWindow(options) : runStudioSnapshot(options);
}
