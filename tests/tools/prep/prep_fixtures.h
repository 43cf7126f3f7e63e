#pragma once
// Real input files for the prep tool, made with GDAL, SQLite, OSG's image
// plug-ins and libwebp, and readers of what the tool writes.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include <osg/Vec3>

// The built flightreplay-prep executable.
std::string prepPath();

// A one-row log placing the flight at lat, lon in degrees.
std::string logAt(double lat, double lon);

// Writes a single-band Float32 GeoTIFF of width x height pixels in the CRS
// of the EPSG code (none for 0); geo is GDAL's geotransform (x0, dx, 0, y0, 0, -dy). The
// value of each pixel is height(x, y) at the pixel's centre in CRS units.
void writeGeoTiff(const std::string& path, int epsg, int width, int height, const std::array<double, 6>& geo,
                  const std::function<double(double x, double y)>& heightAt, const double* noData = nullptr);

// Longitude/latitude (degrees) to easting/northing of the EPSG CRS.
void projectFromWgs84(int epsg, double lon, double lat, double& x, double& y);

// Latitude and longitude in degrees of zoom-18 corner (row, col), worked out
// with the usual tile formula, independently of the library.
double latitudeOfRow(int32_t row);
double longitudeOfCol(int32_t col);

// Sample (r, c) of an elevation file on disk.
int elevationSample(const std::string& path, int r, int c);

// A 256 x 256 tile: the top quarter (north) black, the rest one colour.
// Encoded as "png", "jpg" or "webp".
std::string tileBytes(const osg::Vec3& colour, const std::string& format);

// Colour of a decoded tile file below its black quarter, and the mean
// brightness of its top quarter, through the OSG plug-ins.
bool readTileColours(const std::string& path, osg::Vec3& body, float& top);

int countLines(const std::string& text, const std::string& prefix);

// An MBTiles file of grey tiles for every tile of the terrain patch around
// centre tile (ci, cj).
void writeGreyMbtiles(const std::string& path, int32_t ci, int32_t cj);
