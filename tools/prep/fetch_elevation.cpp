#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <set>

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
#include "tools/prep/fetch_steps.h"
#include "tools/prep/prep_area.h"
#include "tools/prep/source_error.h"
#include "tools/prep/tile_url.h"

namespace flightreplay::prep {

namespace {

// A zoom-8 elevation file spans 4 x 4 tiles of zoom 10: 1024 pixels, the
// spacing of its own samples.
constexpr int HEIGHT_TILE_ZOOM = 10;
constexpr int HEIGHT_TILES_PER_FILE = 4;

std::string nameOf(const ElevationFileIndex& file)
{
    return elevationFileName(file.row * EGM_SPAN, file.col * EGM_SPAN);
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

// What reading a file's sources threw, as the file's failure.
MissingFile missingAfter(const std::string& name, const SourceError& error)
{
    return {name, error.source, {FetchFailure::Kind::unreadable, 0, error.reason}};
}

MissingFile missingAfter(const std::string& name, const tools::ToolError& error)
{
    return {name, "", {FetchFailure::Kind::unreadable, 0, error.what()}};
}

// The elevation files still to read from the service, and where those read
// go: the cache and the data folder.
struct ElevationReads {
    FetchRun& run;
    std::string cacheDir;
    std::vector<ElevationFileIndex> files;
    int done = 0;

    void keep(const std::string& name, const std::string& bytes)
    {
        storeCached(cacheDir + "/" + name, bytes);
        tools::writeFileAtomically(run.options.dir + "/" + name, bytes);
        ++done;
    }
};

// The zoom-10 tiles an elevation file spans, north-west first, row by row.
std::vector<TileKey> heightTilesOf(const ElevationFileIndex& file)
{
    const int32_t row0 = file.row * HEIGHT_TILES_PER_FILE;
    const int32_t col0 = file.col * HEIGHT_TILES_PER_FILE;
    std::vector<TileKey> keys;
    for (int i = 0; i < HEIGHT_TILES_PER_FILE; ++i)
        for (int j = 0; j < HEIGHT_TILES_PER_FILE; ++j)
            keys.push_back({HEIGHT_TILE_ZOOM, row0 + i, col0 + j});
    return keys;
}

// The tiles' bytes into bytes, empty where the service has none (sea);
// false, with the reason in why, when one could not be had.
bool fetchHeightTiles(const FetchRun& run, HttpFetcher& http, const std::vector<TileKey>& keys,
                      std::vector<std::string>& bytes, MissingFile& why, int& fromCache)
{
    const std::string& pattern = run.fetch.demTemplate;
    bytes.assign(keys.size(), "");
    std::vector<bool> answered(keys.size(), false);
    bool complete = true;
    fetchTiles(run, http, pattern, keys,
               [&](size_t i, TileAnswer& answer) {
                   answered[i] = true;
                   if (answer.kind == TileAnswer::Kind::found) {
                       bytes[i] = std::move(answer.bytes);
                   } else if (answer.kind == TileAnswer::Kind::failed) {
                       why.source = tileUrl(pattern, keys[i].zoom, keys[i].row, keys[i].col);
                       why.failure = answer.failure;
                       complete = false;
                   }
               },
               fromCache);
    // A tile left unanswered is no sea: the fetch was stopped.
    if (complete && std::find(answered.begin(), answered.end(), false) != answered.end()) {
        why.failure.kind = FetchFailure::Kind::interrupted;
        complete = false;
    }
    return complete;
}

// The file's bytes from its height tiles; throws SourceError naming a tile
// that does not decode, tools::ToolError when GDAL fails.
std::string elevationFromHeightTiles(const FetchRun& run, const ElevationFileIndex& file,
                                     const std::vector<TileKey>& keys, const std::vector<std::string>& bytes)
{
    const HeightEncoding encoding = parseHeightEncoding(run.fetch.demEncoding);
    std::vector<std::vector<float>> heights(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!bytes[i].empty())
            heights[i] = decodeHeightTile(bytes[i], encoding,
                                          tileUrl(run.fetch.demTemplate, keys[i].zoom, keys[i].row, keys[i].col));
    }
    const std::string mosaic = "/vsimem/flightreplay-heights.tif";
    writeHeightMosaic(mosaic, HEIGHT_TILE_ZOOM, keys.front().row, keys.front().col, HEIGHT_TILES_PER_FILE, heights);
    std::string elevation;
    {
        DemSet dems({mosaic});
        SampleCounts counts;
        elevation = computeElevationFile(dems, file, counts, nullptr);
    }
    VSIUnlink(mosaic.c_str());
    return elevation;
}

void readFromHeightTiles(ElevationReads& reads)
{
    HttpFetcher http(reads.run.http());
    int tilesFromCache = 0;
    for (const ElevationFileIndex& file : reads.files) {
        const std::string name = nameOf(file);
        const std::vector<TileKey> keys = heightTilesOf(file);
        std::vector<std::string> bytes;
        MissingFile why{name, "", {}};
        try {
            if (fetchHeightTiles(reads.run, http, keys, bytes, why, tilesFromCache))
                reads.keep(name, elevationFromHeightTiles(reads.run, file, keys, bytes));
            else
                reads.run.missing.push_back(why);
        } catch (const SourceError& error) {
            reads.run.missing.push_back(missingAfter(name, error));
        } catch (const NoConnection&) {
            throw;
        } catch (const tools::ToolError& error) {
            reads.run.missing.push_back(missingAfter(name, error));
        }
    }
    reads.run.requests += http.requests();
}

// Which of the cells exist (those over open sea do not, and read as 0 m),
// and those that could not be asked about, with why.
struct CellSurvey {
    struct Broken {
        std::string url;
        FetchFailure failure;
    };
    std::vector<std::string> existing; // /vsicurl/ paths, sorted
    std::map<std::string, Broken> broken;
};

CellSurvey surveyCells(FetchRun& run, const std::vector<ElevationFileIndex>& files)
{
    std::set<std::string> cells;
    for (const ElevationFileIndex& file : files)
        for (const std::string& cell : cellsOf(file))
            cells.insert(cell);
    const std::vector<std::string> names(cells.begin(), cells.end());
    std::vector<std::string> urls;
    for (const std::string& cell : names)
        urls.push_back(cellUrl(run.fetch.demSource, cell));

    HttpOptions headOptions = run.http();
    headOptions.headOnly = true;
    HttpFetcher heads(headOptions);
    CellSurvey survey;
    heads.fetchAll(
        urls, [](size_t, const std::string&) { return true; },
        [&](size_t i, HttpResult& result) {
            if (result.outcome == HttpResult::Outcome::data)
                survey.existing.push_back("/vsicurl/" + urls[i]);
            else if (result.outcome == HttpResult::Outcome::failed)
                survey.broken[names[i]] = {urls[i], result.failure};
        });
    run.requests += heads.requests();
    std::sort(survey.existing.begin(), survey.existing.end());
    return survey;
}

// Why the file cannot be read from the cells, if it cannot.
std::optional<MissingFile> cannotRead(const ElevationFileIndex& file, const CellSurvey& survey)
{
    if (HttpFetcher::stopFlag())
        return MissingFile{nameOf(file), "", {FetchFailure::Kind::interrupted, 0, ""}};
    for (const std::string& cell : cellsOf(file)) {
        if (const auto broken = survey.broken.find(cell); broken != survey.broken.end())
            return MissingFile{nameOf(file), broken->second.url, broken->second.failure};
    }
    return std::nullopt;
}

void readFromCells(ElevationReads& reads)
{
    configureGdalHttp(reads.run.fetch);
    const CellSurvey survey = surveyCells(reads.run, reads.files);
    std::unique_ptr<DemSet> dems;
    for (const ElevationFileIndex& file : reads.files) {
        const std::string name = nameOf(file);
        if (const std::optional<MissingFile> why = cannotRead(file, survey)) {
            reads.run.missing.push_back(*why);
            continue;
        }
        try {
            if (!dems)
                dems = std::make_unique<DemSet>(survey.existing);
            SampleCounts counts;
            std::string bytes;
            {
                tools::Progress progress(name, EGM_SIDE, true);
                bytes = computeElevationFile(*dems, file, counts, &progress);
            }
            reads.keep(name, bytes);
        } catch (const SourceError& error) {
            reads.run.missing.push_back(missingAfter(name, error));
        } catch (const tools::ToolError& error) {
            reads.run.missing.push_back(missingAfter(name, error));
        }
    }
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
    const bool fromTiles = !run.fetch.demTemplate.empty();
    const std::string source = fromTiles ? run.fetch.demTemplate : run.fetch.demSource;
    ElevationReads reads{run, run.cache + "/elevation/" + sourceKey(source), {}, 0};
    int kept = 0;
    int fromCache = 0;
    for (const ElevationFileIndex& file : elevationFilesToPrepare(options.planArea)) {
        const std::string name = nameOf(file);
        const std::string path = options.dir + "/" + name;
        std::string bytes;
        if (!options.force && isWholeElevationFile(path)) {
            ++kept;
        } else if (readCached(reads.cacheDir + "/" + name, bytes) && bytes.size() == EGM_FILE_BYTES) {
            tools::writeFileAtomically(path, bytes);
            ++fromCache;
        } else if (run.fetch.offline) {
            run.missing.push_back({name, "", {FetchFailure::Kind::notCached, 0, ""}});
        } else {
            reads.files.push_back(file);
        }
    }
    if (!reads.files.empty()) {
        if (fromTiles)
            readFromHeightTiles(reads);
        else
            readFromCells(reads);
    }
    std::printf("elevation: %d files read from %s, %d from the cache, %d kept\n", reads.done, source.c_str(),
                fromCache, kept);
}

} // namespace flightreplay::prep
