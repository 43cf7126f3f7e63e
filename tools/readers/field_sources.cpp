#include "tools/readers/field_sources.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tools/common/tool_error.h"
#include "tools/readers/byte_reader.h"
#include "tools/readers/dataflash_reader.h"
#include "tools/readers/tlog_fields.h"
#include "tools/readers/ulog_reader.h"

namespace flightreplay::readers {

using namespace flight;

namespace {

void inTimeOrder(Series& series)
{
    const auto earlier = [](const Sample& a, const Sample& b) { return a.t < b.t; };
    if (!std::is_sorted(series.begin(), series.end(), earlier))
        std::stable_sort(series.begin(), series.end(), earlier);
}

// Whole rows moved, as the series of each field would be.
void inTimeOrder(SampleRows& rows)
{
    std::vector<double> t(rows.size());
    for (size_t i = 0; i < t.size(); ++i)
        std::memcpy(&t[i], rows.bytes.data() + i * rows.width, sizeof(double));
    if (std::is_sorted(t.begin(), t.end()))
        return;
    std::vector<size_t> order(t.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return t[a] < t[b]; });
    std::vector<uint8_t> sorted(rows.bytes.size());
    for (size_t i = 0; i < order.size(); ++i)
        std::memcpy(sorted.data() + i * rows.width, rows.bytes.data() + order[i] * rows.width, rows.width);
    rows.bytes = std::move(sorted);
}

class LogFieldSource : public FieldSource {
public:
    LogFieldSource(FlightFormat format, LogInput input, int system) : format_(format), input_(std::move(input)), system_(system) {}

    std::vector<Series> read(const std::vector<const FieldInfo*>& fields) const override
    {
        try {
            if (!input_.path.empty()) {
                std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(input_.path.c_str(), "rb"), &std::fclose);
                if (!file)
                    return std::vector<Series>(fields.size());
                ByteReader in(file.get());
                return readFrom(in, fields);
            }
            if (!input_.bytes)
                return std::vector<Series>(fields.size());
            ByteReader in(input_.bytes->data(), input_.bytes->size());
            return readFrom(in, fields);
        } catch (const tools::ToolError&) {
            // The file changed since it was read: nothing to give.
            return std::vector<Series>(fields.size());
        }
    }

private:
    std::vector<Series> readFrom(ByteReader& in, const std::vector<const FieldInfo*>& fields) const
    {
        std::vector<Series> out;
        switch (format_) {
        case FlightFormat::ulog: out = readUlogFields(in, fields); break;
        case FlightFormat::dataflash: out = readDataflashFields(in, fields); break;
        case FlightFormat::tlog: out = readTlogFields(in, fields, system_); break;
        default: out.resize(fields.size()); break;
        }
        // A damaged log's clock may step back; the flight's streams are in
        // time order, and so are these.
        for (Series& series : out)
            inTimeOrder(series);
        return out;
    }

    FlightFormat format_;
    LogInput input_;
    int system_;
};

} // namespace

std::shared_ptr<const FieldSource> keptFieldSource(const std::vector<std::string>& names, std::vector<ThinnedSeries<Sample>>& series,
                                                   std::vector<KeptRows> tables)
{
    auto kept = std::make_shared<KeptStore>();
    // A name met twice (a message defined again) is one series.
    for (size_t i = 0; i < names.size() && i < series.size(); ++i) {
        Series& s = kept->series[names[i]];
        if (s.empty())
            s = std::move(series[i].samples);
        else
            s.insert(s.end(), series[i].samples.begin(), series[i].samples.end());
    }
    for (auto& [name, s] : kept->series)
        inTimeOrder(s);
    for (KeptRows& table : tables) {
        SampleRows rows = std::move(table.rows.rows);
        inTimeOrder(rows);
        for (const KeptRows::Field& field : table.fields)
            kept->columns[field.name] = {kept->tables.size(), field.offset, field.type};
        kept->tables.push_back(std::move(rows));
    }
    return std::make_shared<const KeptFields>(std::move(kept), nullptr);
}

std::shared_ptr<const FieldSource> fieldSourceOf(FlightFormat format, LogInput input, int system)
{
    if (format != FlightFormat::ulog && format != FlightFormat::dataflash && format != FlightFormat::tlog)
        return nullptr;
    return std::make_shared<const LogFieldSource>(format, std::move(input), system);
}

} // namespace flightreplay::readers
