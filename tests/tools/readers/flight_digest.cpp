#include "flight_digest.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "log/log_writer.h"
#include "tools/convert/resample.h"

namespace reader_test {

using namespace flightreplay::flight;

namespace {

void add(std::string& text, const char* pattern, ...) __attribute__((format(printf, 2, 3)));
void add(std::string& text, const char* pattern, ...)
{
    char line[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(line, sizeof line, pattern, args);
    va_end(args);
    text += line;
}

void addSeries(std::string& text, const char* name, const Series& series)
{
    add(text, "%s %zu\n", name, series.size());
    for (const Sample& s : series)
        add(text, "%.17g %.17g\n", s.t, s.value);
}

std::string rowsText(const Flight& flight)
{
    const flightreplay::convert::LogRows rows = flightreplay::convert::rowsOfFlight(flight, {});
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::tmpfile(), &std::fclose);
    if (!file || !writeLog(file.get(), rows.rows, rows.fieldCodes))
        return "rows not written\n";
    std::string text;
    std::rewind(file.get());
    char chunk[1 << 14];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        text.append(chunk, got);
    return text;
}

} // namespace

std::string flightText(const Flight& f)
{
    std::string text;
    add(text, "%s %s %d %d %s %.17g\n", formatWord(f.format), f.firmware.c_str(), static_cast<int>(f.vehicle),
        f.systemId, f.positionSource.c_str(), f.utcAtClockZero);
    add(text, "position %zu\n", f.position.size());
    for (const Fix& x : f.position)
        add(text, "%.17g %.17g %.17g %.17g\n", x.t, x.latDeg, x.lonDeg, x.altM);
    add(text, "attitude %zu %d\n", f.attitude.size(), f.attitudeDerived ? 1 : 0);
    for (const Attitude& a : f.attitude)
        add(text, "%.17g %.17g %.17g %.17g\n", a.t, a.roll, a.pitch, a.yaw);
    const std::pair<const char*, const Series*> series[] = {
        {"groundSpeed", &f.groundSpeed}, {"satellites", &f.satellites}, {"fixMode", &f.fixMode},
        {"voltage", &f.voltage},         {"current", &f.current},       {"mah", &f.mah},
        {"baroAlt", &f.baroAlt},         {"airspeed", &f.airspeed},     {"windSpeed", &f.windSpeed},
        {"windDirection", &f.windDirection}};
    for (const auto& [name, s] : series)
        addSeries(text, name, *s);
    for (const Series& s : f.rcIn)
        addSeries(text, "rcIn", s);
    for (const Series& s : f.servoOut)
        addSeries(text, "servoOut", s);
    for (const ModeChange& m : f.modes)
        add(text, "mode %.17g %d %s\n", m.t, m.code, m.name.c_str());
    for (const FlightMessage& m : f.messages)
        add(text, "message %.17g %d %s\n", m.t, m.severity, m.text.c_str());
    for (const FlightEvent& e : f.events)
        add(text, "event %.17g %d %d %.17g %d\n", e.t, static_cast<int>(e.kind), e.logged ? 1 : 0, e.duration, e.item);
    for (const MissionItem& item : f.plan.mission)
        add(text, "item %d %d %d %.17g %.17g %.17g\n", item.seq, item.command, item.frame, item.latDeg, item.lonDeg, item.alt);
    add(text, "home %.17g %.17g %.17g %.17g\n", f.plan.home.t, f.plan.home.latDeg, f.plan.home.lonDeg, f.plan.home.altM);
    add(text, "fence %zu rally %zu\n", f.plan.fence.size(), f.plan.rally.size());
    for (const TerrainReport& r : f.terrain)
        add(text, "terrain %.17g %d %.17g %.17g\n", r.t, r.status, r.terrainHeightM, r.heightAboveM);
    for (const CameraShot& s : f.shots)
        add(text, "shot %.17g %d\n", s.t, s.index);
    for (const LinkSystem& s : f.linkSystems)
        add(text, "system %d %d %d %llu\n", s.id, s.type, s.autopilot, static_cast<unsigned long long>(s.packets));
    for (const std::string& note : f.notes)
        text += "note " + note + "\n";
    return text + rowsText(f);
}

std::string digestOf(const std::string& text)
{
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

} // namespace reader_test
