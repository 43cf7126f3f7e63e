#pragma once
// Test fixture and file writers for the elevation loader and the terrain
// builder: each test runs in its own empty working directory with an empty
// elevation cache.

#include <cstdint>
#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <osg/Vec4ub>

class TerrainFilesTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string workDir;

private:
    std::string savedDir;
};

// Bytes of a whole elevation file (1025 x 1025 little-endian int16), each
// sample (r, c) given by height(r, c).
std::string elevationFileBytes(const std::function<int(int r, int c)>& height);

// Writes a 256 x 256 JPEG tile of one colour through the OSG plug-in,
// creating ./img when needed.
void writeJpegTile(const std::string& path, osg::Vec4ub colour);
