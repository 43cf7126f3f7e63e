// Writes a tile set for the patch around a zoom-18 centre tile into the
// current directory: a magenta and cyan checker JPEG (or one of a single
// colour, given as RRGGBB in hex) for each of the 249 image tiles and gently
// sloping elevation files under them.
//
//   flightreplay_make_test_tiles CI CJ [RRGGBB]

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <utility>

#include <osg/Image>
#include <osgDB/WriteFile>

namespace {

osg::ref_ptr<osg::Image> checker()
{
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(256, 256, 1, GL_RGB, GL_UNSIGNED_BYTE);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            unsigned char* pixel = image->data(static_cast<unsigned>(x), static_cast<unsigned>(y));
            const bool magenta = ((x / 64) + (y / 64)) % 2 == 0;
            pixel[0] = magenta ? 255 : 0;
            pixel[1] = magenta ? 0 : 255;
            pixel[2] = 255;
        }
    }
    return image;
}

osg::ref_ptr<osg::Image> uniform(unsigned long rgb)
{
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(256, 256, 1, GL_RGB, GL_UNSIGNED_BYTE);
    unsigned char* pixel = image->data();
    for (int i = 0; i < 256 * 256; ++i, pixel += 3) {
        pixel[0] = static_cast<unsigned char>(rgb >> 16);
        pixel[1] = static_cast<unsigned char>(rgb >> 8);
        pixel[2] = static_cast<unsigned char>(rgb);
    }
    return image;
}

bool writeElevation(long fileRow, long fileCol)
{
    char name[64];
    std::snprintf(name, sizeof name, "zsi-%ld-%ld.egm", fileRow, fileCol);
    FILE* file = std::fopen(name, "wb");
    if (!file)
        return false;
    for (int r = 0; r < 1025; ++r) {
        for (int c = 0; c < 1025; ++c) {
            const int height = 100 + (r + c) / 40;
            const unsigned char bytes[2] = {static_cast<unsigned char>(height & 0xFF),
                                            static_cast<unsigned char>(height >> 8)};
            std::fwrite(bytes, 1, 2, file);
        }
    }
    return std::fclose(file) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s CI CJ [RRGGBB]\n", argv[0]);
        return 1;
    }
    long ci = std::atol(argv[1]);
    long cj = std::atol(argv[2]);
    std::filesystem::create_directories("img");
    const osg::ref_ptr<osg::Image> image = argc == 4 ? uniform(std::strtoul(argv[3], nullptr, 16)) : checker();
    std::set<std::pair<long, long>> files;
    int written = 0;
    for (int zoom = 18; zoom >= 13; --zoom, ci /= 2, cj /= 2) {
        const long span = 1L << (18 - zoom);
        for (long row = ci - 3; row <= ci + 3; ++row) {
            for (long col = cj - 3; col <= cj + 3; ++col) {
                if (zoom < 18 && std::labs(row - ci) <= 1 && std::labs(col - cj) <= 1)
                    continue;
                char name[64];
                std::snprintf(name, sizeof name, "img/%c-%ld-%ld.jpg", 'a' + zoom, row, col);
                if (!osgDB::writeImageFile(*image, name)) {
                    std::fprintf(stderr, "cannot write %s\n", name);
                    return 1;
                }
                ++written;
                for (long r : {row * span, (row + 1) * span})
                    for (long c : {col * span, (col + 1) * span})
                        files.insert({r / 1024, c / 1024});
            }
        }
    }
    for (const auto& [fileRow, fileCol] : files) {
        if (!writeElevation(fileRow, fileCol)) {
            std::fprintf(stderr, "cannot write elevation file %ld %ld\n", fileRow, fileCol);
            return 1;
        }
    }
    std::printf("%d tiles, %zu elevation files\n", written, files.size());
    return 0;
}
