#include "demo_log.h"

#include <cstdio>
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

} // namespace

bool writeDemoLog(const std::string& path, const std::vector<LogRow>& rows)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    for (int code = 1; code <= LOG_FIELD_COUNT; ++code)
        std::fprintf(file, "%s%s", code > 1 ? "," : "", logFields[code].keyword);
    std::fputc('\n', file);
    for (const LogRow& row : rows) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&row);
        for (int code = 1; code <= LOG_FIELD_COUNT; ++code) {
            const LogField& field = logFields[code];
            if (code > 1)
                std::fputc(',', file);
            if (field.kind == FieldKind::integer) {
                int32_t value;
                std::memcpy(&value, bytes + field.offset, sizeof value);
                std::fprintf(file, "%d", static_cast<int>(value));
            } else {
                double value;
                std::memcpy(&value, bytes + field.offset, sizeof value);
                // The scanner reads no exponent, and "-0.0000" would be odd.
                char text[64];
                std::snprintf(text, sizeof text, "%.*f", decimalsOf(field.keyword), value);
                const char* shown = text;
                if (text[0] == '-' && std::strspn(text + 1, "0.") == std::strlen(text + 1))
                    ++shown;
                std::fputs(shown, file);
            }
        }
        std::fputc('\n', file);
    }
    return std::fclose(file) == 0;
}
