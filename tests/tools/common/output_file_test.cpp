// Putting a finished temporary file into place: over an older file, and
// when that cannot be done, nothing left behind.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/stat.h>

#include "tools/common/output_file.h"
#include "tools/common/tool_error.h"

namespace {

std::string readAll(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void writeText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace

TEST(OutputFile, RenameIntoPlaceReplacesOrCleansUp)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("output_file_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::filesystem::path target = folder / "it's a file.txt";
    const std::filesystem::path part = folder / "it's a file.txt.part";

    writeText(target, "old");
    writeText(part, "new");
    flightreplay::tools::renameIntoPlace(part.string(), target.string());
    EXPECT_EQ(readAll(target), "new");
    EXPECT_FALSE(std::filesystem::exists(part));

    writeText(part, "orphan");
    EXPECT_THROW(flightreplay::tools::renameIntoPlace(part.string(), (folder / "missing" / "x.txt").string()),
                 flightreplay::tools::ToolError);
    EXPECT_FALSE(std::filesystem::exists(part));

    // A pipe (like a device such as /dev/null) is never replaced by a file.
    const std::filesystem::path pipe = folder / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    writeText(part, "orphan");
    EXPECT_THROW(flightreplay::tools::renameIntoPlace(part.string(), pipe.string()), flightreplay::tools::ToolError);
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    EXPECT_FALSE(std::filesystem::exists(part));
    std::filesystem::remove_all(folder);
}
