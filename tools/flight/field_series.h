#pragma once
// One field's samples where a source holds them (field_catalogue.h): a
// series of its own, or a column of rows in which a message's fields were
// kept as it carried them. Read sample by sample where they lie.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

#include "tools/flight/flight.h"

namespace flightreplay::flight {

// The type a message carried a value in, as kept: the message's own bytes,
// little-endian as the hosts are (the readers read them so too).
enum class StoredType : uint8_t { u8, i8, u16, i16, u32, i32, u64, f32 };

// The value of that type at p, as a number.
inline double storedValue(const uint8_t* p, StoredType type)
{
    const auto load = [p](auto value) {
        std::memcpy(&value, p, sizeof value);
        return static_cast<double>(value);
    };
    switch (type) {
    case StoredType::u8: return *p;
    case StoredType::i8: return static_cast<int8_t>(*p);
    case StoredType::u16: return load(uint16_t());
    case StoredType::i16: return load(int16_t());
    case StoredType::u32: return load(uint32_t());
    case StoredType::i32: return load(int32_t());
    case StoredType::u64: return load(uint64_t());
    case StoredType::f32: return load(float());
    }
    return 0.0;
}

// Samples of several fields of one message that arrive together, a row per
// sample: its time (a double, seconds), then the message's own bytes that
// hold the fields.
struct SampleRows {
    size_t width = sizeof(double); // bytes a row
    std::vector<uint8_t> bytes;    // the rows one after another
    size_t size() const { return bytes.size() / width; }
};

// A view: what it shows must outlive it. Empty (false) where a source holds
// no such field.
class FieldSeries {
public:
    FieldSeries() = default;
    // A series' samples.
    FieldSeries(const Series& series) : samples_(series.data()), size_(series.size()) {}
    // The field stored at byte offset of each row.
    FieldSeries(const SampleRows& rows, size_t offset, StoredType type)
        : rows_(rows.bytes.data()), width_(rows.width), offset_(offset), type_(type), size_(rows.size())
    {
    }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    explicit operator bool() const { return size_ > 0; }
    Sample operator[](size_t i) const
    {
        if (samples_)
            return samples_[i];
        const uint8_t* row = rows_ + i * width_;
        double t;
        std::memcpy(&t, row, sizeof t);
        return {t, storedValue(row + offset_, type_)};
    }
    // The time of sample i alone.
    double time(size_t i) const
    {
        if (samples_)
            return samples_[i].t;
        double t;
        std::memcpy(&t, rows_ + i * width_, sizeof t);
        return t;
    }
    // Whether other shows a field of the same rows: the same times, sample
    // by sample.
    bool sameRows(const FieldSeries& other) const { return rows_ && rows_ == other.rows_ && size_ == other.size_; }
    Sample front() const { return (*this)[0]; }
    Sample back() const { return (*this)[size_ - 1]; }

    class Iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = Sample;
        using difference_type = std::ptrdiff_t;
        using pointer = const Sample*;
        using reference = Sample;
        Iterator(const FieldSeries& series, size_t index) : series_(&series), index_(index) {}
        Sample operator*() const { return (*series_)[index_]; }
        Iterator& operator++()
        {
            ++index_;
            return *this;
        }
        bool operator==(const Iterator& other) const { return index_ == other.index_; }
        bool operator!=(const Iterator& other) const { return index_ != other.index_; }
        // The place of the sample in the series.
        size_t index() const { return index_; }

    private:
        const FieldSeries* series_;
        size_t index_;
    };
    Iterator begin() const { return {*this, 0}; }
    Iterator end() const { return {*this, size_}; }

    // The samples copied into a series of their own.
    Series copy() const
    {
        Series out;
        out.reserve(size_);
        for (const Sample s : *this)
            out.push_back(s);
        return out;
    }

private:
    const Sample* samples_ = nullptr;
    const uint8_t* rows_ = nullptr;
    size_t width_ = 0;
    size_t offset_ = 0;
    StoredType type_ = StoredType::u8;
    size_t size_ = 0;
};

} // namespace flightreplay::flight
