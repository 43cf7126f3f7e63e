#include <cstdio>
#include <filesystem>
#include <system_error>

#include "frame/map_frame.h"
#include "frame/terrain_tiles.h"
#include "tools/common/output_file.h"
#include "tools/common/progress.h"
#include "tools/common/tool_error.h"
#include "tools/prep/download_cache.h"
#include "tools/prep/fetch_steps.h"
#include "tools/prep/tile_image.h"
#include "tools/prep/tile_resolver.h"
#include "tools/prep/tile_url.h"

namespace flightreplay::prep {

namespace {

// Tiles this small are placeholders or errors, not pictures of the ground.
constexpr int SMALLEST_TILE_SIDE = 64;

bool decodesAsTile(const std::string& bytes)
{
    try {
        const osg::ref_ptr<osg::Image> image = decodeTile(bytes, "");
        return image->s() == image->t() && image->s() >= SMALLEST_TILE_SIDE;
    } catch (const tools::ToolError&) {
        return false;
    }
}

} // namespace

void fetchTiles(FetchRun& run, HttpFetcher& http, const std::string& pattern, const std::vector<TileKey>& keys,
                const std::function<void(size_t, TileAnswer&)>& answer, int& fromCache)
{
    const std::string cacheDir = run.cache + "/tiles/" + sourceKey(pattern);
    const auto cachePath = [&](const TileKey& key) {
        return cacheDir + "/" + std::to_string(key.zoom) + "/" + std::to_string(key.col) + "/"
               + std::to_string(key.row);
    };
    std::vector<size_t> remote;
    std::vector<std::string> urls;
    for (size_t i = 0; i < keys.size(); ++i) {
        TileAnswer result;
        const std::string path = cachePath(keys[i]);
        if (readCached(path, result.bytes)) {
            result.kind = TileAnswer::Kind::found;
            result.verified = true;
            ++fromCache;
        } else if (tools::fileExists(path + ".none")) {
            result.kind = TileAnswer::Kind::absent;
        } else if (run.fetch.offline) {
            result.kind = TileAnswer::Kind::failed;
            result.error = "not in the cache (--offline)";
        } else {
            remote.push_back(i);
            urls.push_back(tileUrl(pattern, keys[i].zoom, keys[i].row, keys[i].col));
            continue;
        }
        answer(i, result);
    }
    http.fetchAll(
        urls, [](size_t, const std::string& bytes) { return decodesAsTile(bytes); },
        [&](size_t j, HttpResult& fetched) {
            const TileKey& key = keys[remote[j]];
            TileAnswer result;
            switch (fetched.outcome) {
            case HttpResult::Outcome::data:
                storeCached(cachePath(key), fetched.bytes);
                result.kind = TileAnswer::Kind::found;
                result.verified = true;
                result.bytes = std::move(fetched.bytes);
                break;
            case HttpResult::Outcome::noData:
                storeCached(cachePath(key) + ".none", "");
                result.kind = TileAnswer::Kind::absent;
                break;
            case HttpResult::Outcome::failed:
                result.kind = TileAnswer::Kind::failed;
                result.error = fetched.error;
                break;
            }
            answer(remote[j], result);
        });
}

void fetchImagery(FetchRun& run)
{
    const PrepOptions& options = run.options;
    const std::string& pattern = run.fetch.imagery;
    int kept = 0;
    const std::vector<TerrainTile> tiles = imageTilesToWrite(options, kept);
    if (pattern.empty()) {
        const int drawn = writeReliefTiles(options);
        std::printf("imagery: %d relief tiles drawn from the elevation, %d kept\n", drawn, kept);
        return;
    }

    tools::makeFolder(options.dir + "/img");
    HttpFetcher http(run.http());
    int written = 0;
    int overzoomed = 0;
    int cached = 0;
    tools::Progress progress("tiles", static_cast<int64_t>(tiles.size()), true);
    const TileLookup lookup = [&](const std::vector<TileKey>& keys,
                                  const std::function<void(size_t, TileAnswer&)>& answer) {
        fetchTiles(run, http, pattern, keys, answer, cached);
        progress.setBytes(http.bytes());
    };
    const std::vector<TileShortfall> shortfalls = resolveTiles(
        tiles, lookup,
        [&](const TerrainTile& tile, const std::string& jpeg, int sourceZoom) {
            tools::writeFileAtomically(options.dir + "/" + terrainImageName(tile), jpeg);
            ++written;
            if (sourceZoom != tile.zoom)
                ++overzoomed;
            progress.advance();
        },
        [&](const TileKey& key) { return tileUrl(pattern, key.zoom, key.row, key.col); });
    run.requests += http.requests();
    for (const TileShortfall& shortfall : shortfalls) {
        const TerrainTile& t = shortfall.tile;
        run.missing.emplace_back(terrainImageName(t), tileUrl(pattern, t.zoom, t.row, t.col) + ": " + shortfall.reason);
    }
    std::printf("imagery: %d tiles written (%d cut and scaled from a shallower zoom), %d source tiles from the cache, %d kept\n",
                written, overzoomed, cached, kept);
}

} // namespace flightreplay::prep
