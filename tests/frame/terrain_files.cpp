#include "terrain_files.h"

#include <filesystem>

#include <osg/Image>
#include <osgDB/WriteFile>

#include "frame/elevation_tile.h"
#include "support/test_support.h"

void TerrainFilesTest::SetUp()
{
    savedDir = std::filesystem::current_path().string();
    workDir = makeTempDir();
    std::filesystem::current_path(workDir);
    clearElevationCache();
}

void TerrainFilesTest::TearDown()
{
    clearElevationCache();
    std::filesystem::current_path(savedDir);
    std::filesystem::remove_all(workDir);
}

std::string elevationFileBytes(const std::function<int(int r, int c)>& height)
{
    std::string bytes(EGM_FILE_BYTES, '\0');
    for (int r = 0; r < EGM_SIDE; ++r) {
        for (int c = 0; c < EGM_SIDE; ++c) {
            const auto value = static_cast<uint16_t>(static_cast<int16_t>(height(r, c)));
            const size_t at = (static_cast<size_t>(r) * EGM_SIDE + static_cast<size_t>(c)) * 2;
            bytes[at] = static_cast<char>(value & 0xFF);
            bytes[at + 1] = static_cast<char>(value >> 8);
        }
    }
    return bytes;
}

void writeJpegTile(const std::string& path, osg::Vec4ub colour)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(256, 256, 1, GL_RGB, GL_UNSIGNED_BYTE);
    unsigned char* data = image->data();
    for (int i = 0; i < 256 * 256; ++i) {
        data[3 * i] = colour.r();
        data[3 * i + 1] = colour.g();
        data[3 * i + 2] = colour.b();
    }
    ASSERT_TRUE(osgDB::writeImageFile(*image, path)) << path;
}
