#pragma once
// The steps of prep fetch, sharing the options, the cache folder and the
// list of what could not be fetched.

#include <string>
#include <utility>
#include <vector>

#include "tools/prep/http_fetcher.h"
#include "tools/prep/prep_commands.h"
#include "tools/prep/tile_resolver.h"

namespace flightreplay::prep {

struct FetchRun {
    const PrepOptions& options;
    const FetchOptions& fetch;
    std::string cache;                                       // the cache folder
    std::vector<std::pair<std::string, std::string>> missing; // file name, why
    int64_t requests = 0;                                    // made by our own HTTP client

    HttpOptions http() const;
};

// The Copernicus cell holding the point south-west corner (latitude, longitude
// in whole degrees), e.g. Copernicus_DSM_COG_10_S14_00_W172_00_DEM.
std::string copernicusCellName(int latitude, int longitude);

// Looks the tiles of the XYZ template up in the cache, then over HTTP
// (only complete images that decode enter the cache; 404 is remembered as
// absent); answer(index, result) once per key; counts cache hits in fromCache.
void fetchTiles(FetchRun& run, HttpFetcher& http, const std::string& pattern, const std::vector<TileKey>& keys,
                const std::function<void(size_t, TileAnswer&)>& answer, int& fromCache);

// Every elevation file, from the cache or the DEM service.
void fetchElevation(FetchRun& run);

// Every image tile from the imagery service (cache first, over-zoom where
// the service stops short), or relief tiles without one.
void fetchImagery(FetchRun& run);

} // namespace flightreplay::prep
