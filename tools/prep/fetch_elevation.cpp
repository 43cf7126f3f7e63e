#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <system_error>

#include <cpl_conv.h>
#include <cpl_vsi.h>

#include "frame/elevation_tile.h"
#include "frame/grid_geography.h"
#include "frame/map_frame.h"
#include "tools/common/output_file.h"
#include "tools/common/progress.h"
#include "tools/common/tool_error.h"
#include "tools/prep/dem_set.h"
#include "tools/prep/download_cache.h"
#include "tools/prep/elevation_file.h"
#include "tools/prep/elevation_tiles.h"
#include "tools/prep/tile_url.h"
#include "tools/prep/fetch_steps.h"
#include "tools/prep/prep_area.h"

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

namespace {

// A zoom-8 elevation file spans 4 x 4 tiles of zoom 10: 1024 pixels, the
// spacing of its own samples.
constexpr int HEIGHT_TILE_ZOOM = 10;
constexpr int HEIGHT_TILES_PER_FILE = 4;

// The file's bytes from elevation tiles; throws tools::ToolError.
std::string elevationFromTiles(FetchRun& run, HttpFetcher& http, const ElevationFileIndex& file, int& fromCache)
{
    const HeightEncoding encoding = parseHeightEncoding(run.fetch.demEncoding);
    const int32_t row0 = file.row * HEIGHT_TILES_PER_FILE;
    const int32_t col0 = file.col * HEIGHT_TILES_PER_FILE;
    std::vector<TileKey> keys;
    for (int i = 0; i < HEIGHT_TILES_PER_FILE; ++i)
        for (int j = 0; j < HEIGHT_TILES_PER_FILE; ++j)
            keys.push_back({HEIGHT_TILE_ZOOM, row0 + i, col0 + j});
    std::vector<std::vector<float>> heights(keys.size());
    std::string failure;
    fetchTiles(run, http, run.fetch.demTemplate, keys,
               [&](size_t i, TileAnswer& answer) {
                   if (answer.kind == TileAnswer::Kind::found)
                       heights[i] = decodeHeightTile(answer.bytes, encoding,
                                                     tileUrl(run.fetch.demTemplate, keys[i].zoom, keys[i].row, keys[i].col));
                   else if (answer.kind == TileAnswer::Kind::failed)
                       failure = tileUrl(run.fetch.demTemplate, keys[i].zoom, keys[i].row, keys[i].col) + ": " + answer.error;
               },
               fromCache);
    if (!failure.empty())
        throw tools::ToolError(failure);
    const std::string mosaic = "/vsimem/flightreplay-heights.tif";
    writeHeightMosaic(mosaic, HEIGHT_TILE_ZOOM, row0, col0, HEIGHT_TILES_PER_FILE, heights);
    std::string bytes;
    {
        DemSet dems({mosaic});
        SampleCounts counts;
        bytes = computeElevationFile(dems, file, counts, nullptr);
    }
    VSIUnlink(mosaic.c_str());
    return bytes;
}

} // namespace

void fetchElevation(FetchRun& run)
{
    const PrepOptions& options = run.options;
    const bool fromTiles = !run.fetch.demTemplate.empty();
    const std::string source = fromTiles ? run.fetch.demTemplate : run.fetch.demSource;
    const std::string cacheDir = run.cache + "/elevation/" + sourceKey(source);
    int kept = 0;
    int fromCache = 0;
    std::vector<ElevationFileIndex> toRead;
    for (const ElevationFileIndex& file : elevationFilesToPrepare(options.planArea)) {
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
    if (fromTiles && !toRead.empty()) {
        HttpFetcher http(run.http());
        int tilesFromCache = 0;
        for (const ElevationFileIndex& file : toRead) {
            const std::string name = elevationFileName(file.row * EGM_SPAN, file.col * EGM_SPAN);
            try {
                const std::string bytes = elevationFromTiles(run, http, file, tilesFromCache);
                storeCached(cacheDir + "/" + name, bytes);
                tools::writeFileAtomically(options.dir + "/" + name, bytes);
                ++read;
            } catch (const NoConnection&) {
                throw;
            } catch (const tools::ToolError& error) {
                run.missing.emplace_back(name, error.what());
            }
        }
        run.requests += http.requests();
    } else if (!toRead.empty()) {
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
