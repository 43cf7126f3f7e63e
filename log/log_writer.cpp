#include "log/log_writer.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

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

void appendValue(std::string& line, const LogRow& row, const Column& column)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&row);
    if (column.integer) {
        int32_t value;
        std::memcpy(&value, bytes + column.offset, sizeof value);
        char text[16];
        const auto written = std::to_chars(text, text + sizeof text, value);
        line.append(text, written.ptr);
        return;
    }
    double value;
    std::memcpy(&value, bytes + column.offset, sizeof value);
    if (!std::isfinite(value))
        value = 0.0;
    const size_t start = line.size();
    appendFixedPoint(line, value, column.decimals);
    // "-0.0000" reads back as 0 but looks odd.
    if (line[start] == '-' && line.find_first_not_of("0.", start + 1) == std::string::npos)
        line.erase(start, 1);
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
    // Whole blocks to the stream: a call per character or number would cost
    // more than the formatting.
    constexpr size_t BLOCK = 1 << 16;
    text.reserve(2 * BLOCK);
    bool written = true;
    for (const LogRow& row : rows) {
        for (size_t i = 0; i < columns.size(); ++i) {
            if (i > 0)
                text += ',';
            appendValue(text, row, columns[i]);
        }
        text += '\n';
        if (text.size() >= BLOCK) {
            written = std::fwrite(text.data(), 1, text.size(), out) == text.size() && written;
            text.clear();
        }
    }
    written = std::fwrite(text.data(), 1, text.size(), out) == text.size() && written;
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
