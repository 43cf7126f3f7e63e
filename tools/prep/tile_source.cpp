#include "tools/prep/tile_source.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include <sqlite3.h>

#include "tools/common/tool_error.h"

namespace flightreplay::prep {

namespace {

class MbtilesSource : public TileSource {
public:
    explicit MbtilesSource(const std::string& path) : path_(path)
    {
        if (!std::filesystem::is_regular_file(path))
            throw tools::ToolError(path + ": no such MBTiles file");
        sqlite3* db = nullptr;
        const int opened = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        db_.reset(db);
        if (opened != SQLITE_OK)
            fail("cannot open as MBTiles");
        sqlite3_stmt* query = nullptr;
        const int prepared = sqlite3_prepare_v2(
            db, "SELECT tile_data FROM tiles WHERE zoom_level = ?1 AND tile_column = ?2 AND tile_row = ?3", -1,
            &query, nullptr);
        query_.reset(query);
        if (prepared != SQLITE_OK)
            fail("not an MBTiles file");
    }

    bool fetch(int zoom, int32_t row, int32_t col, std::string& bytes) override
    {
        const int64_t tmsRow = (int64_t{1} << zoom) - 1 - row;
        sqlite3_reset(query_.get());
        sqlite3_bind_int(query_.get(), 1, zoom);
        sqlite3_bind_int64(query_.get(), 2, col);
        sqlite3_bind_int64(query_.get(), 3, tmsRow);
        const int step = sqlite3_step(query_.get());
        if (step == SQLITE_DONE)
            return false;
        if (step != SQLITE_ROW)
            fail("cannot read " + describe(zoom, row, col));
        const void* data = sqlite3_column_blob(query_.get(), 0);
        const int size = sqlite3_column_bytes(query_.get(), 0);
        bytes.assign(static_cast<const char*>(data), data ? static_cast<size_t>(size) : 0);
        return true;
    }

    std::string describe(int zoom, int32_t row, int32_t col) const override
    {
        return path_ + " zoom_level " + std::to_string(zoom) + " tile_column " + std::to_string(col) + " tile_row "
               + std::to_string((int64_t{1} << zoom) - 1 - row);
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        throw tools::ToolError(path_ + ": " + what + ": " + (db_ ? sqlite3_errmsg(db_.get()) : "out of memory"));
    }

    struct CloseDb {
        void operator()(sqlite3* db) const { sqlite3_close(db); }
    };
    struct FinalizeQuery {
        void operator()(sqlite3_stmt* query) const { sqlite3_finalize(query); }
    };

    std::string path_;
    std::unique_ptr<sqlite3, CloseDb> db_; // declared first: closed after the query is finalised
    std::unique_ptr<sqlite3_stmt, FinalizeQuery> query_;
};

std::string replaceAll(std::string text, const std::string& key, const std::string& value)
{
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
    return text;
}

class XyzSource : public TileSource {
public:
    // Each template is tried in turn; the first existing file is the tile.
    explicit XyzSource(std::vector<std::string> templates) : templates_(std::move(templates)) {}

    bool fetch(int zoom, int32_t row, int32_t col, std::string& bytes) override
    {
        for (const std::string& pattern : templates_) {
            const std::string path = pathOf(pattern, zoom, row, col);
            std::error_code error;
            if (!std::filesystem::is_regular_file(path, error))
                continue;
            std::ifstream file(path, std::ios::binary);
            if (!file.is_open())
                throw tools::ToolError(path + ": cannot read: " + std::strerror(errno));
            bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
            if (file.bad())
                throw tools::ToolError(path + ": cannot read: " + std::strerror(errno));
            return true;
        }
        return false;
    }

    std::string describe(int zoom, int32_t row, int32_t col) const override
    {
        std::string text = pathOf(templates_.front(), zoom, row, col);
        for (size_t i = 1; i < templates_.size(); ++i)
            text += " | ." + std::filesystem::path(templates_[i]).extension().string().substr(1);
        return text;
    }

private:
    static std::string pathOf(const std::string& pattern, int zoom, int32_t row, int32_t col)
    {
        return replaceAll(replaceAll(replaceAll(pattern, "{z}", std::to_string(zoom)), "{x}", std::to_string(col)),
                          "{y}", std::to_string(row));
    }

    std::vector<std::string> templates_;
};

} // namespace

std::unique_ptr<TileSource> openTileSource(const std::string& source)
{
    std::error_code error;
    if (source.find("{z}") != std::string::npos) {
        if (source.find("{x}") == std::string::npos || source.find("{y}") == std::string::npos)
            throw tools::ToolError(source + ": a tile template needs {z}, {x} and {y}");
        // The folder before the first placeholder must exist.
        const std::string fixed = source.substr(0, source.find('{'));
        const size_t slash = fixed.find_last_of('/');
        std::string folder = slash == std::string::npos ? "." : fixed.substr(0, slash);
        if (folder.empty())
            folder = "/";
        if (!std::filesystem::is_directory(folder, error))
            throw tools::ToolError(source + ": no such folder " + folder);
        return std::make_unique<XyzSource>(std::vector<std::string>{source});
    }
    if (std::filesystem::is_directory(source, error)) {
        std::vector<std::string> templates;
        for (const char* extension : {"png", "jpg", "jpeg", "webp"})
            templates.push_back(source + "/{z}/{x}/{y}." + extension);
        return std::make_unique<XyzSource>(templates);
    }
    return std::make_unique<MbtilesSource>(source);
}

} // namespace flightreplay::prep
