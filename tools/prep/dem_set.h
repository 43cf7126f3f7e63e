#pragma once
// Heights from DEM rasters read with GDAL (GeoTIFF, SRTM .hgt, VRT, any
// raster GDAL opens), in any coordinate reference system.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace flightreplay::prep {

enum class SampleKind : uint8_t {
    height,    // metres from a DEM
    noData,    // inside some DEM, but only on its no-data pixels
    uncovered, // inside no DEM
};

struct HeightSample {
    double metres = 0.0;
    SampleKind kind = SampleKind::uncovered;
};

class DemSet {
public:
    // Opens the DEMs (band 1 of each); throws tools::ToolError naming the file and
    // the reason when one cannot be read or has no georeferencing.
    explicit DemSet(const std::vector<std::string>& paths);
    ~DemSet();
    DemSet(const DemSet&) = delete;
    DemSet& operator=(const DemSet&) = delete;

    // Heights at n points given as WGS84 longitudes and latitudes in degrees:
    // bilinear between the pixel centres of the first DEM, in the order
    // given, whose four surrounding pixels (those of nonzero weight) hold
    // data; within half a pixel of a DEM's edge the edge pixels are used.
    // Throws tools::ToolError when a DEM cannot be read.
    void sample(const double* lon, const double* lat, size_t n, HeightSample* out);

    struct Dem; // one opened raster

private:
    std::vector<std::unique_ptr<Dem>> dems_;
    std::vector<size_t> pending_;
    std::vector<size_t> stillPending_;
    std::vector<double> x_;
    std::vector<double> y_;
    std::vector<int> transformed_;
    std::vector<float> window_;
};

} // namespace flightreplay::prep
