// flightreplay-studio: flights replayed with time controls, cameras,
// instruments and plots over the replay's scene.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/common/tool_error.h"
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
    if (options.help) {
        std::fputs(studioUsage(), stdout);
        return 0;
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
    try {
        if (!options.recordPath.empty())
            return runStudioRecording(options);
        return options.snapshotPath.empty() ? runStudioWindow(options) : runStudioSnapshot(options);
    } catch (const flightreplay::tools::ToolError& failure) {
        std::fprintf(stderr, "flightreplay-studio: %s\n", failure.what());
        return 2;
    }
}
