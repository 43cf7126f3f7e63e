#include "log/log_writer.h"

#include <cmath>
#include <cstring>

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

void writeValue(FILE* out, const LogRow& row, const LogField& field)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&row);
    if (field.kind == FieldKind::integer) {
        int32_t value;
        std::memcpy(&value, bytes + field.offset, sizeof value);
        std::fprintf(out, "%d", static_cast<int>(value));
        return;
    }
    double value;
    std::memcpy(&value, bytes + field.offset, sizeof value);
    if (!std::isfinite(value))
        value = 0.0;
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", decimalsOf(field.keyword), value);
    // "-0.0000" reads back as 0 but looks odd.
    const char* shown = text;
    if (text[0] == '-' && std::strspn(text + 1, "0.") == std::strlen(text + 1))
        ++shown;
    std::fputs(shown, out);
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
    std::vector<int> codes;
    for (int code : fieldCodes)
        if (isFieldCode(code))
            codes.push_back(code);
    for (size_t i = 0; i < codes.size(); ++i)
        std::fprintf(out, "%s%s", i > 0 ? "," : "", logFields[codes[i]].keyword);
    std::fputc('\n', out);
    for (const LogRow& row : rows) {
        for (size_t i = 0; i < codes.size(); ++i) {
            if (i > 0)
                std::fputc(',', out);
            writeValue(out, row, logFields[codes[i]]);
        }
        std::fputc('\n', out);
    }
    return std::ferror(out) == 0;
}

bool writeLogFile(const std::string& path, const std::vector<LogRow>& rows, const std::vector<int>& fieldCodes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = writeLog(file, rows, fieldCodes);
    return std::fclose(file) == 0 && written;
}
