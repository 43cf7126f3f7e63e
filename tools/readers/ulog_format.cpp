#include "tools/readers/ulog_format.h"

namespace flightreplay::readers {

namespace {

constexpr uint32_t MAX_MESSAGE = 1 << 16;
constexpr int MAX_NESTING = 8;
constexpr uint32_t MAX_LISTED_ARRAY = 256;

struct TypeName {
    const char* name;
    UlogType type;
    uint32_t size;
};
constexpr TypeName TYPES[] = {
    {"int8_t", UlogType::i8, 1},    {"uint8_t", UlogType::u8, 1},   {"int16_t", UlogType::i16, 2},
    {"uint16_t", UlogType::u16, 2}, {"int32_t", UlogType::i32, 4},  {"uint32_t", UlogType::u32, 4},
    {"int64_t", UlogType::i64, 8},  {"uint64_t", UlogType::u64, 8}, {"float", UlogType::f32, 4},
    {"double", UlogType::f64, 8},   {"bool", UlogType::boolean, 1}, {"char", UlogType::chr, 1},
};

std::string trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace

bool UlogFormats::add(const std::string& text)
{
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    const std::string name = trim(text.substr(0, colon));
    std::vector<Field> fields;
    size_t start = colon + 1;
    while (start < text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string item = trim(text.substr(start, end - start));
        start = end + 1;
        if (item.empty())
            continue;
        const size_t space = item.find_last_of(" \t");
        if (space == std::string::npos)
            return false;
        Field field;
        field.name = trim(item.substr(space + 1));
        std::string type = trim(item.substr(0, space));
        field.count = 1;
        const size_t bracket = type.find('[');
        if (bracket != std::string::npos) {
            const size_t close = type.find(']', bracket);
            if (close == std::string::npos || close == bracket + 1 || close - bracket > 6)
                return false;
            field.count = 0;
            for (size_t i = bracket + 1; i < close; ++i) {
                if (type[i] < '0' || type[i] > '9')
                    return false;
                field.count = field.count * 10 + static_cast<uint32_t>(type[i] - '0');
            }
            type = type.substr(0, bracket);
        }
        field.type = UlogType::nested;
        for (const TypeName& known : TYPES)
            if (type == known.name)
                field.type = known.type;
        field.typeName = type;
        fields.push_back(field);
    }
    formats_[name] = std::move(fields);
    sizes_.clear();
    return true;
}

uint32_t UlogFormats::fieldSize(const Field& field, int depth) const
{
    uint32_t element = 0;
    if (field.type == UlogType::nested)
        element = sizeOf(field.typeName, depth + 1);
    else
        for (const TypeName& known : TYPES)
            if (known.type == field.type)
                element = known.size;
    if (element == 0 || field.count > MAX_MESSAGE)
        return 0;
    const uint64_t size = static_cast<uint64_t>(element) * field.count;
    return size > MAX_MESSAGE ? 0 : static_cast<uint32_t>(size);
}

uint32_t UlogFormats::sizeOf(const std::string& name, int depth) const
{
    if (depth > MAX_NESTING)
        return 0;
    const auto known = sizes_.find(name);
    if (known != sizes_.end())
        return known->second;
    const auto it = formats_.find(name);
    if (it == formats_.end())
        return 0;
    // A format that contains itself stays 0 while it is being worked out.
    sizes_[name] = 0;
    uint64_t total = 0;
    for (const Field& field : it->second) {
        const uint32_t size = fieldSize(field, depth);
        if (size == 0 && field.count > 0)
            return 0;
        total += size;
        if (total > MAX_MESSAGE)
            return 0;
    }
    sizes_[name] = static_cast<uint32_t>(total);
    return static_cast<uint32_t>(total);
}

uint32_t UlogFormats::sizeOf(const std::string& name) const
{
    return sizeOf(name, 0);
}

UlogSlot UlogFormats::find(const std::string& format, const std::string& field) const
{
    const auto it = formats_.find(format);
    if (it == formats_.end())
        return {};
    uint32_t offset = 0;
    for (const Field& candidate : it->second) {
        if (candidate.name == field) {
            if (candidate.type == UlogType::nested)
                return {};
            return {offset, candidate.count, candidate.type};
        }
        const uint32_t size = fieldSize(candidate, 0);
        if (size == 0 && candidate.count > 0)
            return {};
        offset += size;
    }
    return {};
}

void UlogFormats::addLeaves(const std::string& format, const std::string& prefix, uint32_t base, int depth, bool skipFirst,
                           std::vector<std::pair<std::string, UlogSlot>>& out) const
{
    const auto it = formats_.find(format);
    if (it == formats_.end() || depth > MAX_NESTING)
        return;
    uint32_t offset = base;
    bool first = skipFirst;
    for (const Field& field : it->second) {
        const uint32_t size = fieldSize(field, depth);
        if (size == 0 && field.count > 0)
            return;
        const bool listed = !first && field.type != UlogType::chr && field.name.rfind("_padding", 0) != 0
                            && field.count <= MAX_LISTED_ARRAY;
        first = false;
        if (listed) {
            const uint32_t element = field.count > 0 ? size / field.count : 0;
            const bool array = field.count != 1;
            for (uint32_t k = 0; k < field.count; ++k) {
                const std::string name = prefix + field.name + (array ? "[" + std::to_string(k) + "]" : "");
                if (field.type == UlogType::nested)
                    addLeaves(field.typeName, name + ".", offset + k * element, depth + 1, false, out);
                else
                    out.push_back({name, {offset + k * element, 1, field.type}});
            }
        }
        offset += size;
    }
}

std::vector<std::pair<std::string, UlogSlot>> UlogFormats::leaves(const std::string& format) const
{
    std::vector<std::pair<std::string, UlogSlot>> out;
    if (sizeOf(format) > 0)
        addLeaves(format, "", 0, 0, true, out);
    return out;
}

bool anglesOfUlogQuaternion(double w, double x, double y, double z, double& roll, double& pitch, double& yaw)
{
    const double norm = std::sqrt(w * w + x * x + y * y + z * z);
    if (!(norm > 1e-6) || !std::isfinite(norm))
        return false;
    w /= norm, x /= norm, y /= norm, z /= norm;
    roll = std::atan2(2 * (w * x + y * z), 1 - 2 * (x * x + y * y));
    pitch = std::asin(std::fmax(-1.0, std::fmin(1.0, 2 * (w * y - z * x))));
    yaw = std::atan2(2 * (w * z + x * y), 1 - 2 * (y * y + z * z));
    return true;
}

} // namespace flightreplay::readers
