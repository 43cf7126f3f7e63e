#include "log/log_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "log/fixed_point_text.h"

namespace {

// Digits worth keeping: a hundred-thousandth of a minute of arc is 2 cm.
int decimalsOf(const char* keyword)
{
    if (std::strstr(keyword, "lat") || std::strstr(keyword, "lon"))
        return 5;
    if (std::strstr(keyword, "ppm") || std::strcmp(keyword, "mah") == 0)
        return 1;
    return 4;
}

bool isFieldCode(int code)
{
    return code >= 1 && code <= LOG_FIELD_COUNT;
}

// A column's place in the row and how it is written.
struct Column {
    unsigned offset;
    bool integer;
    int decimals;
};

char* writeValue(char* out, const LogRow& row, const Column& column)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&row);
    if (column.integer) {
        int32_t value;
        std::memcpy(&value, bytes + column.offset, sizeof value);
        return std::to_chars(out, out + 16, value).ptr;
    }
    double value;
    std::memcpy(&value, bytes + column.offset, sizeof value);
    if (!std::isfinite(value))
        value = 0.0;
    char* end = writeFixedPoint(out, value, column.decimals);
    // "-0.0000" reads back as 0 but looks odd.
    if (*out == '-' && std::all_of(out + 1, end, [](char c) { return c == '0' || c == '.'; })) {
        std::memmove(out, out + 1, static_cast<size_t>(end - out - 1));
        --end;
    }
    return end;
}

} // namespace

std::vector<int> allLogFieldCodes()
{
    std::vector<int> codes;
    for (int code = 1; code <= LOG_FIELD_COUNT; ++code)
        codes.push_back(code);
    return codes;
}

bool writeLog(FILE* out, const std::vector<LogRow>& rows, const std::vector<int>& fieldCodes)
{
    std::vector<Column> columns;
    std::string text;
    for (int code : fieldCodes) {
        if (!isFieldCode(code))
            continue;
        const LogField& field = logFields[code];
        columns.push_back({field.offset, field.kind == FieldKind::integer, decimalsOf(field.keyword)});
        text += columns.size() > 1 ? "," : "";
        text += field.keyword;
    }
    text += '\n';
    bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    // Whole blocks to the stream: a call per character or number would cost
    // more than the formatting.
    constexpr size_t BLOCK = 1 << 16;
    const size_t rowRoom = columns.size() * (FIXED_POINT_TEXT_MAX + 1) + 1;
    std::vector<char> block(BLOCK + rowRoom);
    char* end = block.data();
    for (const LogRow& row : rows) {
        for (size_t i = 0; i < columns.size(); ++i) {
            if (i > 0)
                *end++ = ',';
            end = writeValue(end, row, columns[i]);
        }
        *end++ = '\n';
        const size_t filled = static_cast<size_t>(end - block.data());
        if (filled >= BLOCK || &row == &rows.back()) {
            written = std::fwrite(block.data(), 1, filled, out) == filled && written;
            end = block.data();
        }
    }
    return written && std::ferror(out) == 0;
}

bool writeLogFile(const std::string& path, const std::vector<LogRow>& rows, const std::vector<int>& fieldCodes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = writeLog(file, rows, fieldCodes);
    return std::fclose(file) == 0 && written;
}
