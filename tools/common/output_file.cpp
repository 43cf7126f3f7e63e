#include "tools/common/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <system_error>

#include <osgDB/FileNameUtils>
#include <osgDB/Registry>

#include "tools/common/tool_error.h"

namespace flightreplay::tools {

void writeFileAtomically(const std::string& path, const std::string& bytes)
{
    writeFileAtomically(path, [&bytes](FILE* file) {
        return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    });
}

void writeOutput(const std::string& out, const std::string& bytes)
{
    writeOutput(out, [&bytes](FILE* file) { return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size(); });
}

void writeOutput(const std::string& out, const std::function<bool(FILE*)>& write)
{
    if (out != "-") {
        writeFileAtomically(out, write);
        return;
    }
    if (!write(stdout) || std::fflush(stdout) != 0)
        throw ToolError("standard output: cannot write");
}

void writeFileAtomically(const std::string& path, const std::function<bool(FILE*)>& write)
{
    // A device or pipe named as the output (/dev/null, /dev/stdout) is
    // written to, never replaced by a renamed regular file.
    std::error_code statusError;
    const std::filesystem::file_status status = std::filesystem::status(path, statusError);
    if (!statusError && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)
        && !std::filesystem::is_directory(status)) {
        FILE* device = std::fopen(path.c_str(), "wb");
        if (!device)
            throw ToolError(path + ": cannot open: " + std::strerror(errno));
        const bool written = write(device) && std::ferror(device) == 0;
        if (std::fclose(device) != 0 || !written)
            throw ToolError(path + ": cannot write: " + std::strerror(errno));
        return;
    }
    const std::string temporary = path + ".part";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        throw ToolError(temporary + ": cannot create: " + std::strerror(errno));
    const bool written = write(file) && std::ferror(file) == 0;
    const int writeErrno = errno;
    if (std::fclose(file) != 0 || !written) {
        removeQuietly(temporary);
        throw ToolError(temporary + ": cannot write: " + std::strerror(written ? errno : writeErrno));
    }
    renameIntoPlace(temporary, path);
}

void renameIntoPlace(const std::string& temporary, const std::string& path)
{
    // A rename would put a regular file in place of a device or pipe
    // (/dev/null) for every program on the machine.
    std::error_code statusError;
    const std::filesystem::file_status status = std::filesystem::status(path, statusError);
    if (!statusError && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        removeQuietly(temporary);
        throw ToolError(path + ": not a regular file; it is not replaced");
    }
    int failed = std::rename(temporary.c_str(), path.c_str());
#ifdef _WIN32
    // Windows' rename refuses an existing target where POSIX replaces it.
    if (failed != 0 && fileExists(path) && std::remove(path.c_str()) == 0)
        failed = std::rename(temporary.c_str(), path.c_str());
#endif
    if (failed != 0) {
        const int renameErrno = errno;
        removeQuietly(temporary);
        throw ToolError(path + ": cannot rename the finished file into place: " + std::strerror(renameErrno));
    }
}

void removeQuietly(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

void writeImageFileAtomically(const osg::Image& image, const std::string& path)
{
    const std::string extension = osgDB::getLowerCaseFileExtension(path);
    osgDB::ReaderWriter* writer = osgDB::Registry::instance()->getReaderWriterForExtension(extension);
    if (!writer)
        throw ToolError(path + ": no image plug-in writes ." + extension + " files");
    std::ostringstream bytes(std::ios::binary);
    const osgDB::ReaderWriter::WriteResult result =
        writer->writeImage(image, bytes, osgDB::Registry::instance()->getOptions());
    if (!result.success())
        throw ToolError(path + ": cannot encode the image: " + result.message());
    writeFileAtomically(path, bytes.str());
}

bool fileExists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

void makeFolder(const std::string& path)
{
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error)
        throw ToolError(path + ": cannot create the folder: " + error.message());
}

} // namespace flightreplay::tools
