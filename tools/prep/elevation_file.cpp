#include "tools/prep/elevation_file.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <vector>

#include "frame/elevation_tile.h"
#include "tools/prep/dem_set.h"
#include "tools/common/progress.h"

namespace flightreplay::prep {

namespace {
// Sample blocks small enough that one DEM window stays small for fine DEMs.
constexpr int BLOCK = 32;
} // namespace

SampleCounts& SampleCounts::operator+=(const SampleCounts& other)
{
    fromDem += other.fromDem;
    noData += other.noData;
    uncovered += other.uncovered;
    return *this;
}

bool isWholeElevationFile(const std::string& path)
{
    std::error_code error;
    return std::filesystem::file_size(path, error) == EGM_FILE_BYTES && !error;
}

int16_t storedHeight(double metres)
{
    if (!(metres > -32768.0))
        return -32768;
    if (!(metres < 32767.0))
        return 32767;
    return static_cast<int16_t>(std::lround(metres));
}

std::string computeElevationFile(DemSet& dems, ElevationFileIndex file, SampleCounts& counts, tools::Progress* progress)
{
    std::vector<double> rowLat(EGM_SIDE);
    std::vector<double> colLon(EGM_SIDE);
    for (int i = 0; i < EGM_SIDE; ++i) {
        rowLat[static_cast<size_t>(i)] = cornerLatitude(file.row * EGM_SPAN + i);
        colLon[static_cast<size_t>(i)] = cornerLongitude(file.col * EGM_SPAN + i);
    }

    std::string bytes(EGM_FILE_BYTES, '\0');
    std::vector<double> lon;
    std::vector<double> lat;
    std::vector<HeightSample> samples;
    for (int r0 = 0; r0 < EGM_SIDE; r0 += BLOCK) {
        const int r1 = std::min(r0 + BLOCK, EGM_SIDE);
        for (int c0 = 0; c0 < EGM_SIDE; c0 += BLOCK) {
            const int c1 = std::min(c0 + BLOCK, EGM_SIDE);
            lon.clear();
            lat.clear();
            for (int r = r0; r < r1; ++r) {
                for (int c = c0; c < c1; ++c) {
                    lat.push_back(rowLat[static_cast<size_t>(r)]);
                    lon.push_back(colLon[static_cast<size_t>(c)]);
                }
            }
            samples.resize(lon.size());
            dems.sample(lon.data(), lat.data(), lon.size(), samples.data());
            size_t k = 0;
            for (int r = r0; r < r1; ++r) {
                for (int c = c0; c < c1; ++c, ++k) {
                    int16_t height = 0;
                    switch (samples[k].kind) {
                    case SampleKind::height:
                        height = storedHeight(samples[k].metres);
                        ++counts.fromDem;
                        break;
                    case SampleKind::noData:
                        ++counts.noData;
                        break;
                    case SampleKind::uncovered:
                        ++counts.uncovered;
                        break;
                    }
                    const size_t at = (static_cast<size_t>(r) * EGM_SIDE + static_cast<size_t>(c)) * 2;
                    const auto raw = static_cast<uint16_t>(height);
                    bytes[at] = static_cast<char>(raw & 0xff);
                    bytes[at + 1] = static_cast<char>(raw >> 8);
                }
            }
        }
        if (progress)
            progress->advance(r1 - r0);
    }
    return bytes;
}

} // namespace flightreplay::prep
