#include <cstdio>
#include <filesystem>
#include <system_error>

#include "tools/common/output_file.h"
#include "tools/common/tool_error.h"
#include "tools/prep/download_cache.h"
#include "tools/prep/elevation_tiles.h"
#include "tools/prep/fetch_steps.h"
#include "tools/prep/prep_commands.h"
#include "tools/prep/tile_url.h"

namespace flightreplay::prep {

namespace {

const char* const COPERNICUS_ATTRIBUTION =
    "Elevation: produced using Copernicus WorldDEM-30 (c) DLR e.V. 2010-2014 and (c) Airbus Defence and Space "
    "GmbH 2014-2018 provided under COPERNICUS by the European Union and ESA; all rights reserved.\n";

bool folderIsEmpty(const std::string& folder)
{
    std::error_code error;
    return !std::filesystem::is_directory(folder, error)
           || std::filesystem::directory_iterator(folder, error) == std::filesystem::directory_iterator();
}

void writeAttribution(const PrepOptions& options, const FetchOptions& fetch)
{
    std::string text = !fetch.demTemplate.empty()         ? "Elevation: " + fetch.demTemplate + "\n"
                       : fetch.demSource == COPERNICUS_GLO30 ? COPERNICUS_ATTRIBUTION
                                                            : "Elevation: " + fetch.demSource + "\n";
    if (!fetch.imagery.empty())
        text += "Imagery: " + (fetch.attribution.empty() ? fetch.imagery : fetch.attribution) + "\n";
    else
        text += "Imagery: shaded relief drawn from the elevation\n";
    tools::writeFileAtomically(options.dir + "/ATTRIBUTION.txt", text);
}

} // namespace

HttpOptions FetchRun::http() const
{
    HttpOptions http;
    http.timeoutSeconds = fetch.timeoutSeconds;
    return http;
}

int runFetch(const PrepOptions& options, const FetchOptions& fetch)
{
    if (!fetch.imagery.empty())
        checkTileTemplate("--imagery", fetch.imagery);
    if (!fetch.demTemplate.empty())
        checkTileTemplate("--dem", fetch.demTemplate);
    parseHeightEncoding(fetch.demEncoding);
    FetchRun run{options, fetch, cacheFolder(fetch.cache), {}, 0};
    if (fetch.offline && folderIsEmpty(run.cache))
        throw tools::ToolError("--offline: the cache " + run.cache + " is empty; fetch once while online");
    tools::makeFolder(options.dir);

    // The tile requests go out while the elevation is read, where they
    // share no host with it.
    ImageryFetch imagery(run);
    if (imagery.mayRunBesideElevation())
        imagery.start();
    fetchElevation(run);
    imagery.finish(run);
    runAssets(options);
    writeAttribution(options, fetch);

    if (HttpFetcher::stopFlag())
        std::printf("fetch: interrupted; what was written is complete, run it again to finish\n");
    std::fputs(missingFilesReport(run.missing).c_str(), stdout);
    std::printf("fetch: %s, %lld requests\n", run.missing.empty() ? "complete" : "incomplete",
                static_cast<long long>(run.requests));
    return run.missing.empty() && !HttpFetcher::stopFlag() ? 0 : 1;
}

} // namespace flightreplay::prep
