#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <system_error>

#include <cpl_conv.h>

#include "frame/elevation_tile.h"
#include "frame/grid_geography.h"
#include "frame/map_frame.h"
#include "tools/common/output_file.h"
#include "tools/common/progress.h"
#include "tools/common/tool_error.h"
#include "tools/prep/dem_set.h"
#include "tools/prep/download_cache.h"
#include "tools/prep/elevation_file.h"
#include "tools/prep/fetch_steps.h"

namespace flightreplay::prep {

namespace {

constexpr uintmax_t EGM_FILE_BYTES = static_cast<uintmax_t>(EGM_SAMPLE_COUNT) * 2;

bool isComplete(const std::string& path)
{
    std::error_code error;
    return std::filesystem::file_size(path, error) == EGM_FILE_BYTES && !error;
}

std::string cellUrl(const std::string& base, const std::string& cell)
{
    return base + "/" + cell + "/" + cell + ".tif";
}

// GDAL's own HTTP client reads the cells' windows: the same manners as ours.
void configureGdalHttp(const FetchOptions& fetch)
{
    CPLSetConfigOption("GDAL_HTTP_USERAGENT", userAgent().c_str());
    const std::string timeout = std::to_string(static_cast<int>(std::ceil(fetch.timeoutSeconds)));
    CPLSetConfigOption("GDAL_HTTP_TIMEOUT", timeout.c_str());
    CPLSetConfigOption("GDAL_HTTP_CONNECTTIMEOUT", timeout.c_str());
    CPLSetConfigOption("GDAL_HTTP_MAX_RETRY", "3");
    CPLSetConfigOption("GDAL_HTTP_RETRY_DELAY", "0.5");
    CPLSetConfigOption("GDAL_DISABLE_READDIR_ON_OPEN", "EMPTY_DIR");
    CPLSetConfigOption("CPL_VSIL_CURL_ALLOWED_EXTENSIONS", ".tif");
    CPLSetConfigOption("CPL_VSIL_CURL_USE_HEAD", "NO");
}

// The cells an elevation file's samples fall in, by name.
std::set<std::string> cellsOf(const ElevationFileIndex& file)
{
    const double north = cornerLatitude(file.row * EGM_SPAN);
    const double south = cornerLatitude(file.row * EGM_SPAN + EGM_SPAN);
    const double west = cornerLongitude(file.col * EGM_SPAN);
    const double east = cornerLongitude(file.col * EGM_SPAN + EGM_SPAN);
    std::set<std::string> cells;
    for (int lat = static_cast<int>(std::floor(south)); lat <= static_cast<int>(std::floor(north)); ++lat) {
        for (int lon = static_cast<int>(std::floor(west)); lon <= static_cast<int>(std::floor(east)); ++lon) {
            if (lat >= -90 && lat < 90 && lon >= -180 && lon < 180)
                cells.insert(copernicusCellName(lat, lon));
        }
    }
    return cells;
}

} // namespace

std::string copernicusCellName(int latitude, int longitude)
{
    char name[64];
    std::snprintf(name, sizeof name, "Copernicus_DSM_COG_10_%c%02d_00_%c%03d_00_DEM", latitude < 0 ? 'S' : 'N',
                  std::abs(latitude), longitude < 0 ? 'W' : 'E', std::abs(longitude));
    return name;
}

void fetchElevation(FetchRun& run)
{
    const PrepOptions& options = run.options;
    const std::string source = run.fetch.demSource;
    const std::string cacheDir = run.cache + "/elevation/" + sourceKey(source);
    int kept = 0;
    int fromCache = 0;
    std::vector<ElevationFileIndex> toRead;
    for (const ElevationFileIndex& file : terrainElevationFiles(mapFrame.CI, mapFrame.CJ)) {
        const std::string name = elevationFileName(file.row * EGM_SPAN, file.col * EGM_SPAN);
        const std::string path = options.dir + "/" + name;
        std::string bytes;
        if (!options.force && isComplete(path)) {
            ++kept;
        } else if (readCached(cacheDir + "/" + name, bytes) && bytes.size() == EGM_FILE_BYTES) {
            tools::writeFileAtomically(path, bytes);
            ++fromCache;
        } else if (run.fetch.offline) {
            run.missing.emplace_back(name, "not in the cache (--offline)");
        } else {
            toRead.push_back(file);
        }
    }

    int read = 0;
    if (!toRead.empty()) {
        configureGdalHttp(run.fetch);
        std::set<std::string> cells;
        for (const ElevationFileIndex& file : toRead)
            for (const std::string& cell : cellsOf(file))
                cells.insert(cell);
        const std::vector<std::string> names(cells.begin(), cells.end());
        std::vector<std::string> urls;
        for (const std::string& cell : names)
            urls.push_back(cellUrl(source, cell));

        // Which cells exist: those over open sea do not, and mean 0 m.
        HttpOptions headOptions = run.http();
        headOptions.headOnly = true;
        HttpFetcher heads(headOptions);
        std::vector<std::string> existing;
        std::map<std::string, std::string> broken;
        heads.fetchAll(
            urls, [](size_t, const std::string&) { return true; },
            [&](size_t i, HttpResult& result) {
                if (result.outcome == HttpResult::Outcome::data)
                    existing.push_back("/vsicurl/" + urls[i]);
                else if (result.outcome == HttpResult::Outcome::failed)
                    broken[names[i]] = urls[i] + ": " + result.error;
            });
        run.requests += heads.requests();
        std::sort(existing.begin(), existing.end());

        std::unique_ptr<DemSet> dems;
        for (const ElevationFileIndex& file : toRead) {
            const std::string name = elevationFileName(file.row * EGM_SPAN, file.col * EGM_SPAN);
            std::string why;
            for (const std::string& cell : cellsOf(file))
                if (broken.count(cell))
                    why = broken[cell];
            if (HttpFetcher::stopFlag())
                why = "interrupted";
            if (why.empty()) {
                try {
                    if (!dems)
                        dems = std::make_unique<DemSet>(existing);
                    SampleCounts counts;
                    std::string bytes;
                    {
                        tools::Progress progress(name, EGM_SIDE, true);
                        bytes = computeElevationFile(*dems, file, counts, &progress);
                    }
                    storeCached(cacheDir + "/" + name, bytes);
                    tools::writeFileAtomically(options.dir + "/" + name, bytes);
                    ++read;
                } catch (const tools::ToolError& error) {
                    why = error.what();
                }
            }
            if (!why.empty())
                run.missing.emplace_back(name, why);
        }
    }
    std::printf("elevation: %d files read from %s, %d from the cache, %d kept\n", read, source.c_str(), fromCache,
                kept);
}

} // namespace flightreplay::prep
