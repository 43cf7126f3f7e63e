#pragma once
// The message layouts a ULog file defines in its format messages, looked up
// by topic and field name: nested formats are laid out inline, arrays in
// place, padding kept where it sits.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/readers/byte_reader.h"

namespace flightreplay::readers {

enum class UlogType : uint8_t { i8, u8, i16, u16, i32, u32, i64, u64, f32, f64, boolean, chr, nested };

// Where a field sits in a data message's fields (after the message id).
// count 0: the field does not exist.
struct UlogSlot {
    uint32_t offset = 0;
    uint32_t count = 0;
    UlogType type = UlogType::u8;
};

class UlogFormats {
public:
    // Adds the text of a format message, "name:type field;type field;...".
    // False (nothing added) when the text is malformed.
    bool add(const std::string& text);
    bool has(const std::string& name) const { return formats_.count(name) > 0; }
    // Bytes of one message of the format, nested formats included; 0 when a
    // nested format is unknown, circular or the layout is absurdly large.
    uint32_t sizeOf(const std::string& name) const;
    // A top-level field of the format; count 0 when absent or not laid out.
    UlogSlot find(const std::string& format, const std::string& field) const;
    // Every number the format holds but its first field (the timestamp),
    // one slot of count 1 each, named as field_catalogue.h does ("x",
    // "accel_clipping[2]", "esc[1].esc_rpm"): text, padding and arrays of
    // more than a few hundred elements (data blobs) left out.
    std::vector<std::pair<std::string, UlogSlot>> leaves(const std::string& format) const;

private:
    struct Field {
        std::string name;
        std::string typeName;
        UlogType type;
        uint32_t count;
    };
    uint32_t sizeOf(const std::string& name, int depth) const;
    uint32_t fieldSize(const Field& field, int depth) const;
    void addLeaves(const std::string& format, const std::string& prefix, uint32_t base, int depth, bool skipFirst,
                   std::vector<std::pair<std::string, UlogSlot>>& out) const;

    std::map<std::string, std::vector<Field>> formats_;
    // Sizes worked out so far: a format nesting another many times over must
    // not cost a walk of every path.
    mutable std::map<std::string, uint32_t> sizes_;
};

// Element index of the slot in a data message of size bytes, as a double;
// NaN when the element lies beyond the message or the type is not numeric.
// Inline: it runs for every field of every message kept.
inline double ulogValue(const uint8_t* data, size_t size, const UlogSlot& slot, uint32_t index = 0)
{
    if (index >= slot.count)
        return NAN;
    static constexpr uint8_t SIZES[] = {1, 1, 2, 2, 4, 4, 8, 8, 4, 8, 1, 1, 0};
    const uint32_t element = SIZES[static_cast<int>(slot.type)];
    const uint64_t at = slot.offset + static_cast<uint64_t>(index) * element;
    if (element == 0 || at + element > size)
        return NAN;
    const uint8_t* p = data + at;
    switch (slot.type) {
    case UlogType::i8: return static_cast<int8_t>(*p);
    case UlogType::u8:
    case UlogType::boolean:
    case UlogType::chr: return *p;
    case UlogType::i16: return readLE<int16_t>(p);
    case UlogType::u16: return readLE<uint16_t>(p);
    case UlogType::i32: return readLE<int32_t>(p);
    case UlogType::u32: return readLE<uint32_t>(p);
    case UlogType::i64: return static_cast<double>(readLE<int64_t>(p));
    case UlogType::u64: return static_cast<double>(readLE<uint64_t>(p));
    case UlogType::f32: return readLE<float>(p);
    case UlogType::f64: return readLE<double>(p);
    case UlogType::nested: break;
    }
    return NAN;
}

// Aerospace roll, pitch and yaw (radians, yaw clockwise from north) of a
// ULog quaternion (w, x, y, z) rotating body axes into north-east-down,
// normalised first; false, the angles untouched, for one of no length.
bool anglesOfUlogQuaternion(double w, double x, double y, double z, double& roll, double& pitch, double& yaw);

} // namespace flightreplay::readers
