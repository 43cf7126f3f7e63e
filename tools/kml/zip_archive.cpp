#include "tools/kml/zip_archive.h"

#include <memory>

#include <zip.h>

#include "tools/common/tool_error.h"

namespace flightreplay::kml {

namespace {

[[noreturn]] void fail(const std::string& what, zip_error_t* error)
{
    const std::string reason = error ? zip_error_strerror(error) : "unknown error";
    throw tools::ToolError("zip archive: " + what + ": " + reason);
}

struct SourceFree {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};

} // namespace

std::string zipArchive(const std::vector<ZipEntry>& entries)
{
    zip_error_t error;
    zip_error_init(&error);
    std::unique_ptr<zip_source_t, SourceFree> buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
    if (!buffer)
        fail("cannot make a buffer", &error);
    zip_t* archive = zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error);
    if (!archive)
        fail("cannot open the buffer", &error);
    // The archive frees the buffer it was opened on when closed; the bytes
    // are read from it after that.
    zip_source_keep(buffer.get());
    for (const ZipEntry& entry : entries) {
        zip_source_t* data = zip_source_buffer(archive, entry.bytes.data(), entry.bytes.size(), 0);
        if (!data || zip_file_add(archive, entry.name.c_str(), data, ZIP_FL_ENC_UTF_8) < 0) {
            if (data)
                zip_source_free(data);
            const std::string reason = zip_strerror(archive);
            zip_discard(archive);
            throw tools::ToolError("zip archive: cannot add " + entry.name + ": " + reason);
        }
    }
    if (zip_close(archive) < 0) {
        const std::string reason = zip_strerror(archive);
        zip_discard(archive);
        throw tools::ToolError("zip archive: cannot write: " + reason);
    }

    zip_stat_t stat;
    if (zip_source_stat(buffer.get(), &stat) < 0 || !(stat.valid & ZIP_STAT_SIZE))
        fail("cannot measure the result", zip_source_error(buffer.get()));
    std::string bytes(static_cast<size_t>(stat.size), '\0');
    if (zip_source_open(buffer.get()) < 0)
        fail("cannot read the result", zip_source_error(buffer.get()));
    const zip_int64_t read = zip_source_read(buffer.get(), bytes.data(), stat.size);
    zip_source_close(buffer.get());
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size)
        fail("cannot read the result", zip_source_error(buffer.get()));
    return bytes;
}

} // namespace flightreplay::kml
