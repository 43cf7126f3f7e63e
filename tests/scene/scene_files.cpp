#include "scene_files.h"

#include <filesystem>
#include <fstream>

#include <osg/Image>
#include <osgDB/WriteFile>

#include "support/test_support.h"

namespace {

osg::ref_ptr<osg::Image> rgbImage(int width, int height)
{
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(width, height, 1, GL_RGB, GL_UNSIGNED_BYTE);
    return image;
}

void paintRow(osg::Image& image, int row, const unsigned char rgb[3])
{
    for (int x = 0; x < image.s(); ++x) {
        unsigned char* pixel = image.data(static_cast<unsigned>(x), static_cast<unsigned>(row));
        pixel[0] = rgb[0];
        pixel[1] = rgb[1];
        pixel[2] = rgb[2];
    }
}

const char* const AC3D_MATERIAL =
    "MATERIAL \"paint\" rgb 1 0.9 0.1  amb 0.2 0.2 0.2  emis 0 0 0  spec 0.2 0.2 0.2  shi 10  trans 0\n";

} // namespace

bool writeBandedSky(const std::string& path, int width, int height, int band)
{
    osg::ref_ptr<osg::Image> image = rgbImage(width, height);
    // Image rows count upward; the top band is orange.
    for (int row = 0; row < height; ++row)
        paintRow(*image, row, ((height - 1 - row) / band) % 2 == 0 ? SKY_ORANGE : SKY_PURPLE);
    return osgDB::writeImageFile(*image, path);
}

bool writeSolidJpeg(const std::string& path, int width, int height, const unsigned char rgb[3])
{
    osg::ref_ptr<osg::Image> image = rgbImage(width, height);
    for (int row = 0; row < height; ++row)
        paintRow(*image, row, rgb);
    return osgDB::writeImageFile(*image, path);
}

void writeTriangleModel(const std::string& path, const osg::Vec3& a, const osg::Vec3& b, const osg::Vec3& c)
{
    std::ofstream file(path);
    file << "AC3Db\n" << AC3D_MATERIAL << "OBJECT world\nkids 1\nOBJECT poly\nname \"triangle\"\nnumvert 3\n";
    for (const osg::Vec3& v : {a, b, c})
        file << v.x() << ' ' << v.y() << ' ' << v.z() << '\n';
    file << "numsurf 1\nSURF 0x10\nmat 0\nrefs 3\n0 0 0\n1 1 0\n2 1 1\nkids 0\n";
}

void writeSketchAircraft(const std::string& path)
{
    std::ofstream file(path);
    file << "AC3Db\n" << AC3D_MATERIAL
         << "OBJECT world\nkids 2\n"
            "OBJECT poly\nname \"fuselage\"\nnumvert 4\n"
            "1 0 0\n-1 0.15 0\n-1 -0.15 0\n-0.9 0 0.4\n"
            "numsurf 2\n"
            "SURF 0x10\nmat 0\nrefs 3\n0 0 0\n1 0 0\n2 0 0\n"
            "SURF 0x10\nmat 0\nrefs 3\n0 0 0\n3 0 0\n1 0 0\n"
            "kids 0\n"
            "OBJECT poly\nname \"wing\"\nnumvert 4\n"
            "0.2 -1.2 0\n0.2 1.2 0\n-0.2 1.2 0\n-0.2 -1.2 0\n"
            "numsurf 1\nSURF 0x30\nmat 0\nrefs 4\n0 0 0\n1 0 0\n2 0 0\n3 0 0\n"
            "kids 0\n";
}

void makeDirectories(const std::string& path)
{
    std::filesystem::create_directories(path);
}
