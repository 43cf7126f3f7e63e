#include "tools/readers/tlog_fields.h"

#include <cmath>
#include <cstring>
#include <string>

#include "tools/readers/field_sources.h"
#include "tools/readers/tlog_reader.h"

namespace flightreplay::readers {

using namespace flight;

namespace {

// The name of element index of a field: MAVLink numbers a field's copies
// in the name (chan1_raw, chan2_raw, ...; param1 ... param4), else [k].
std::string elementName(const mavlink::Field& field, size_t index)
{
    const std::string name = field.name;
    if (field.count <= 1)
        return name;
    const size_t one = name.find('1');
    if (one != std::string::npos && (one + 1 == name.size() || !std::isdigit(static_cast<unsigned char>(name[one + 1]))))
        return name.substr(0, one) + std::to_string(index + 1) + name.substr(one + 1);
    return name + "[" + std::to_string(index) + "]";
}

size_t sizeOf(mavlink::FieldType type)
{
    using mavlink::FieldType;
    switch (type) {
    case FieldType::u16: case FieldType::i16: return 2;
    case FieldType::u32: case FieldType::i32: case FieldType::f32: return 4;
    case FieldType::u64: return 8;
    default: return 1;
    }
}

bool listed(const mavlink::Field& field)
{
    const std::string name = field.name;
    return field.type != mavlink::FieldType::text && name != "time_boot_ms" && name != "time_usec";
}

} // namespace

std::shared_ptr<const FieldCatalogue> tlogCatalogue(const std::bitset<256>& messageIds)
{
    std::vector<FieldInfo> fields;
    for (uint32_t id = 0; id < 256; ++id) {
        const mavlink::Message* message = messageIds[id] ? mavlink::messageOf(id) : nullptr;
        if (!message)
            continue;
        for (size_t f = 0; f < message->fieldCount; ++f) {
            const mavlink::Field& field = message->fields[f];
            if (!listed(field))
                continue;
            for (size_t k = 0; k < field.count; ++k) {
                const std::string name = elementName(field, k);
                fields.push_back({fieldName(message->name, 0, name), message->name, 0, name, "", 1.0});
            }
        }
    }
    return std::make_shared<const FieldCatalogue>(std::move(fields));
}

TlogFieldRequest::TlogFieldRequest(const std::vector<const FieldInfo*>& fields, int system) : system_(system), answer_(fields.size())
{
    for (size_t place = 0; place < fields.size(); ++place) {
        const FieldInfo& asked = *fields[place];
        if (asked.instance != 0)
            continue;
        for (uint32_t id = 0; id < 256; ++id) {
            const mavlink::Message* message = mavlink::messageOf(id);
            if (!message || asked.message != message->name)
                continue;
            for (size_t f = 0; f < message->fieldCount; ++f)
                for (size_t k = 0; k < message->fields[f].count && listed(message->fields[f]); ++k)
                    if (elementName(message->fields[f], k) == asked.field)
                        ask(id, message->fields[f], k, place);
        }
    }
}

TlogFieldRequest::TlogFieldRequest(const std::vector<FieldKey>& keys)
{
    for (uint32_t id = 0; id < 256; ++id) {
        const mavlink::Message* message = mavlink::messageOf(id);
        if (!message)
            continue;
        for (size_t f = 0; f < message->fieldCount; ++f)
            for (size_t k = 0; k < message->fields[f].count && listed(message->fields[f]); ++k) {
                const std::string name = elementName(message->fields[f], k);
                if (!keeps(keys, message->name, name))
                    continue;
                ask(id, message->fields[f], k, names_.size());
                names_.push_back(fieldName(message->name, 0, name));
                answer_.emplace_back();
            }
    }
}

std::shared_ptr<const FieldSource> TlogFieldRequest::keptSource()
{
    return keptFieldSource(names_, answer_);
}

void TlogFieldRequest::ask(uint32_t id, const mavlink::Field& field, size_t index, size_t place)
{
    const mavlink::Field element{field.name, static_cast<uint8_t>(field.offset + sizeOf(field.type) * index), field.type, 1};
    byId_[id].push_back({element, place});
}

void TlogFieldRequest::take(double t, uint32_t id, const uint8_t* payload, size_t length)
{
    if (id >= byId_.size() || !std::isfinite(t))
        return;
    for (const Asked& asked : byId_[id]) {
        const size_t end = asked.element.offset + sizeOf(asked.element.type);
        if (end <= length) {
            addValue(answer_[asked.place], t, mavlink::valueOf(payload, asked.element));
        } else {
            uint8_t padded[8] = {};
            if (asked.element.offset < length)
                std::memcpy(padded, payload + asked.element.offset, length - asked.element.offset);
            const mavlink::Field atStart{asked.element.name, 0, asked.element.type, 1};
            addValue(answer_[asked.place], t, mavlink::valueOf(padded, atStart));
        }
    }
}

std::vector<Series> TlogFieldRequest::answer()
{
    std::vector<Series> out;
    for (ThinnedSeries<Sample>& series : answer_)
        out.push_back(std::move(series.samples));
    return out;
}

std::vector<Series> readTlogFields(ByteReader& in, const std::vector<const FieldInfo*>& fields, int system)
{
    TlogFieldRequest request(fields, system);
    readTlog(in, &request);
    return request.answer();
}

} // namespace flightreplay::readers
