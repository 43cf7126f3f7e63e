#pragma once
// Every numeric field of a log's own messages, by name, and the reading of
// any set of them: the review, the studio's plots and the track colouring
// ask for the few they need, in one pass over the file.
//
// Names, the same scheme for every format: MESSAGE.field for the first (or
// only) instance of a message, MESSAGE[i].field for instance i > 0, array
// elements as field[k] and nested fields as outer.inner:
//   "vehicle_imu_status.accel_vibration_metric", "vehicle_imu_status[1].accel_clipping[2]",
//   "VIBE[1].VibeX", "XKF4.SV", "VIBRATION.vibration_x".
// The instance is ULog's multi_id, DataFlash's instance or core column
// (I, Instance, Inst, IMU, C), and 0 for a ground station's log.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tools/flight/field_series.h"
#include "tools/flight/flight.h"

namespace flightreplay::flight {

// The most fields a catalogue lists: real logs define a few thousand; a
// damaged one must not make millions of names.
constexpr size_t MAX_FIELDS = 100000;

struct FieldInfo {
    std::string name;    // as above
    std::string message; // "VIBE", "vehicle_imu_status", "VIBRATION"
    int instance = 0;
    std::string field;   // "VibeX", "accel_clipping[2]", "control.value"
    std::string unit;    // where the log says ("m/s/s", "V"); else empty
    double scale = 1.0;  // the log's multiplier, applied to the stored number when read
};

// Immutable once made: flights share it.
class FieldCatalogue {
public:
    // Sorted by name; the first of equal names kept.
    explicit FieldCatalogue(std::vector<FieldInfo> fields);
    const std::vector<FieldInfo>& fields() const { return fields_; }
    // The field of that name; nullptr when the log has none.
    const FieldInfo* find(const std::string& name) const;
    bool has(const std::string& name) const { return find(name) != nullptr; }

private:
    std::vector<FieldInfo> fields_;
};

// Reads fields of the log a flight came from: the file again, or the bytes
// it was read from.
class FieldSource {
public:
    virtual ~FieldSource() = default;
    // One series per name, in the order asked: seconds on the flight's clock
    // (as its other streams), in time order, finite values only, thinned
    // evenly past the readers' stream cap; empty for a name the catalogue
    // lacks or a file that can no longer be read.
    virtual std::vector<Series> read(const std::vector<const FieldInfo*>& fields) const = 0;
    // The field's samples as read, where the source holds them in memory
    // (valid as long as the source); empty where it would have to read.
    virtual FieldSeries held(const std::string&) const { return {}; }
};

// A message's field, every instance of it: what a reader may be asked to
// keep while it reads, so that a review needs no second pass.
struct FieldKey {
    std::string message;
    std::string field;
};

// What a reader kept as it read, by field name: fields of a series of their
// own, and fields kept in the rows of their message.
struct KeptStore {
    struct Column {
        size_t table;  // of tables
        size_t offset; // in each row
        StoredType type;
    };
    std::map<std::string, Series> series;
    std::vector<SampleRows> tables;
    std::map<std::string, Column> columns;
};

// A source answering from what was kept while the log was read, asking rest
// (may be null) for any other field.
class KeptFields : public FieldSource {
public:
    KeptFields(std::shared_ptr<const KeptStore> kept, std::shared_ptr<const FieldSource> rest)
        : kept_(std::move(kept)), rest_(std::move(rest))
    {
    }
    std::vector<Series> read(const std::vector<const FieldInfo*>& fields) const override;
    FieldSeries held(const std::string& name) const override;
    // Whether the field was kept, however few its samples.
    bool holds(const std::string& name) const;
    // The same kept series, the rest read from rest.
    std::shared_ptr<const KeptFields> withRest(std::shared_ptr<const FieldSource> rest) const
    {
        return std::make_shared<const KeptFields>(kept_, std::move(rest));
    }

private:
    std::shared_ptr<const KeptStore> kept_;
    std::shared_ptr<const FieldSource> rest_;
};

// "VIBE[1].VibeX" from "VIBE", 1, "VibeX"; no brackets for instance 0.
std::string fieldName(const std::string& message, int instance, const std::string& field);

// The series of each name (see FieldSource::read), all in one pass; empty
// series for every name where the flight has no fields of its own.
std::vector<Series> readFields(const Flight& flight, const std::vector<std::string>& names);
Series readField(const Flight& flight, const std::string& name);

// Whether the flight has a field of that name.
bool hasField(const Flight& flight, const std::string& name);

} // namespace flightreplay::flight
