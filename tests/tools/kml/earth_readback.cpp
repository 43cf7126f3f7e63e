#include "earth_readback.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include <gdal.h>
#include <gtest/gtest.h>
#include <ogr_api.h>

namespace {

std::string dateField(OGRFeatureH feature, const char* field)
{
    const int index = OGR_F_GetFieldIndex(feature, field);
    if (index < 0 || !OGR_F_IsFieldSetAndNotNull(feature, index))
        return "";
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, zone = 0;
    float second = 0;
    OGR_F_GetFieldAsDateTimeEx(feature, index, &year, &month, &day, &hour, &minute, &second, &zone);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%06.3f", year, month, day, hour, minute,
                  static_cast<double>(second));
    return text;
}

} // namespace

std::vector<EarthFeature> readEarthFeatures(const std::string& path)
{
    GDALAllRegister();
    const char* const drivers[] = {"LIBKML", nullptr};
    GDALDatasetH dataset = GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers, nullptr, nullptr);
    std::vector<EarthFeature> features;
    if (!dataset)
        return features;
    for (int l = 0; l < GDALDatasetGetLayerCount(dataset); ++l) {
        OGRLayerH layer = GDALDatasetGetLayer(dataset, l);
        OGR_L_ResetReading(layer);
        while (OGRFeatureH feature = OGR_L_GetNextFeature(layer)) {
            EarthFeature f;
            f.layer = OGR_L_GetName(layer);
            const int name = OGR_F_GetFieldIndex(feature, "Name");
            if (name >= 0)
                f.name = OGR_F_GetFieldAsString(feature, name);
            const int description = OGR_F_GetFieldIndex(feature, "description");
            if (description >= 0)
                f.description = OGR_F_GetFieldAsString(feature, description);
            if (OGRGeometryH geometry = OGR_F_GetGeometryRef(feature)) {
                f.geometry = OGR_G_GetGeometryName(geometry);
                f.points = OGR_G_GetPointCount(geometry);
                if (f.points > 0)
                    OGR_G_GetPoint(geometry, 0, &f.x, &f.y, &f.z);
            }
            f.begin = dateField(feature, "begin");
            f.end = dateField(feature, "end");
            f.timestamp = dateField(feature, "timestamp");
            features.push_back(f);
            OGR_F_Destroy(feature);
        }
    }
    GDALClose(dataset);
    return features;
}

EarthFeature featureNamed(const std::vector<EarthFeature>& features, const std::string& name)
{
    for (const EarthFeature& f : features)
        if (f.name == name)
            return f;
    ADD_FAILURE() << "no feature named " << name;
    return {};
}

std::string zipMember(const std::string& archive, const std::string& inner)
{
    const std::string path = "/vsizip/" + archive + "/" + inner;
    VSILFILE* file = VSIFOpenL(path.c_str(), "rb");
    if (!file)
        return "";
    std::string bytes;
    char buffer[65536];
    size_t got = 0;
    while ((got = VSIFReadL(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, got);
    VSIFCloseL(file);
    return bytes;
}

std::string utcText(double secondsSince1970)
{
    const double whole = std::floor(secondsSince1970);
    const std::time_t seconds = static_cast<std::time_t>(whole);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%06.3f", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec + (secondsSince1970 - whole));
    return text;
}
