#include <chrono>
#include <cstdio>

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

constexpr std::chrono::milliseconds PROGRESS_INTERVAL{100};

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

void fetchTiles(const FetchRun& run, HttpFetcher& http, const std::string& pattern, const std::vector<TileKey>& keys,
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
            result.failure.kind = FetchFailure::Kind::notCached;
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
                result.failure = fetched.failure;
                break;
            }
            answer(remote[j], result);
        });
}

ImageryFetch::ImageryFetch(const FetchRun& run) : run_(run), pattern_(run.fetch.imagery)
{
    tiles_ = imageTilesToWrite(run.options, kept_);
    if (!pattern_.empty())
        http_ = std::make_unique<HttpFetcher>(run.http());
}

ImageryFetch::~ImageryFetch()
{
    if (outcome_.valid()) {
        http_->cancel();
        outcome_.wait();
    }
}

bool ImageryFetch::mayRunBesideElevation() const
{
    const FetchOptions& fetch = run_.fetch;
    const std::string elevationSource = fetch.demTemplate.empty() ? fetch.demSource : fetch.demTemplate;
    return !pattern_.empty() && (fetch.offline || hostOf(pattern_) != hostOf(elevationSource));
}

void ImageryFetch::start()
{
    if (pattern_.empty() || outcome_.valid())
        return;
    tools::makeFolder(run_.options.dir + "/img");
    outcome_ = std::async(std::launch::async, [this] { return download(); });
}

ImageryFetch::Outcome ImageryFetch::download()
{
    Outcome outcome;
    const TileLookup lookup = [&](const std::vector<TileKey>& keys,
                                  const std::function<void(size_t, TileAnswer&)>& answer) {
        fetchTiles(run_, *http_, pattern_, keys, answer, outcome.fromCache);
    };
    const TileReady write = [&](const TerrainTile& tile, const std::string& jpeg, int sourceZoom) {
        tools::writeFileAtomically(run_.options.dir + "/" + terrainImageName(tile), jpeg);
        ++outcome.written;
        if (sourceZoom != tile.zoom)
            ++outcome.overzoomed;
        ++written_;
    };
    outcome.shortfalls = resolveTiles(tiles_, lookup, write,
                                      [&](const TileKey& key) { return tileUrl(pattern_, key.zoom, key.row, key.col); });
    outcome.requests = http_->requests();
    return outcome;
}

void ImageryFetch::drawRelief()
{
    const int drawn = writeReliefTiles(run_.options);
    std::printf("imagery: %d relief tiles drawn from the elevation, %d kept\n", drawn, kept_);
}

void ImageryFetch::finish(FetchRun& run)
{
    if (pattern_.empty()) {
        drawRelief();
        return;
    }
    start();
    {
        tools::Progress progress("tiles", static_cast<int64_t>(tiles_.size()), true);
        int64_t shown = 0;
        const auto show = [&] {
            const int64_t written = written_;
            progress.advance(written - shown);
            shown = written;
            progress.setBytes(http_->bytes());
        };
        while (outcome_.wait_for(PROGRESS_INTERVAL) != std::future_status::ready)
            show();
        show();
    }
    const Outcome outcome = outcome_.get();
    run.requests += outcome.requests;
    for (const TileShortfall& shortfall : outcome.shortfalls) {
        const TerrainTile& t = shortfall.tile;
        run.missing.push_back({terrainImageName(t), tileUrl(pattern_, t.zoom, t.row, t.col), shortfall.failure});
    }
    std::printf("imagery: %d tiles written (%d cut and scaled from a shallower zoom), %d source tiles from the cache, %d kept\n",
                outcome.written, outcome.overzoomed, outcome.fromCache, kept_);
}

} // namespace flightreplay::prep
