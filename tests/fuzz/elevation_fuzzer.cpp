// Arbitrary elevation-file content and any int32 corner through elevationAt
// and gridToScene. Input: corner row, corner column, map-frame centre row and
// column, file length (5 little-endian 32-bit words), then bytes written at
// the start of the file and at the corner's sample, zeros elsewhere, into a
// file of that length under the name the corner maps to. Corpus and
// artifact paths must be absolute: the fuzzer works in a directory of its own.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "frame/elevation_tile.h"
#include "frame/map_frame.h"

namespace {

// Lengths up to twice a full file: short, exact, odd and overlong files alike.
constexpr uint32_t LENGTH_RANGE = 2 * EGM_FILE_BYTES + 2;

void require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

uint32_t word(const uint8_t* data, size_t at)
{
    return static_cast<uint32_t>(data[at]) | static_cast<uint32_t>(data[at + 1]) << 8
           | static_cast<uint32_t>(data[at + 2]) << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
}

int32_t signedWord(const uint8_t* data, size_t at)
{
    const uint32_t raw = word(data, at);
    int32_t value;
    std::memcpy(&value, &raw, sizeof value);
    return value;
}

char workDir[] = "/tmp/flightreplay-elevation-fuzz-XXXXXX";

void removeWorkDir()
{
    std::fclose(stdout);
    std::remove((std::string(workDir) + "/stdout.txt").c_str());
    rmdir(workDir);
}

long stdoutBytes()
{
    std::fflush(stdout);
    return std::ftell(stdout);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The loader opens bare names in the working directory; its messages go
    // to a file so that the fuzzer can see whether anything was printed.
    if (!mkdtemp(workDir) || chdir(workDir) != 0 || !std::freopen("stdout.txt", "w", stdout))
        std::abort();
    std::atexit(removeWorkDir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 20)
        return -1;
    const int32_t row = signedWord(data, 0);
    const int32_t col = signedWord(data, 4);
    mapFrame.CI = static_cast<int32_t>(word(data, 8) % FRAME_SIZE);
    mapFrame.CJ = static_cast<int32_t>(word(data, 12) % FRAME_SIZE);
    mapFrame.k = 1.0 / 150.0;
    const size_t length = word(data, 16) % LENGTH_RANGE;
    const uint8_t* pattern = data + 20;
    const size_t patternSize = size - 20;

    const bool inDomain = row >= 0 && row < FRAME_SIZE && col >= 0 && col < FRAME_SIZE;
    const size_t offset =
        inDomain ? (static_cast<size_t>(row % EGM_SPAN) * EGM_SIDE + static_cast<size_t>(col % EGM_SPAN)) * 2 : 0;
    std::map<size_t, uint8_t> content; // the bytes that are not 0
    for (size_t i = 0; i < patternSize; ++i) {
        if (i < length)
            content[i] = pattern[i];
        if (offset + i < length)
            content[offset + i] = pattern[i];
    }
    // Negative corners down to -1023 truncate onto file 0's name: a real file
    // there proves that they are turned away before any file is touched.
    const std::string name = elevationFileName(row, col);
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    require(fd >= 0 && ftruncate(fd, static_cast<off_t>(length)) == 0, "write elevation file");
    for (const auto& [at, byte] : content)
        require(pwrite(fd, &byte, 1, static_cast<off_t>(at)) == 1, "write elevation byte");
    close(fd);
    const auto byteAt = [&](size_t at) -> unsigned {
        const auto found = content.find(at);
        return found == content.end() ? 0u : found->second;
    };

    if (stdoutBytes() > (1L << 20)) {
        std::fflush(stdout);
        require(std::freopen("stdout.txt", "w", stdout) != nullptr, "reopen stdout");
    }
    const long printedBefore = stdoutBytes();
    const int height = elevationAt(row, col);
    if (!inDomain) {
        require(height == 0, "0 outside the grid");
        require(stdoutBytes() == printedBefore, "nothing printed outside the grid");
    } else {
        if (offset + 2 <= length) {
            const auto raw = static_cast<uint16_t>(byteAt(offset) | byteAt(offset + 1) << 8);
            require(height == static_cast<int16_t>(raw), "the sample the file holds");
        } else {
            require(height == 0, "0 for a sample the file does not hold whole");
        }
        require(stdoutBytes() == printedBefore, "a readable file prints nothing");
    }

    const osg::Vec3f point = gridToScene(row, col, height);
    require(point.x() == static_cast<float>(static_cast<double>(row) - mapFrame.CI), "x = row - CI");
    require(point.y() == static_cast<float>(static_cast<double>(col) - mapFrame.CJ), "y = col - CJ");
    require(std::isfinite(point.z()) && std::fabs(point.z() - static_cast<float>(height) / 150.0f) <= 1e-3f, "z = height * k");

    std::remove(name.c_str());
    clearElevationCache();
    return 0;
}
