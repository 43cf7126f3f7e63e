// flightreplay-studio: the flight replay with time controls, cameras,
// instruments and plots over the replay's scene.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/log_summary.h"
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
    // Pictures and videos draw without a display when there is none.
    const char* display = std::getenv("DISPLAY");
    const bool interactive = options.recordPath.empty() && options.snapshotPath.empty();
    if (interactive && (!display || !*display)) {
        std::fprintf(stderr, "flightreplay-studio: the interactive studio needs an X display (DISPLAY is not set); "
                             "--snapshot FILE.png and --record FILE.mp4 draw without one\n");
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
