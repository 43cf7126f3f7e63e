#pragma once
// A ground station's log as fields (field_catalogue.h): MESSAGE.field of the
// messages the layout table knows (mavlink_messages.h) that one vehicle
// sent, array elements named as MAVLink numbers them (servo1_raw ...
// servo8_raw) or as field[k]; its clock fields (time_boot_ms, time_usec) and
// texts left out. Read again for a set of them on the flight's clock.

#include <array>
#include <bitset>
#include <memory>
#include <string>
#include <vector>

#include "tools/flight/field_catalogue.h"
#include "tools/readers/byte_reader.h"
#include "tools/readers/field_sources.h"
#include "tools/readers/mavlink_messages.h"
#include "tools/readers/series_bucket.h"

namespace flightreplay::readers {

// The catalogue of a vehicle that sent the messages of these ids.
std::shared_ptr<const flight::FieldCatalogue> tlogCatalogue(const std::bitset<256>& messageIds);

// The fields asked of one vehicle, taken packet by packet as the reader
// reads them.
class TlogFieldRequest {
public:
    TlogFieldRequest(const std::vector<const flight::FieldInfo*>& fields, int system);
    int system() const { return system_; }
    // Whether a field of message id is asked.
    bool wants(uint32_t id) const { return id < byId_.size() && !byId_[id].empty(); }
    // A packet of the vehicle at t (the flight's clock; NaN before its clock
    // is known), its payload of length bytes as it came (MAVLink 2's
    // dropped trailing zeros read as zero).
    void take(double t, uint32_t id, const uint8_t* payload, size_t length);
    // The series, in the order asked (call once).
    std::vector<flight::Series> answer();

private:
    struct Asked {
        mavlink::Field element; // the field's element asked, as a field of its own
        size_t place;
    };
    int system_ = 0;
    std::array<std::vector<Asked>, 256> byId_;
    std::vector<ThinnedSeries<flight::Sample>> answer_;
};

// Every element of the keys' fields, kept packet by packet as the reader
// reads the vehicle's: a row per packet of a message, with the bytes of its
// payload that hold them (a float that comes not finite makes its field a
// series of its own from then on, left out where it is not).
class TlogKeptFields {
public:
    explicit TlogKeptFields(const std::vector<flight::FieldKey>& keys);
    // Whether a field of message id is kept.
    bool wants(uint32_t id) const { return id < byId_.size() && !byId_[id].elements.empty(); }
    // As TlogFieldRequest::take.
    void take(double t, uint32_t id, const uint8_t* payload, size_t length);
    // The kept fields as a source for Flight::fieldSource (call once).
    std::shared_ptr<const flight::FieldSource> source();

private:
    static constexpr size_t NO_SERIES = ~size_t(0);
    struct Element {
        std::string name;
        mavlink::Field field; // the element, as a field of its own
        size_t series = NO_SERIES; // of series_, once it is one
    };
    struct Kept {
        std::vector<Element> elements;
        std::vector<size_t> floats; // of elements: those that may come not finite
        size_t table = 0;           // of tables_
        size_t from = 0, to = 0;    // the payload's bytes a row holds
        bool series = false;        // whether an element is a series
    };
    void becomeSeries(Kept& kept, Element& element);

    std::array<Kept, 256> byId_;
    std::vector<KeptRows> tables_;
    std::vector<std::string> names_; // of series_
    std::vector<ThinnedSeries<flight::Sample>> series_;
};

// One series per field, in the order given, of the packets of system.
std::vector<flight::Series> readTlogFields(ByteReader& in, const std::vector<const flight::FieldInfo*>& fields, int system);

} // namespace flightreplay::readers
