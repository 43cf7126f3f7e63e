// flightreplay-studio: flights replayed with time controls, cameras,
// instruments and plots over the replay's scene.

#include <cstdlib>
#include <string>
#include <vector>

#include "tools/common/tool_error.h"
#include "tools/common/tool_main.h"
#include "tools/kml/earth_export.h"
#ifdef FLIGHTREPLAY_HAVE_PAGE
#include "tools/studio/page/page_export.h"
#endif
#include "tools/studio/studio_app.h"
#include "tools/studio/studio_flights.h"
#include "tools/studio/studio_options.h"
#include "tools/studio/studio_record.h"

int main(int argc, char** argv)
{
    using namespace flightreplay::studio;
    return flightreplay::tools::runTool("flightreplay-studio", studioUsage(), argc, argv,
                                        [argc, argv](const std::vector<std::string>&) {
        StudioOptions options;
        std::string error;
        if (!parseStudioOptions(argc, argv, options, error))
            throw flightreplay::tools::ToolError(error + " (see --help)");
        openBookFlights(options);
        if (!options.kmzPath.empty()) {
            flightreplay::kml::exportGoogleEarth(options.logPaths, options.read, options.kmzPath, options.force);
            return 0;
        }
#ifndef _WIN32
        // Pictures and videos draw without a display when there is none.
        const char* display = std::getenv("DISPLAY");
        const bool interactive = options.recordPath.empty() && options.snapshotPath.empty() && options.pagePath.empty();
        if (interactive && (!display || !*display))
            throw flightreplay::tools::ToolError(
                "the interactive studio needs an X display (DISPLAY is not set); "
                "--snapshot FILE.png and --record FILE.mp4 draw without one");
#endif
#ifdef FLIGHTREPLAY_HAVE_PAGE
        if (!options.pagePath.empty())
            return flightreplay::page::runPageExport(options);
#else
        if (!options.pagePath.empty())
            throw flightreplay::tools::ToolError("--export-page: this studio was built without three.js (Debian package libjs-three)");
#endif
        if (!options.recordPath.empty())
            return runStudioRecording(options);
        return options.snapshotPath.empty() ? runStudioWindow(options) : runStudioSnapshot(options);
    });
}
