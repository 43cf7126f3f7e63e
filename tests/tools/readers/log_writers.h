#pragma once
// Small writers of ULog and DataFlash files for the tests, the fuzz seeds and
// the benchmark: just enough of each format to lay out the messages a reader
// meets, little-endian and packed.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace reader_test {

// Bytes of a message body, appended field by field.
struct Body {
    std::string bytes;
    template <typename T>
    Body& put(T value)
    {
        char raw[sizeof value];
        std::memcpy(raw, &value, sizeof value);
        bytes.append(raw, sizeof value);
        return *this;
    }
    Body& text(const std::string& s)
    {
        bytes += s;
        return *this;
    }
};

class UlogWriter {
public:
    // The file header and the flag bits message; incompatible[0] bit 0 is
    // "data appended", any other bit is unknown to readers.
    explicit UlogWriter(uint8_t incompatible0 = 0, uint8_t incompatible1 = 0);
    void message(char type, const std::string& payload);
    void format(const std::string& text) { message('F', text); }
    void info(const std::string& key, const std::string& value);
    void paramInt(const std::string& name, int32_t value);
    void subscribe(uint8_t multiId, uint16_t id, const std::string& name);
    void data(uint16_t id, const Body& fields);
    void sync();
    std::string bytes;
};

// Unit quaternion (w, x, y, z) of aerospace roll, pitch, yaw (radians,
// rotation z-y-x from body to north-east-down).
void quaternionOf(double roll, double pitch, double yaw, float q[4]);

class DataflashWriter {
public:
    DataflashWriter();
    // Declares a type; format characters as in DataFlash, columns comma-separated.
    void define(uint8_t type, const std::string& name, const std::string& format, const std::string& columns);
    // One message; numbers are given in the units the reader returns (degrees
    // for L, the unscaled value for c/C/e/E), text for n/N/Z columns.
    struct Value {
        Value(double v) : number(v) {}
        Value(int v) : number(v) {}
        Value(const char* t) : text(t) {}
        double number = 0;
        std::string text;
    };
    void write(uint8_t type, const std::vector<Value>& values);
    std::string bytes;

private:
    std::vector<std::string> formats_;
};

// A flight in either DataFlash clock layout: 20 GPS fixes 0.2 s apart from
// boot second 10, ATT at 50 Hz with roll 30°, pitch 10°, yaw 100° at boot
// 12.0 s and level elsewhere, battery (12.6 V falling 0.01 V a fix, 5.5 A,
// 10 mAh a fix; none without `battery`), RC out, MSG texts. The older
// layout stamps GPS with GPS week 1800, time of week 4 days + 10 s at boot 10 s.
std::string dataflashFlight(bool olderClock, bool battery = true);

// A ULog flight with nested formats, arrays, padding, two battery instances
// and sync markers: 10 GPS fixes 1 s apart from boot second 5, attitude at
// 10 Hz with roll 30°, pitch 10°, yaw 100° at boot 7.0 s, level elsewhere.
std::string ulogFlight(uint8_t incompatible0 = 0, uint8_t incompatible1 = 0);

} // namespace reader_test
