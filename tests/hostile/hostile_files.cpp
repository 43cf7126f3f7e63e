#include "hostile_files.h"

#include <filesystem>
#include <random>
#include <stdexcept>

#include <osg/Image>
#include <osgDB/WriteFile>

#include "support/test_support.h"

namespace {

std::string pictureBytes(int width, int height, const std::string& extension)
{
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(width, height, 1, GL_RGB, GL_UNSIGNED_BYTE);
    unsigned char* data = image->data();
    for (int i = 0; i < width * height; ++i) {
        data[3 * i] = 200;
        data[3 * i + 1] = static_cast<unsigned char>(i % 256);
        data[3 * i + 2] = 40;
    }
    const std::string dir = makeTempDir();
    const std::string path = dir + "/picture." + extension;
    if (!osgDB::writeImageFile(*image, path))
        throw std::runtime_error("cannot write " + path);
    std::string bytes = readFile(path);
    std::filesystem::remove_all(dir);
    return bytes;
}

} // namespace

std::string jpegBytes(int width, int height)
{
    return pictureBytes(width, height, "jpg");
}

std::string pngBytes(int width, int height)
{
    return pictureBytes(width, height, "png");
}

std::string withDeclaredSize(std::string jpeg, int width, int height)
{
    // Walk the marker segments after SOI to the baseline frame header (SOF0).
    size_t at = 2;
    while (at + 9 < jpeg.size()) {
        const auto marker = static_cast<unsigned char>(jpeg[at + 1]);
        const size_t length = static_cast<size_t>(static_cast<unsigned char>(jpeg[at + 2])) << 8
                              | static_cast<unsigned char>(jpeg[at + 3]);
        if (marker == 0xC0) {
            jpeg[at + 5] = static_cast<char>(height >> 8);
            jpeg[at + 6] = static_cast<char>(height & 0xFF);
            jpeg[at + 7] = static_cast<char>(width >> 8);
            jpeg[at + 8] = static_cast<char>(width & 0xFF);
            return jpeg;
        }
        at += 2 + length;
    }
    throw std::runtime_error("no frame header in the JPEG");
}

std::string randomBytes(size_t count, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(count, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

std::vector<HostileFile> hostilePictures()
{
    const std::string jpeg = jpegBytes(256, 256);
    return {
        {"empty file", ""},
        {"random bytes", randomBytes(5000, 7)},
        {"a PNG named .jpg", pngBytes(64, 64)},
        {"65000 x 65000 declared", withDeclaredSize(jpeg, 65000, 65000)},
        {"truncated in the middle", jpeg.substr(0, jpeg.size() / 2)},
        {"start-of-image marker only", jpeg.substr(0, 2)},
        {"truncated in the frame header", jpeg.substr(0, jpeg.find("\xFF\xC0") + 6)},
        {"random bytes after the start-of-image marker", "\xFF\xD8" + randomBytes(3000, 11)},
    };
}

std::string acModel(const std::string& numvert, const std::string& numsurf, const std::string& refs,
                    const std::string& worldKids)
{
    return "AC3Db\n"
           "MATERIAL \"\" rgb 1 1 1  amb 0.2 0.2 0.2  emis 0 0 0  spec 0.5 0.5 0.5  shi 10  trans 0\n"
           "OBJECT world\n"
           "kids " + worldKids + "\n"
           "OBJECT poly\n"
           "name \"wing\"\n"
           "numvert " + numvert + "\n"
           "0 0 0\n"
           "1 0 0\n"
           "0 1 0\n"
           "numsurf " + numsurf + "\n"
           "SURF 0x10\n"
           "mat 0\n"
           "refs " + refs + "\n"
           "0 0 0\n"
           "1 1 0\n"
           "2 0 1\n"
           "kids 0\n";
}
