#include "tools/prep/tile_image.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>

#include <osg/Image>
#include <osgDB/ReaderWriter>
#include <osgDB/Registry>
#include <webp/decode.h>

#include "tools/common/tool_error.h"
#include "tools/prep/source_error.h"

namespace flightreplay::prep {

namespace {

constexpr int JPEG_QUALITY = 90;

bool startsWith(const std::string& bytes, const char* magic, size_t at = 0)
{
    const size_t n = std::strlen(magic);
    return bytes.size() >= at + n && bytes.compare(at, n, magic) == 0;
}

osgDB::ReaderWriter* plugin(const char* extension)
{
    osgDB::ReaderWriter* rw = osgDB::Registry::instance()->getReaderWriterForExtension(extension);
    if (!rw)
        throw tools::ToolError(std::string("no OpenSceneGraph plug-in for .") + extension + " images");
    return rw;
}

osg::ref_ptr<osg::Image> readWithPlugin(const char* extension, const std::string& bytes, const std::string& what)
{
    std::istringstream stream(bytes);
    osgDB::ReaderWriter::ReadResult result = plugin(extension)->readImage(stream);
    osg::ref_ptr<osg::Image> image = result.getImage();
    if (!image || image->s() <= 0 || image->t() <= 0)
        throw SourceError(what, std::string("cannot decode the ") + extension + " image");
    return image;
}

// Decoded top row first, flipped into OSG's bottom-left origin so that the
// JPEG writer puts the north edge back on top.
osg::ref_ptr<osg::Image> readWebp(const std::string& bytes, const std::string& what)
{
    int width = 0;
    int height = 0;
    uint8_t* pixels = WebPDecodeRGB(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &width, &height);
    if (!pixels)
        throw SourceError(what, "cannot decode the webp image");
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(width, height, 1, GL_RGB, GL_UNSIGNED_BYTE);
    std::memcpy(image->data(), pixels, static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    WebPFree(pixels);
    image->flipVertical();
    return image;
}

osg::ref_ptr<osg::Image> asRgb(const osg::Image& image)
{
    if (image.getPixelFormat() == GL_RGB && image.getDataType() == GL_UNSIGNED_BYTE && image.getPacking() == 1)
        return const_cast<osg::Image*>(&image);
    osg::ref_ptr<osg::Image> rgb = new osg::Image;
    rgb->allocateImage(image.s(), image.t(), 1, GL_RGB, GL_UNSIGNED_BYTE);
    for (int t = 0; t < image.t(); ++t) {
        unsigned char* out = rgb->data(0, static_cast<unsigned>(t));
        for (int s = 0; s < image.s(); ++s) {
            const osg::Vec4 c = image.getColor(static_cast<unsigned>(s), static_cast<unsigned>(t));
            const float a = std::clamp(c.a(), 0.0f, 1.0f);
            for (int k = 0; k < 3; ++k) {
                const float v = std::clamp(c[k] * a + (1.0f - a), 0.0f, 1.0f);
                *out++ = static_cast<unsigned char>(v * 255.0f + 0.5f);
            }
        }
    }
    return rgb;
}

} // namespace

bool isJpeg(const std::string& bytes)
{
    return startsWith(bytes, "\xff\xd8\xff");
}

osg::ref_ptr<osg::Image> decodeTile(const std::string& bytes, const std::string& what)
{
    osg::ref_ptr<osg::Image> image;
    if (startsWith(bytes, "\xff\xd8\xff"))
        image = readWithPlugin("jpg", bytes, what);
    else if (startsWith(bytes, "\x89PNG\r\n\x1a\n"))
        image = readWithPlugin("png", bytes, what);
    else if (startsWith(bytes, "RIFF") && startsWith(bytes, "WEBP", 8))
        image = readWebp(bytes, what);
    else
        throw SourceError(what, "neither PNG, JPEG nor WebP");
    return asRgb(*image);
}

std::string tileAsJpeg(const std::string& bytes, const std::string& what)
{
    if (startsWith(bytes, "\xff\xd8\xff")) {
        readWithPlugin("jpg", bytes, what);
        return bytes;
    }
    return encodeJpeg(*decodeTile(bytes, what), what);
}

osg::ref_ptr<osg::Image> cutFromAncestor(const osg::Image& ancestor, int levels, int32_t rowOffset, int32_t colOffset)
{
    const int width = ancestor.s();
    const int height = ancestor.t();
    const double part = 1.0 / static_cast<double>(int64_t{1} << levels);
    const double x0 = colOffset * part * width;
    const double yTop = rowOffset * part * height;
    const double pieceW = part * width;
    const double pieceH = part * height;
    osg::ref_ptr<osg::Image> out = new osg::Image;
    out->allocateImage(width, height, 1, GL_RGB, GL_UNSIGNED_BYTE);
    for (int t = 0; t < height; ++t) {
        // Rows count from the bottom in OSG images, the north edge on top.
        const double fromTop = (height - 1 - t + 0.5) / height;
        const double v = std::clamp(yTop + fromTop * pieceH - 0.5, 0.0, height - 1.0);
        const int v0 = std::min(static_cast<int>(v), height - 1);
        const int v1 = std::min(v0 + 1, height - 1);
        const double b = v - v0;
        const unsigned char* rowA = ancestor.data(0, static_cast<unsigned>(height - 1 - v0));
        const unsigned char* rowB = ancestor.data(0, static_cast<unsigned>(height - 1 - v1));
        unsigned char* target = out->data(0, static_cast<unsigned>(t));
        for (int s = 0; s < width; ++s) {
            const double u = std::clamp(x0 + (s + 0.5) / width * pieceW - 0.5, 0.0, width - 1.0);
            const int u0 = std::min(static_cast<int>(u), width - 1);
            const int u1 = std::min(u0 + 1, width - 1);
            const double a = u - u0;
            for (int k = 0; k < 3; ++k) {
                const double top = rowA[u0 * 3 + k] * (1 - a) + rowA[u1 * 3 + k] * a;
                const double bottom = rowB[u0 * 3 + k] * (1 - a) + rowB[u1 * 3 + k] * a;
                *target++ = static_cast<unsigned char>(std::lround(top * (1 - b) + bottom * b));
            }
        }
    }
    return out;
}

std::string encodeJpeg(const osg::Image& image, const std::string& what)
{
    osg::ref_ptr<osg::Image> rgb = asRgb(image);
    std::ostringstream stream;
    osg::ref_ptr<osgDB::ReaderWriter::Options> options =
        new osgDB::ReaderWriter::Options("JPEG_QUALITY " + std::to_string(JPEG_QUALITY));
    const osgDB::ReaderWriter::WriteResult result = plugin("jpg")->writeImage(*rgb, stream, options.get());
    if (!result.success())
        throw SourceError(what, "cannot encode as JPEG: " + result.message());
    return stream.str();
}

} // namespace flightreplay::prep
