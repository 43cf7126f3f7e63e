#include "tools/readers/tlog_fields.h"

#include <algorithm>
#include <cctype>
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

// The field `element` of a payload of length bytes as it came: MAVLink 2
// drops a payload's trailing zeros, so what lies past its end reads as zero.
double elementValue(const mavlink::Field& element, const uint8_t* payload, size_t length)
{
    if (element.offset + sizeOf(element.type) <= length)
        return mavlink::valueOf(payload, element);
    uint8_t padded[8] = {};
    if (element.offset < length)
        std::memcpy(padded, payload + element.offset, length - element.offset);
    return mavlink::valueOf(padded, mavlink::Field{element.name, 0, element.type, 1});
}

// The element index of field, read as a field of its own.
mavlink::Field elementOf(const mavlink::Field& field, size_t index)
{
    return {field.name, static_cast<uint8_t>(field.offset + sizeOf(field.type) * index), field.type, 1};
}

flight::StoredType storedTypeOf(mavlink::FieldType type)
{
    using mavlink::FieldType;
    using flight::StoredType;
    switch (type) {
    case FieldType::i8: return StoredType::i8;
    case FieldType::u16: return StoredType::u16;
    case FieldType::i16: return StoredType::i16;
    case FieldType::u32: return StoredType::u32;
    case FieldType::i32: return StoredType::i32;
    case FieldType::u64: return StoredType::u64;
    case FieldType::f32: return StoredType::f32;
    default: return StoredType::u8;
    }
}

bool listed(const mavlink::Field& field)
{
    const std::string name = field.name;
    return field.type != mavlink::FieldType::text && name != "time_boot_ms" && name != "time_usec";
}

// Calls each(field, index, name) for every element of the message's listed
// fields, in the table's order.
template <typename Each>
void forEachElement(const mavlink::Message& message, Each each)
{
    for (size_t f = 0; f < message.fieldCount; ++f)
        if (listed(message.fields[f]))
            for (size_t k = 0; k < message.fields[f].count; ++k)
                each(message.fields[f], k, elementName(message.fields[f], k));
}

} // namespace

std::shared_ptr<const FieldCatalogue> tlogCatalogue(const std::bitset<256>& messageIds)
{
    std::vector<FieldInfo> fields;
    for (uint32_t id = 0; id < 256; ++id) {
        const mavlink::Message* message = messageIds[id] ? mavlink::messageOf(id) : nullptr;
        if (!message)
            continue;
        forEachElement(*message, [&](const mavlink::Field&, size_t, const std::string& name) {
            fields.push_back({fieldName(message->name, 0, name), message->name, 0, name, "", 1.0});
        });
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
            forEachElement(*message, [&](const mavlink::Field& field, size_t k, const std::string& name) {
                if (name == asked.field)
                    byId_[id].push_back({elementOf(field, k), place});
            });
        }
    }
}

void TlogFieldRequest::take(double t, uint32_t id, const uint8_t* payload, size_t length)
{
    if (id >= byId_.size() || !std::isfinite(t))
        return;
    for (const Asked& asked : byId_[id])
        addValue(answer_[asked.place], t, elementValue(asked.element, payload, length));
}

TlogKeptFields::TlogKeptFields(const std::vector<FieldKey>& keys)
{
    for (uint32_t id = 0; id < 256; ++id) {
        const mavlink::Message* message = mavlink::messageOf(id);
        if (!message)
            continue;
        Kept& kept = byId_[id];
        kept.from = mavlink::MAX_PAYLOAD;
        forEachElement(*message, [&](const mavlink::Field& field, size_t k, const std::string& name) {
            if (!keeps(keys, message->name, name))
                return;
            const mavlink::Field element = elementOf(field, k);
            if (element.type == mavlink::FieldType::f32)
                kept.floats.push_back(kept.elements.size());
            kept.elements.push_back({fieldName(message->name, 0, name), element});
            kept.from = std::min<size_t>(kept.from, element.offset);
            kept.to = std::max(kept.to, element.offset + sizeOf(element.type));
        });
        if (!kept.elements.empty()) {
            kept.table = tables_.size();
            tables_.push_back({{}, ThinnedRows(sizeof(double) + kept.to - kept.from)});
        }
    }
}

void TlogKeptFields::becomeSeries(Kept& kept, Element& element)
{
    // The series the field would have been had it been kept alone: every
    // row so far, counted and thinned alike.
    const ThinnedRows& table = tables_[kept.table].rows;
    const FieldSeries rows(table.rows, sizeof(double) + element.field.offset - kept.from, storedTypeOf(element.field.type));
    element.series = series_.size();
    kept.series = true;
    names_.push_back(element.name);
    series_.emplace_back(rows.copy(), table.arrived(), table.stride());
}

void TlogKeptFields::take(double t, uint32_t id, const uint8_t* payload, size_t length)
{
    if (id >= byId_.size() || !std::isfinite(t))
        return;
    Kept& kept = byId_[id];
    if (kept.elements.empty())
        return;
    for (size_t e : kept.floats)
        if (kept.elements[e].series == NO_SERIES && !std::isfinite(elementValue(kept.elements[e].field, payload, length)))
            becomeSeries(kept, kept.elements[e]);
    // The bytes MAVLink 2 dropped from the payload's end stay the row's zeros.
    if (uint8_t* row = tables_[kept.table].rows.add(t); row && kept.from < length)
        std::memcpy(row + sizeof(double), payload + kept.from, std::min(length, kept.to) - kept.from);
    if (kept.series)
        for (const Element& element : kept.elements)
            if (element.series != NO_SERIES)
                addValue(series_[element.series], t, elementValue(element.field, payload, length));
}

std::shared_ptr<const FieldSource> TlogKeptFields::source()
{
    for (const Kept& kept : byId_)
        for (const Element& element : kept.elements)
            if (element.series == NO_SERIES)
                tables_[kept.table].fields.push_back(
                    {element.name, sizeof(double) + element.field.offset - kept.from, storedTypeOf(element.field.type)});
    return keptFieldSource(names_, series_, std::move(tables_));
}

std::vector<Series> TlogFieldRequest::answer()
{
    return samplesOf(answer_);
}

std::vector<Series> readTlogFields(ByteReader& in, const std::vector<const FieldInfo*>& fields, int system)
{
    TlogFieldRequest request(fields, system);
    readTlog(in, &request);
    return request.answer();
}

} // namespace flightreplay::readers
