#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "frame/jpeg_header_check.h"
#include "hostile_files.h"
#include "scene/model_file_check.h"
#include "support/test_support.h"

namespace {

class FileCheckTest : public ::testing::Test {
protected:
    void SetUp() override { dir = makeTempDir(); }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string fileWith(const std::string& bytes)
    {
        const std::string path = dir + "/file" + std::to_string(++files);
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
        EXPECT_EQ(jpegSizeFits(fileWith(c.bytes)), c.fits) << c.name;
    EXPECT_TRUE(jpegSizeFits(dir + "/missing.jpg"));
}

TEST_F(FileCheckTest, JpegFrameHeaderFoundBehindOtherSegments)
{
    // A comment segment and fill bytes before the tables, and a progressive
    // frame header (SOF2) instead of the baseline one.
    std::string jpeg = withDeclaredSize(jpegBytes(16, 16), 65000, 65000);
    const std::string comment("\xFF\xFF\xFF\xFE\x00\x06""abcd", 10);
    jpeg.insert(2, comment);
    EXPECT_FALSE(jpegSizeFits(fileWith(jpeg)));
    jpeg[jpeg.find("\xFF\xC0") + 1] = '\xC2';
    EXPECT_FALSE(jpegSizeFits(fileWith(jpeg)));
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
        {"vertex index out of range", acModel("3", "1", "3").replace(acModel().find("2 0 1"), 1, "99"), true},
        {"not AC3D", "solid cube\nfacet normal 0 0 1\n", true},
        {"empty", "", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(acModelCountsFit(fileWith(c.bytes)), c.fits) << c.name;
    EXPECT_TRUE(acModelCountsFit(dir + "/missing.ac"));
}

} // namespace
