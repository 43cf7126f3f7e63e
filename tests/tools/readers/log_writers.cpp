#include "log_writers.h"

#include <cmath>
#include <stdexcept>

#include "log/units.h"

namespace reader_test {

namespace {
constexpr double DEG = MAP_PI / 180.0;
}

UlogWriter::UlogWriter(uint8_t incompatible0, uint8_t incompatible1)
{
    bytes = std::string("ULog\x01\x12\x35\x01", 8);
    Body header;
    header.put<uint64_t>(1000);
    bytes += header.bytes;
    Body flags;
    for (int i = 0; i < 8; ++i)
        flags.put<uint8_t>(0);
    flags.put<uint8_t>(incompatible0).put<uint8_t>(incompatible1);
    for (int i = 0; i < 6; ++i)
        flags.put<uint8_t>(0);
    for (int i = 0; i < 3; ++i)
        flags.put<uint64_t>(0);
    message('B', flags.bytes);
}

void UlogWriter::message(char type, const std::string& payload)
{
    Body header;
    header.put<uint16_t>(static_cast<uint16_t>(payload.size())).put<char>(type);
    bytes += header.bytes + payload;
}

void UlogWriter::info(const std::string& key, const std::string& value)
{
    Body body;
    body.put<uint8_t>(static_cast<uint8_t>(key.size())).text(key).text(value);
    message('I', body.bytes);
}

void UlogWriter::paramInt(const std::string& name, int32_t value)
{
    const std::string key = "int32_t " + name;
    Body body;
    body.put<uint8_t>(static_cast<uint8_t>(key.size())).text(key).put<int32_t>(value);
    message('P', body.bytes);
}

void UlogWriter::subscribe(uint8_t multiId, uint16_t id, const std::string& name)
{
    Body body;
    body.put<uint8_t>(multiId).put<uint16_t>(id).text(name);
    message('A', body.bytes);
}

void UlogWriter::data(uint16_t id, const Body& fields)
{
    Body body;
    body.put<uint16_t>(id);
    message('D', body.bytes + fields.bytes);
}

void UlogWriter::sync()
{
    message('S', std::string("\x2f\x73\x13\x20\x25\x0c\xbb\x12", 8));
}

void quaternionOf(double roll, double pitch, double yaw, float q[4])
{
    const double cr = std::cos(roll / 2), sr = std::sin(roll / 2);
    const double cp = std::cos(pitch / 2), sp = std::sin(pitch / 2);
    const double cy = std::cos(yaw / 2), sy = std::sin(yaw / 2);
    q[0] = static_cast<float>(cr * cp * cy + sr * sp * sy);
    q[1] = static_cast<float>(sr * cp * cy - cr * sp * sy);
    q[2] = static_cast<float>(cr * sp * cy + sr * cp * sy);
    q[3] = static_cast<float>(cr * cp * sy - sr * sp * cy);
}

namespace {

// Whole message lengths, for the FMT messages the writer sends.
int lengthOf(const std::string& format)
{
    int n = 3;
    for (char c : format)
        n += std::string("bBM").find(c) != std::string::npos ? 1
             : std::string("hHcC").find(c) != std::string::npos ? 2
             : std::string("iIfeELn").find(c) != std::string::npos ? 4
             : std::string("dqQ").find(c) != std::string::npos ? 8
             : c == 'N' ? 16 : 64;
    return n;
}

} // namespace

DataflashWriter::DataflashWriter() : formats_(256) {}

void DataflashWriter::define(uint8_t type, const std::string& name, const std::string& format, const std::string& columns)
{
    formats_[type] = format;
    write(128, {static_cast<double>(type), static_cast<double>(lengthOf(format)), name.c_str(), format.c_str(), columns.c_str()});
}

void DataflashWriter::write(uint8_t type, const std::vector<Value>& values)
{
    const std::string format = type == 128 ? "BBnNZ" : formats_[type];
    if (format.size() != values.size())
        throw std::logic_error("DataflashWriter: values do not match the format");
    Body body;
    body.put<uint8_t>(0xa3).put<uint8_t>(0x95).put<uint8_t>(type);
    for (size_t i = 0; i < format.size(); ++i) {
        const double v = values[i].number;
        const auto textField = [&](size_t n) {
            std::string t = values[i].text;
            t.resize(n, '\0');
            body.text(t);
        };
        switch (format[i]) {
        case 'b': body.put<int8_t>(static_cast<int8_t>(v)); break;
        case 'B': case 'M': body.put<uint8_t>(static_cast<uint8_t>(v)); break;
        case 'h': body.put<int16_t>(static_cast<int16_t>(v)); break;
        case 'H': body.put<uint16_t>(static_cast<uint16_t>(v)); break;
        case 'c': body.put<int16_t>(static_cast<int16_t>(std::lround(v * 100))); break;
        case 'C': body.put<uint16_t>(static_cast<uint16_t>(std::lround(v * 100))); break;
        case 'i': body.put<int32_t>(static_cast<int32_t>(v)); break;
        case 'I': body.put<uint32_t>(static_cast<uint32_t>(v)); break;
        case 'e': body.put<int32_t>(static_cast<int32_t>(std::lround(v * 100))); break;
        case 'E': body.put<uint32_t>(static_cast<uint32_t>(std::lround(v * 100))); break;
        case 'L': body.put<int32_t>(static_cast<int32_t>(std::lround(v * 1e7))); break;
        case 'f': body.put<float>(static_cast<float>(v)); break;
        case 'd': body.put<double>(v); break;
        case 'q': body.put<int64_t>(static_cast<int64_t>(v)); break;
        case 'Q': body.put<uint64_t>(static_cast<uint64_t>(v)); break;
        case 'n': textField(4); break;
        case 'N': textField(16); break;
        case 'Z': textField(64); break;
        default: throw std::logic_error("DataflashWriter: unknown format character");
        }
    }
    bytes += body.bytes;
}


std::string dataflashFlight(bool olderClock, bool battery)
{
    DataflashWriter w;
    const auto define = [&](uint8_t type, const char* name, const char* format, const char* columns) {
        w.define(type, name, format, columns);
    };
    const bool n = !olderClock;
    if (n) {
        define(130, "GPS", "QBIHBcLLeffffB", "TimeUS,Status,GMS,GWk,NSats,HDop,Lat,Lng,Alt,Spd,GCrs,VZ,Yaw,U");
        define(131, "ATT", "QccccCCCC", "TimeUS,DesRoll,Roll,DesPitch,Pitch,DesYaw,Yaw,ErrRP,ErrYaw");
        define(132, "BAT", "QBfffff", "TimeUS,Inst,Volt,VoltR,Curr,CurrTot,EnrgTot");
        define(133, "RCOU", "QHHHH", "TimeUS,C1,C2,C3,C4");
        define(134, "MSG", "QZ", "TimeUS,Message");
        w.write(134, {1e5, "ArduPlane V4.3.1 (abcdef12)"});
    } else {
        define(130, "GPS", "BIHBcLLeeEefI", "Status,TimeMS,Week,NSats,HDop,Lat,Lng,RelAlt,Alt,Spd,GCrs,VZ,T");
        define(131, "ATT", "IccccCCCC", "TimeMS,DesRoll,Roll,DesPitch,Pitch,DesYaw,Yaw,ErrRP,ErrYaw");
        define(132, "CURR", "IhIhhhf", "TimeMS,Thr,ThrInt,Volt,Curr,Vcc,CurrTot");
        define(133, "RCOU", "IHHHH", "TimeMS,Ch1,Ch2,Ch3,Ch4");
        define(134, "MSG", "Z", "Message");
        w.write(134, {"ArduCopter V3.2.1 (36b405fb)"});
        w.write(134, {"Frame: QUAD"});
    }
    for (int k = 0; k < 20; ++k) {
        const double bootMs = 10000.0 + 200.0 * k;
        const double lat = 48.1 + 1e-5 * k, lon = 11.5 + 2e-5 * k, alt = 500.0 + k;
        if (n) {
            w.write(130, {bootMs * 1000, 3, 345610000.0 + 200.0 * k, 1800, 9, 0.9, lat, lon, alt, 12.5, 45, 0, 0, 0});
        } else {
            w.write(130, {3, 345610000.0 + 200.0 * k, 1800, 9, 0.9, lat, lon, 20, alt, 12.5, 45, 0, bootMs});
        }
        for (int a = 0; a < 10; ++a) {
            const double attMs = bootMs + 20.0 * a;
            const bool marked = attMs == 12000.0;
            const double roll = marked ? 30 : 0, pitch = marked ? 10 : 0, yaw = marked ? 100 : 90;
            w.write(131, {n ? attMs * 1000 : attMs, 0, roll, 0, pitch, 0, yaw, 0, 0});
        }
        if (battery && n)
            w.write(132, {bootMs * 1000, 0, 12.6 - 0.01 * k, 12.6, 5.5, 10.0 * k, 0});
        else if (battery)
            w.write(132, {bootMs, 0, 0, 1260 - k, 550, 500, 10.0 * k});
        w.write(133, {n ? bootMs * 1000 : bootMs, 1500.0 + k, 1400, 1300, 1200});
    }
    return w.bytes;
}

std::string ulogFlight(uint8_t incompatible0, uint8_t incompatible1)
{
    UlogWriter w(incompatible0, incompatible1);
    w.info("char[3] sys_name", "PX4");
    Body release;
    release.put<uint32_t>(0x010e02ffu);
    w.info("uint32_t ver_sw_release", release.bytes);
    w.paramInt("MAV_TYPE", 1);
    w.format("gps_extra:uint64_t timestamp;float[3] noise;");
    w.format("vehicle_gps_position:uint64_t timestamp;gps_extra extra;int32_t lat;int32_t lon;int32_t alt;"
             "float vel_m_s;uint8_t fix_type;uint8_t satellites_used;uint8_t[6] _padding0;");
    w.format("vehicle_attitude:uint64_t timestamp;float[4] q;uint8_t[4] _padding0;");
    w.format("battery_status:uint64_t timestamp;float voltage_v;float current_a;float discharged_mah;");
    w.format("cpuload:uint64_t timestamp;float load;");
    w.subscribe(0, 3, "cpuload");
    w.subscribe(1, 7, "battery_status");
    w.subscribe(0, 1, "vehicle_gps_position");
    w.subscribe(0, 2, "vehicle_attitude");
    w.subscribe(0, 8, "battery_status");
    for (int k = 0; k < 10; ++k) {
        const uint64_t us = 5000000u + 1000000u * static_cast<uint64_t>(k);
        Body gps;
        gps.put<uint64_t>(us).put<uint64_t>(us).put<float>(9.f).put<float>(9.f).put<float>(9.f);
        gps.put<int32_t>(481000000 + 100 * k).put<int32_t>(115000000 + 200 * k).put<int32_t>(500000 + 1000 * k);
        gps.put<float>(12.5f).put<uint8_t>(3).put<uint8_t>(11);
        w.data(1, gps);
        for (int a = 0; a < 10; ++a) {
            const uint64_t attUs = us + 100000u * static_cast<uint64_t>(a);
            const bool marked = attUs == 7000000u;
            float q[4];
            quaternionOf(marked ? 30 * DEG : 0, marked ? 10 * DEG : 0, marked ? 100 * DEG : 90 * DEG, q);
            Body att;
            att.put<uint64_t>(attUs).put<float>(q[0]).put<float>(q[1]).put<float>(q[2]).put<float>(q[3]);
            w.data(2, att);
        }
        Body load;
        load.put<uint64_t>(us).put<float>(0.5f);
        w.data(3, load);
        Body spare, main;
        spare.put<uint64_t>(us).put<float>(99.f).put<float>(99.f).put<float>(99.f);
        main.put<uint64_t>(us).put<float>(16.f - 0.1f * static_cast<float>(k)).put<float>(7.f).put<float>(10.f * static_cast<float>(k));
        w.data(7, spare);
        w.data(8, main);
        w.sync();
    }
    return w.bytes;
}

} // namespace reader_test
