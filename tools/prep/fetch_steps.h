#pragma once
// The steps of prep fetch, sharing the options, the cache folder and the
// list of what could not be fetched.

#include <atomic>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "frame/terrain_tiles.h"
#include "tools/prep/fetch_failure.h"
#include "tools/prep/http_fetcher.h"
#include "tools/prep/prep_commands.h"
#include "tools/prep/tile_resolver.h"

namespace flightreplay::prep {

struct FetchRun {
    const PrepOptions& options;
    const FetchOptions& fetch;
    std::string cache;                // the cache folder
    std::vector<MissingFile> missing; // in the order the steps found them
    int64_t requests = 0;             // made by our own HTTP client

    HttpOptions http() const;
};

// The Copernicus cell holding the point south-west corner (latitude, longitude
// in whole degrees), e.g. Copernicus_DSM_COG_10_S14_00_W172_00_DEM.
std::string copernicusCellName(int latitude, int longitude);

// Looks the tiles of the XYZ template up in the cache, then over HTTP
// (only complete images that decode enter the cache; 404 is remembered as
// absent); answer(index, result) once per key; counts cache hits in fromCache.
void fetchTiles(const FetchRun& run, HttpFetcher& http, const std::string& pattern, const std::vector<TileKey>& keys,
                const std::function<void(size_t, TileAnswer&)>& answer, int& fromCache);

// Every elevation file, from the cache or the DEM service.
void fetchElevation(FetchRun& run);

// Every image tile: from the imagery service, downloaded on a thread of its
// own (cache first, over-zoom where the service stops short), or relief
// tiles drawn from the elevation without a service.
class ImageryFetch {
public:
    // Lists the tiles to write; nothing is requested yet.
    explicit ImageryFetch(const FetchRun& run);
    // Cancels a download still under way and waits for it.
    ~ImageryFetch();
    ImageryFetch(const ImageryFetch&) = delete;
    ImageryFetch& operator=(const ImageryFetch&) = delete;

    // Whether the download may run while the elevation is read: it needs
    // no host the elevation's requests go to, so that no host sees more
    // than four connections from us.
    bool mayRunBesideElevation() const;

    // Starts the download, if a service is named.
    void start();

    // Starts the download if it has not started and shows its progress
    // until it ends (or draws relief tiles without a service), then adds
    // its missing files and requests to run and prints its line. Throws
    // what the download threw (NoConnection, tools::ToolError).
    void finish(FetchRun& run);

private:
    struct Outcome {
        int written = 0;
        int overzoomed = 0;
        int fromCache = 0;
        int64_t requests = 0;
        std::vector<TileShortfall> shortfalls;
    };
    Outcome download();
    void drawRelief();

    const FetchRun& run_;
    const std::string& pattern_;
    int kept_ = 0;
    std::vector<TerrainTile> tiles_;
    std::unique_ptr<HttpFetcher> http_;
    std::atomic<int64_t> written_{0};
    std::future<Outcome> outcome_;
};

} // namespace flightreplay::prep
