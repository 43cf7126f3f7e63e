#include "prep_fixtures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <vector>

#include <gdal_priv.h>
#include <sqlite3.h>
#include <ogr_spatialref.h>
#include <osg/Image>
#include <osgDB/ReadFile>
#include <osgDB/Registry>
#include <webp/encode.h>

#include "frame/elevation_tile.h"
#include "frame/terrain_tiles.h"
#include "log/units.h"
#include "support/test_support.h"

std::string prepPath()
{
    return FLIGHTREPLAY_PREP_BINARY;
}

std::string logAt(double lat, double lon)
{
    char text[160];
    std::snprintf(text, sizeof text, "gps_time,gps_curlat,gps_curlon,gps_curalt\n0,%.6f,%.6f,100\n", lat * 60,
                  lon * 60);
    return text;
}

void writeGeoTiff(const std::string& path, int epsg, int width, int height, const std::array<double, 6>& geo,
                  const std::function<double(double x, double y)>& heightAt, const double* noData)
{
    GDALAllRegister();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    GDALDataset* dataset = driver->Create(path.c_str(), width, height, 1, GDT_Float32, nullptr);
    double transform[6] = {geo[0], geo[1], geo[2], geo[3], geo[4], geo[5]};
    dataset->SetGeoTransform(transform);
    if (epsg != 0) {
        OGRSpatialReference crs;
        crs.importFromEPSG(epsg);
        dataset->SetSpatialRef(&crs);
    }
    GDALRasterBand* band = dataset->GetRasterBand(1);
    if (noData)
        band->SetNoDataValue(*noData);
    std::vector<float> row(static_cast<size_t>(width));
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            const double x = geo[0] + (i + 0.5) * geo[1];
            const double y = geo[3] + (j + 0.5) * geo[5];
            row[static_cast<size_t>(i)] = static_cast<float>(heightAt(x, y));
        }
        if (band->RasterIO(GF_Write, 0, j, width, 1, row.data(), width, 1, GDT_Float32, 0, 0, nullptr) != CE_None)
            std::abort();
    }
    GDALClose(dataset);
}

void projectFromWgs84(int epsg, double lon, double lat, double& x, double& y)
{
    OGRSpatialReference wgs84;
    wgs84.importFromEPSG(4326);
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRSpatialReference target;
    target.importFromEPSG(epsg);
    target.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRCoordinateTransformation* transform = OGRCreateCoordinateTransformation(&wgs84, &target);
    x = lon;
    y = lat;
    transform->Transform(1, &x, &y);
    OGRCoordinateTransformation::DestroyCT(transform);
}

double latitudeOfRow(int32_t row)
{
    const double n = MAP_PI * (1.0 - 2.0 * row / 262144.0);
    return std::atan(0.5 * (std::exp(n) - std::exp(-n))) * 180.0 / MAP_PI;
}

double longitudeOfCol(int32_t col)
{
    return col / 262144.0 * 360.0 - 180.0;
}

int elevationSample(const std::string& path, int r, int c)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return -99999;
    unsigned char bytes[2] = {0, 0};
    std::fseek(file, (static_cast<long>(r) * EGM_SIDE + c) * 2, SEEK_SET);
    const size_t got = std::fread(bytes, 1, 2, file);
    std::fclose(file);
    if (got != 2)
        return -99999;
    return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)));
}

std::string tileBytes(const osg::Vec3& colour, const std::string& format)
{
    constexpr int SIDE = 256;
    std::vector<unsigned char> topDown(static_cast<size_t>(SIDE * SIDE * 3));
    for (int y = 0; y < SIDE; ++y) {
        for (int x = 0; x < SIDE; ++x) {
            unsigned char* p = &topDown[static_cast<size_t>((y * SIDE + x) * 3)];
            for (int k = 0; k < 3; ++k)
                p[k] = y < SIDE / 4 ? 0 : static_cast<unsigned char>(colour[k] * 255.0f + 0.5f);
        }
    }
    if (format == "webp") {
        uint8_t* out = nullptr;
        const size_t size = WebPEncodeLosslessRGB(topDown.data(), SIDE, SIDE, SIDE * 3, &out);
        std::string bytes(reinterpret_cast<const char*>(out), size);
        WebPFree(out);
        return bytes;
    }
    // OSG keeps the bottom row first.
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(SIDE, SIDE, 1, GL_RGB, GL_UNSIGNED_BYTE);
    for (int y = 0; y < SIDE; ++y)
        std::copy_n(&topDown[static_cast<size_t>(y * SIDE * 3)], SIDE * 3,
                    image->data(0, static_cast<unsigned>(SIDE - 1 - y)));
    std::ostringstream stream;
    osgDB::ReaderWriter* rw = osgDB::Registry::instance()->getReaderWriterForExtension(format);
    rw->writeImage(*image, stream);
    return stream.str();
}

bool readTileColours(const std::string& path, osg::Vec3& body, float& top)
{
    osg::ref_ptr<osg::Image> image = osgDB::readImageFile(path);
    if (!image || image->s() != 256 || image->t() != 256)
        return false;
    // Bottom-left origin: t = 255 is the north edge.
    const osg::Vec4 c = image->getColor(128, 96);
    body = osg::Vec3(c.r(), c.g(), c.b());
    const osg::Vec4 n = image->getColor(128, 240);
    top = (n.r() + n.g() + n.b()) / 3.0f;
    return true;
}

int countLines(const std::string& text, const std::string& prefix)
{
    int count = 0;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
        if (line.compare(0, prefix.size(), prefix) == 0)
            ++count;
    return count;
}

void writeGreyMbtiles(const std::string& path, int32_t ci, int32_t cj)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
        throw std::runtime_error(path + ": cannot make an MBTiles file");
    sqlite3_exec(db,
                 "CREATE TABLE tiles (zoom_level integer, tile_column integer, tile_row integer, tile_data blob);"
                 "BEGIN",
                 nullptr, nullptr, nullptr);
    const std::string grey = tileBytes(osg::Vec3(0.5f, 0.5f, 0.5f), "png");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO tiles VALUES (?1, ?2, ?3, ?4)", -1, &insert, nullptr);
    forEachTerrainTile(ci, cj, [&](const TerrainTile& t) {
        sqlite3_reset(insert);
        sqlite3_bind_int(insert, 1, t.zoom);
        sqlite3_bind_int64(insert, 2, t.col);
        sqlite3_bind_int64(insert, 3, (int64_t{1} << t.zoom) - 1 - t.row);
        sqlite3_bind_blob(insert, 4, grey.data(), static_cast<int>(grey.size()), SQLITE_STATIC);
        sqlite3_step(insert);
    });
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}
