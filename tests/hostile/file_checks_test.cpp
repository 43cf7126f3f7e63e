#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <osg/Image>
#include <osgDB/ReadFile>

#include "frame/jpeg_header_check.h"
#include "hostile_files.h"
#include "scene/model_file_check.h"
#include "support/test_support.h"

namespace {

class FileCheckTest : public ::testing::Test {
protected:
    void SetUp() override { dir = makeTempDir(); }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string fileWith(const std::string& bytes, const std::string& extension = "")
    {
        const std::string path = dir + "/file" + std::to_string(++files) + extension;
        writeFile(path, bytes);
        return path;
    }

    std::string dir;
    int files = 0;
};

TEST_F(FileCheckTest, JpegDeclaredSizeDecides)
{
    const std::string jpeg = jpegBytes(64, 48);
    const struct {
        const char* name;
        std::string bytes;
        bool fits;
    } cases[] = {
        {"real 64 x 48", jpeg, true},
        {"65000 x 65000", withDeclaredSize(jpeg, 65000, 65000), false},
        {"4096 x 4096, the most pixels", withDeclaredSize(jpeg, 4096, 4096), true},
        {"4097 x 4096", withDeclaredSize(jpeg, 4097, 4096), false},
        {"16384 x 1, the widest", withDeclaredSize(jpeg, 16384, 1), true},
        {"1 x 16385", withDeclaredSize(jpeg, 1, 16385), false},
        {"65535 x 65535", withDeclaredSize(jpeg, 65535, 65535), false},
        // Those the reader refuses by itself pass on to it.
        {"empty", "", true},
        {"PNG", pngBytes(8, 8), true},
        {"random bytes", randomBytes(2000, 3), true},
        {"cut inside the frame header", withDeclaredSize(jpeg, 65000, 65000).substr(0, jpeg.find("\xFF\xC0") + 7), true},
        {"start-of-image marker only", "\xFF\xD8", true},
        {"segment length below 2", std::string("\xFF\xD8\xFF\xE0\x00\x01", 6), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(jpegHeaderFits(fileWith(c.bytes)), c.fits) << c.name;
    EXPECT_TRUE(jpegHeaderFits(dir + "/missing.jpg"));
}

TEST_F(FileCheckTest, JpegFrameHeaderFoundBehindOtherSegments)
{
    // A comment segment and fill bytes before the tables, and a progressive
    // frame header (SOF2) instead of the baseline one.
    std::string jpeg = withDeclaredSize(jpegBytes(16, 16), 65000, 65000);
    const std::string comment("\xFF\xFF\xFF\xFE\x00\x06""abcd", 10);
    jpeg.insert(2, comment);
    EXPECT_FALSE(jpegHeaderFits(fileWith(jpeg)));
    jpeg[jpeg.find("\xFF\xC0") + 1] = '\xC2';
    EXPECT_FALSE(jpegHeaderFits(fileWith(jpeg)));
}

TEST_F(FileCheckTest, JpegScansAreCounted)
{
    // The picture's one scan, header and coded data, repeated before the end marker.
    const std::string jpeg = jpegBytes(64, 48);
    const size_t scan = jpeg.find("\xFF\xDA");
    const std::string scanBytes = jpeg.substr(scan, jpeg.size() - 2 - scan);
    std::string scans = jpeg;
    for (int count = 1; count < JPEG_MAX_SCANS; ++count)
        scans.insert(scans.size() - 2, scanBytes);
    EXPECT_TRUE(jpegHeaderFits(fileWith(scans))) << "the most scans";
    scans.insert(scans.size() - 2, scanBytes);
    EXPECT_FALSE(jpegHeaderFits(fileWith(scans))) << "one scan more";
    const size_t header = static_cast<unsigned char>(jpeg[scan + 2]) << 8 | static_cast<unsigned char>(jpeg[scan + 3]);
    scans.insert(scan + 2 + header, std::string("\xFF\x00\xFF\xD3", 4));
    EXPECT_FALSE(jpegHeaderFits(fileWith(scans))) << "stuffed zero and restart marker inside a scan";
}

TEST_F(FileCheckTest, JpegExifStructureMustStayInsideItsSegment)
{
    const std::string jpeg = jpegBytes(64, 48);
    const std::vector<ExifEntry> orientation = {{0x112, 3, 1, 6}};
    // IFD0 at 8 with one entry ends at 26; a zero-entry directory at 20 is
    // the last place one fits into a 26-byte structure.
    const std::string oneEntry = exifTiff("II", 8, 1, orientation);
    const struct {
        const char* name;
        std::string tiff;
        bool fits;
    } cases[] = {
        {"IFD0 offset wrapping the reader's sum", exifTiff("II", 0xFFFFFFF8u, 1, orientation), false},
        {"IFD0 offset at the end", exifTiff("MM", 26, 1, orientation), false},
        {"IFD0 offset leaving no room for its count", exifTiff("II", 25, 1, orientation), false},
        {"IFD0 inside the header", exifTiff("II", 4, 1, orientation), false},
        {"empty IFD0 in the last bytes", exifTiff("II", 20, 1, orientation), true},
        {"one entry more than the segment holds", exifTiff("II", 8, 2, orientation), false},
        {"65535 entries", exifTiff("MM", 8, 0xFFFF, orientation), false},
        {"no room for the next-IFD link", oneEntry.substr(0, oneEntry.size() - 1), false},
        {"value behind the segment", exifTiff("II", 8, 1, {{0x10F, 2, 8, 27}}, 0, 8), false},
        {"value in the last bytes", exifTiff("II", 8, 1, {{0x10F, 2, 8, 26}}, 0, 8), true},
        {"value offset near 2^32", exifTiff("MM", 8, 1, {{0x10F, 2, 8, 0xFFFFFFFCu}}), false},
        {"value count overflowing 32 bits", exifTiff("II", 8, 1, {{0x10F, 4, 0x40000001u, 26}}, 0, 8), false},
        {"four bytes held in the entry", exifTiff("II", 8, 1, {{0x10F, 2, 4, 0xFFFFFFFFu}}), true},
        {"unknown type skipped", exifTiff("II", 8, 1, {{0x10F, 99, 1000, 0xFFFFFFFFu}}), true},
        {"next IFD is IFD0 again", exifTiff("II", 8, 1, orientation, 8), false},
        {"next IFD outside", exifTiff("MM", 8, 1, orientation, 0x7FFFFFFF), false},
        {"next IFD an empty one behind", exifTiff("II", 8, 1, orientation, 26, 6), true},
        {"TIFF header cut to 6 bytes", oneEntry.substr(0, 6), false},
        {"no TIFF header", std::string("IM*\0\x08\0\0\0", 8) + oneEntry.substr(8), false},
        {"well-formed little-endian", exifOriented("II"), true},
        {"well-formed big-endian", exifOriented("MM"), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(jpegHeaderFits(fileWith(withExif(jpeg, c.tiff))), c.fits) << c.name;

    const std::string bad = withExif(jpeg, cases[0].tiff);
    EXPECT_FALSE(jpegHeaderFits(fileWith(bad.substr(0, 30)))) << "EXIF segment cut by the end of the file";
    // The JPEG library finds a marker behind stray bytes; so does the check.
    EXPECT_FALSE(jpegHeaderFits(fileWith(jpeg.substr(0, 20) + "junk" + bad.substr(2))));
    // An EXIF block behind the first scan is never read.
    EXPECT_TRUE(jpegHeaderFits(fileWith(jpeg.substr(0, jpeg.size() - 2) + bad.substr(2, bad.size() - jpeg.size()))));
    std::string xmp = withExif(jpeg, exifTiff("II", 0xFFFFFFF8u, 1, orientation));
    xmp.replace(6, 4, "XMP ");
    EXPECT_TRUE(jpegHeaderFits(fileWith(xmp))) << "APP1 that is not EXIF";
}

// What the check lets through, the real plug-in decodes, orientation applied.
TEST_F(FileCheckTest, WellFormedExifDecodes)
{
    for (const char* order : {"II", "MM"}) {
        const std::string path = fileWith(withExif(jpegBytes(64, 48), exifOriented(order)), ".jpg");
        ASSERT_TRUE(jpegHeaderFits(path)) << order;
        osg::ref_ptr<osg::Image> image = osgDB::readImageFile(path);
        ASSERT_NE(image, nullptr) << order;
        EXPECT_EQ(image->s(), 48) << order;
        EXPECT_EQ(image->t(), 64) << order;
    }
}

TEST_F(FileCheckTest, ModelCountsMustFitTheFile)
{
    const struct {
        const char* name;
        std::string bytes;
        bool fits;
    } cases[] = {
        {"valid", acModel(), true},
        {"numvert -5", acModel("-5"), false},
        {"numvert 2000000000", acModel("2000000000"), false},
        {"numvert beyond 64 bits", acModel("99999999999999999999999"), false},
        {"numsurf 2000000000", acModel("3", "2000000000"), false},
        {"refs 2000000000", acModel("3", "1", "2000000000"), false},
        {"refs -2", acModel("3", "1", "-2"), false},
        {"kids 2000000000", acModel("3", "1", "3", "2000000000"), false},
        {"kids -1", acModel("3", "1", "3", "-1"), false},
        {"numvert without a count", acModel(""), false},
        {"numvert with a word", acModel("many"), false},
        {"count on the next line", acModel("\n3"), false},
        {"numvert at the very end", "AC3Db\nnumvert", false},
        // Counts as large as the words after them could still be right.
        {"kids as many as the words after", "AC3Db\nOBJECT world\nkids 2\nOBJECT poly", true},
        {"kids one more than the words after", "AC3Db\nOBJECT world\nkids 3\nOBJECT poly", false},
        // A data block's count is in bytes: "abc\nkids 0\n" holds 11.
        {"data as long as the bytes after", "AC3Db\nOBJECT world\ndata 11\nabc\nkids 0\n", true},
        {"data one byte longer", "AC3Db\nOBJECT world\ndata 12\nabc\nkids 0\n", false},
        {"data -5", "AC3Db\nOBJECT world\ndata -5\nab\nkids 0\n", false},
        {"data without a count", "AC3Db\nOBJECT world\ndata\nab\nkids 0\n", false},
        {"objects with children, the most", acNested(AC_MAX_GROUPS), true},
        {"one more", acNested(AC_MAX_GROUPS + 1), false},
        {"vertex index out of range", acModel("3", "1", "3").replace(acModel().find("2 0 1"), 1, "99"), true},
        {"not AC3D", "solid cube\nfacet normal 0 0 1\n", true},
        {"empty", "", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(acModelCountsFit(fileWith(c.bytes)), c.fits) << c.name;
    EXPECT_TRUE(acModelCountsFit(dir + "/missing.ac"));
}

} // namespace
