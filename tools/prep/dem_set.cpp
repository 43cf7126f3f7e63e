#include "tools/prep/dem_set.h"

#include <algorithm>
#include <cmath>

#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include "tools/common/tool_error.h"
#include "tools/prep/source_error.h"

namespace flightreplay::prep {

struct DemSet::Dem {
    std::string path;
    GDALDatasetUniquePtr dataset;
    GDALRasterBand* band = nullptr;
    int width = 0;
    int height = 0;
    double toPixel[6] = {};
    OGRSpatialReference crs;
    // Null when the DEM is itself in WGS84 longitude and latitude.
    OGRCoordinateTransformation* fromWgs84 = nullptr;
    bool hasNoData = false;
    float noData = 0.0f;
    double scale = 1.0;
    double offset = 0.0;

    ~Dem() { OGRCoordinateTransformation::DestroyCT(fromWgs84); }
};

namespace {

std::string gdalReason(const char* fallback)
{
    const char* message = CPLGetLastErrorMsg();
    return message && *message ? message : fallback;
}

std::unique_ptr<DemSet::Dem> openDem(const std::string& path, const OGRSpatialReference& wgs84)
{
    auto dem = std::make_unique<DemSet::Dem>();
    dem->path = path;
    CPLErrorReset();
    dem->dataset.reset(static_cast<GDALDataset*>(
        GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
    if (!dem->dataset)
        throw SourceError(path, "cannot open as a raster: " + gdalReason("unknown format"));
    if (dem->dataset->GetRasterCount() < 1)
        throw SourceError(path, "holds no raster band");
    dem->band = dem->dataset->GetRasterBand(1);
    dem->width = dem->dataset->GetRasterXSize();
    dem->height = dem->dataset->GetRasterYSize();

    double toGeo[6];
    if (dem->dataset->GetGeoTransform(toGeo) != CE_None || !GDALInvGeoTransform(toGeo, dem->toPixel))
        throw SourceError(path, "has no usable geotransform");
    const OGRSpatialReference* crs = dem->dataset->GetSpatialRef();
    if (!crs || crs->IsEmpty())
        throw SourceError(path, "has no coordinate reference system");
    dem->crs = *crs;
    dem->crs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    if (!dem->crs.IsSame(&wgs84)) {
        CPLErrorReset();
        dem->fromWgs84 = OGRCreateCoordinateTransformation(&wgs84, &dem->crs);
        if (!dem->fromWgs84)
            throw SourceError(path, "no transformation from WGS84 to its coordinate reference system: "
                                            + gdalReason("unsupported"));
    }

    int hasNoData = 0;
    const double noData = dem->band->GetNoDataValue(&hasNoData);
    dem->hasNoData = hasNoData != 0;
    dem->noData = static_cast<float>(noData);
    dem->scale = dem->band->GetScale();
    dem->offset = dem->band->GetOffset();
    return dem;
}

} // namespace

DemSet::DemSet(const std::vector<std::string>& paths)
{
    GDALAllRegister();
    // GDAL's own messages would break the one-line error; its last message
    // is quoted in ours instead.
    CPLSetErrorHandler(CPLQuietErrorHandler);
    OGRSpatialReference wgs84;
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    for (const std::string& path : paths)
        dems_.push_back(openDem(path, wgs84));
}

DemSet::~DemSet() = default;

void DemSet::sample(const double* lon, const double* lat, size_t n, HeightSample* out)
{
    pending_.resize(n);
    for (size_t i = 0; i < n; ++i) {
        pending_[i] = i;
        out[i] = HeightSample{};
    }
    for (const auto& dem : dems_) {
        if (pending_.empty())
            break;
        const size_t count = pending_.size();
        x_.resize(count);
        y_.resize(count);
        transformed_.assign(count, 1);
        for (size_t k = 0; k < count; ++k) {
            x_[k] = lon[pending_[k]];
            y_[k] = lat[pending_[k]];
        }
        if (dem->fromWgs84)
            dem->fromWgs84->Transform(static_cast<int>(count), x_.data(), y_.data(), nullptr, transformed_.data());

        // Pixel coordinates of the points this DEM covers, into x_ and y_,
        // and the window of pixels their interpolation needs.
        const double* g = dem->toPixel;
        const int w = dem->width;
        const int h = dem->height;
        int left = w, top = h, right = -1, bottom = -1;
        for (size_t k = 0; k < count; ++k) {
            const double px = g[0] + g[1] * x_[k] + g[2] * y_[k];
            const double py = g[3] + g[4] * x_[k] + g[5] * y_[k];
            if (!transformed_[k] || !(px >= 0.0 && px <= w && py >= 0.0 && py <= h)) {
                transformed_[k] = 0;
                continue;
            }
            const double u = std::clamp(px - 0.5, 0.0, static_cast<double>(w - 1));
            const double v = std::clamp(py - 0.5, 0.0, static_cast<double>(h - 1));
            x_[k] = u;
            y_[k] = v;
            const int i0 = std::min(static_cast<int>(u), std::max(w - 2, 0));
            const int j0 = std::min(static_cast<int>(v), std::max(h - 2, 0));
            left = std::min(left, i0);
            top = std::min(top, j0);
            right = std::max(right, std::min(i0 + 1, w - 1));
            bottom = std::max(bottom, std::min(j0 + 1, h - 1));
        }
        if (right < 0)
            continue;

        const int windowWidth = right - left + 1;
        const int windowHeight = bottom - top + 1;
        window_.resize(static_cast<size_t>(windowWidth) * static_cast<size_t>(windowHeight));
        CPLErrorReset();
        if (dem->band->RasterIO(GF_Read, left, top, windowWidth, windowHeight, window_.data(), windowWidth,
                                windowHeight, GDT_Float32, 0, 0, nullptr)
            != CE_None)
            throw SourceError(dem->path, "cannot read: " + gdalReason("read failed"));

        const auto valid = [&](float value) {
            return !std::isnan(value) && !(dem->hasNoData && value == dem->noData);
        };
        stillPending_.clear();
        for (size_t k = 0; k < count; ++k) {
            const size_t index = pending_[k];
            if (!transformed_[k]) {
                stillPending_.push_back(index);
                continue;
            }
            const int i0 = std::min(static_cast<int>(x_[k]), std::max(w - 2, 0));
            const int j0 = std::min(static_cast<int>(y_[k]), std::max(h - 2, 0));
            const int i1 = std::min(i0 + 1, w - 1);
            const int j1 = std::min(j0 + 1, h - 1);
            const double a = x_[k] - i0;
            const double b = y_[k] - j0;
            const double weights[4] = {(1 - a) * (1 - b), a * (1 - b), (1 - a) * b, a * b};
            const size_t rowStride = static_cast<size_t>(windowWidth);
            const size_t r0 = static_cast<size_t>(j0 - top) * rowStride;
            const size_t r1 = static_cast<size_t>(j1 - top) * rowStride;
            const float values[4] = {window_[r0 + static_cast<size_t>(i0 - left)],
                                     window_[r0 + static_cast<size_t>(i1 - left)],
                                     window_[r1 + static_cast<size_t>(i0 - left)],
                                     window_[r1 + static_cast<size_t>(i1 - left)]};
            double sum = 0.0;
            bool complete = true;
            for (int q = 0; q < 4; ++q) {
                if (weights[q] == 0.0)
                    continue;
                if (!valid(values[q])) {
                    complete = false;
                    break;
                }
                sum += weights[q] * values[q];
            }
            if (complete) {
                out[index].metres = sum * dem->scale + dem->offset;
                out[index].kind = SampleKind::height;
            } else {
                out[index].kind = SampleKind::noData;
                stillPending_.push_back(index);
            }
        }
        pending_.swap(stillPending_);
    }
}

} // namespace flightreplay::prep
