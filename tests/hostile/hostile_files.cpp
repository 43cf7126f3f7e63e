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

std::string exifTiff(const std::string& order, unsigned ifd0, unsigned count, const std::vector<ExifEntry>& entries,
                     unsigned next, size_t tail)
{
    const bool big = order == "MM";
    std::string bytes;
    const auto put = [&](unsigned value, int size) {
        for (int i = 0; i < size; ++i)
            bytes += static_cast<char>(value >> 8 * (big ? size - 1 - i : i) & 0xFF);
    };
    bytes += order;
    put(42, 2);
    put(ifd0, 4);
    put(count, 2);
    for (const ExifEntry& entry : entries) {
        put(entry.tag, 2);
        put(entry.type, 2);
        put(entry.count, 4);
        if (entry.type == 3 && entry.count == 1) {
            put(entry.value, 2);
            put(0, 2);
        } else {
            put(entry.value, 4);
        }
    }
    put(next, 4);
    return bytes + std::string(tail, '\0');
}

std::string exifOriented(const std::string& order)
{
    // Orientation, and the camera's make stored out of line behind the directory.
    return exifTiff(order, 8, 2, {{0x112, 3, 1, 6}, {0x10F, 2, 8, 38}}, 0, 8);
}

std::string withExif(const std::string& jpeg, const std::string& tiff)
{
    const size_t length = 2 + 6 + tiff.size();
    return jpeg.substr(0, 2) + "\xFF\xE1" + static_cast<char>(length >> 8) + static_cast<char>(length & 0xFF)
           + std::string("Exif\0\0", 6) + tiff + jpeg.substr(2);
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
        // The reader adds the IFD0 offset to the TIFF header's place in 32
        // bits; a sum just below 2^32 made it read far outside the segment.
        {"EXIF IFD0 offset wrapping", withExif(jpeg, exifTiff("II", 0xFFFFFFF8u, 1, {{0x112, 3, 1, 6}}))},
        {"EXIF IFD0 offset wrapping, big-endian", withExif(jpeg, exifTiff("MM", 0xFFFFFFF9u, 1, {{0x112, 3, 1, 6}}))},
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

std::string acNested(int depth)
{
    std::string model = "AC3Db\nOBJECT world\nkids 1\n";
    for (int level = 1; level < depth; ++level)
        model += "OBJECT group\nkids 1\n";
    return model + "OBJECT poly\nkids 0\n";
}
