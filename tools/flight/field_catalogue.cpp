#include "tools/flight/field_catalogue.h"

#include <algorithm>

namespace flightreplay::flight {

FieldCatalogue::FieldCatalogue(std::vector<FieldInfo> fields) : fields_(std::move(fields))
{
    std::stable_sort(fields_.begin(), fields_.end(), [](const FieldInfo& a, const FieldInfo& b) { return a.name < b.name; });
    fields_.erase(std::unique(fields_.begin(), fields_.end(), [](const FieldInfo& a, const FieldInfo& b) { return a.name == b.name; }),
                  fields_.end());
}

const FieldInfo* FieldCatalogue::find(const std::string& name) const
{
    const auto it = std::lower_bound(fields_.begin(), fields_.end(), name,
                                     [](const FieldInfo& field, const std::string& key) { return field.name < key; });
    return it != fields_.end() && it->name == name ? &*it : nullptr;
}

std::vector<Series> KeptFields::read(const std::vector<const FieldInfo*>& fields) const
{
    std::vector<Series> out(fields.size());
    std::vector<const FieldInfo*> others;
    std::vector<size_t> where;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (holds(fields[i]->name)) {
            out[i] = held(fields[i]->name).copy();
        } else {
            others.push_back(fields[i]);
            where.push_back(i);
        }
    }
    if (!others.empty() && rest_) {
        std::vector<Series> got = rest_->read(others);
        for (size_t i = 0; i < where.size() && i < got.size(); ++i)
            out[where[i]] = std::move(got[i]);
    }
    return out;
}

bool KeptFields::holds(const std::string& name) const
{
    return kept_ && (kept_->series.count(name) > 0 || kept_->columns.count(name) > 0);
}

FieldSeries KeptFields::held(const std::string& name) const
{
    if (!kept_)
        return {};
    if (const auto it = kept_->series.find(name); it != kept_->series.end())
        return it->second;
    if (const auto it = kept_->columns.find(name); it != kept_->columns.end())
        return {kept_->tables[it->second.table], it->second.offset, it->second.type};
    return {};
}

std::string fieldName(const std::string& message, int instance, const std::string& field)
{
    return instance == 0 ? message + "." + field : message + "[" + std::to_string(instance) + "]." + field;
}

std::vector<Series> readFields(const Flight& flight, const std::vector<std::string>& names)
{
    std::vector<Series> out(names.size());
    if (!flight.fields || !flight.fieldSource)
        return out;
    std::vector<const FieldInfo*> asked;
    std::vector<size_t> where;
    for (size_t i = 0; i < names.size(); ++i)
        if (const FieldInfo* field = flight.fields->find(names[i])) {
            asked.push_back(field);
            where.push_back(i);
        }
    if (asked.empty())
        return out;
    std::vector<Series> got = flight.fieldSource->read(asked);
    for (size_t i = 0; i < where.size() && i < got.size(); ++i)
        out[where[i]] = std::move(got[i]);
    return out;
}

Series readField(const Flight& flight, const std::string& name)
{
    return std::move(readFields(flight, {name}).front());
}

bool hasField(const Flight& flight, const std::string& name)
{
    return flight.fields && flight.fields->has(name);
}

} // namespace flightreplay::flight
