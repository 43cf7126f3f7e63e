#include "tools/convert/resample.h"

#include <algorithm>
#include <cstdio>

#include "log/units.h"
#include "tools/common/tool_error.h"
#include "tools/flight/civil_date.h"

namespace flightreplay::convert {

using namespace flight;

namespace {

// Reads one stream at increasing times, keeping its place between calls.
template <typename T>
class Cursor {
public:
    explicit Cursor(const std::vector<T>& samples) : s_(samples) {}
    bool empty() const { return s_.empty(); }

    // Interpolation weight of the sample after the current one; the current
    // index is left in i_.
    double seek(double t)
    {
        while (i_ + 1 < s_.size() && s_[i_ + 1].t <= t)
            ++i_;
        if (t <= s_[i_].t || i_ + 1 >= s_.size())
            return 0.0;
        return (t - s_[i_].t) / (s_[i_ + 1].t - s_[i_].t);
    }
    template <typename Get>
    double linear(double t, Get get)
    {
        const double f = seek(t);
        const double a = get(s_[i_]);
        return f == 0.0 ? a : a + f * (get(s_[i_ + 1]) - a);
    }
    template <typename Get>
    double angle(double t, Get get)
    {
        const double f = seek(t);
        const double a = get(s_[i_]);
        return f == 0.0 ? wrapPlusMinusPi(a) : interpolateAngle(a, get(s_[i_ + 1]), f);
    }
    template <typename Get>
    double held(double t, Get get)
    {
        seek(t);
        return get(s_[i_]);
    }

private:
    const std::vector<T>& s_;
    size_t i_ = 0;
};

double valueOf(const Sample& s) { return s.value; }

// DDMMYY of the UTC day of a Unix time; 0 outside the years 1970 to 2999,
// which no recorder's clock reaches.
int ddmmyy(double utc)
{
    if (!(utc >= 0.0 && utc < 32503680000.0))
        return 0;
    const flight::CivilDate date = flight::civilFromDays(static_cast<int64_t>(std::floor(utc / 86400.0)));
    return date.day * 10000 + date.month * 100 + static_cast<int>(date.year % 100);
}

// A count or mode as the log's integer column; a damaged file may hold any
// float there.
int32_t toCount(double value)
{
    return std::isfinite(value) ? static_cast<int32_t>(std::fmax(-1e9, std::fmin(1e9, value))) : 0;
}

std::vector<double> rowTimes(const Flight& data, const ResampleOptions& options, std::vector<std::string>& notes)
{
    const double first = data.position.front().t;
    const double last = data.position.back().t;
    const double start = std::max(first, first + (std::isfinite(options.from) ? options.from : 0.0));
    const double end = std::min(last, std::isfinite(options.to) ? first + options.to : last);
    if (!(end >= start)) {
        char text[160];
        std::snprintf(text, sizeof text, "--from/--to select no time within the fixes (0 s to %.3f s)", last - first);
        throw tools::ToolError(text);
    }
    std::vector<double> times;
    double wanted;
    if (options.rate > 0.0) {
        wanted = std::floor((end - start) * options.rate + 1e-9) + 1.0;
    } else {
        for (const Fix& fix : data.position)
            if (fix.t >= start && fix.t <= end && (times.empty() || fix.t > times.back()))
                times.push_back(fix.t);
        wanted = static_cast<double>(times.size());
    }
    const int maxRows = std::max(1, options.maxRows);
    if (wanted > maxRows) {
        times.clear();
        const double step = maxRows > 1 ? (end - start) / (maxRows - 1) : 0.0;
        for (int i = 0; i < maxRows; ++i)
            times.push_back(start + step * i);
        char text[200];
        std::snprintf(text, sizeof text, "%.0f rows would exceed the limit of %d: resampled evenly in time, one row every %.3f s",
                      wanted, maxRows, step);
        notes.push_back(text);
    } else if (options.rate > 0.0) {
        for (int i = 0; i < static_cast<int>(wanted); ++i)
            times.push_back(start + i / options.rate);
    }
    return times;
}

} // namespace

LogRows rowsOfFlight(const Flight& data, const ResampleOptions& options)
{
    LogRows out;
    const std::vector<double> times = rowTimes(data, options, out.notes);
    const bool dated = std::isfinite(data.utcAtClockZero);
    const bool attitude = !data.attitude.empty();

    std::vector<std::string> keywords = {"samplenumber"};
    if (dated)
        keywords.push_back("gps_date");
    keywords.push_back("gps_time");
    if (!data.satellites.empty())
        keywords.push_back("gps_numsatellites");
    if (!data.fixMode.empty())
        keywords.push_back("gps_fixmode");
    for (const char* k : {"gps_startlat", "gps_startlon", "gps_startalt", "gps_curlat", "gps_curlon", "gps_curalt"})
        keywords.push_back(k);
    if (!data.groundSpeed.empty())
        keywords.push_back("gps_curspeed");
    if (attitude)
        keywords.push_back("gps_curheading");
    if (!data.voltage.empty())
        keywords.push_back("voltage1");
    if (!data.current.empty())
        keywords.push_back("current");
    if (!data.mah.empty())
        keywords.push_back("mah");
    if (!data.airspeed.empty())
        keywords.push_back("baro_curspeed");
    if (!data.baroAlt.empty())
        keywords.push_back("baro_curalt");
    if (attitude) {
        keywords.push_back("pyro_curroll");
        keywords.push_back("pyro_curpitch");
    }
    for (size_t i = 0; i < data.rcIn.size(); ++i)
        if (!data.rcIn[i].empty())
            keywords.push_back("in_ppm_curwidth[" + std::to_string(i) + "]");
    for (size_t i = 0; i < data.servoOut.size(); ++i)
        if (!data.servoOut[i].empty())
            keywords.push_back("out_ppm_curwidth[" + std::to_string(i) + "]");
    for (const std::string& keyword : keywords)
        out.fieldCodes.push_back(fieldCodeOf(keyword));

    Cursor<Fix> position(data.position);
    Cursor<Attitude> angles(data.attitude);
    Cursor<Sample> speed(data.groundSpeed), sats(data.satellites), fix(data.fixMode), volt(data.voltage),
        amps(data.current), mah(data.mah), air(data.airspeed), baro(data.baroAlt);
    std::vector<Cursor<Sample>> rc, servo;
    for (const Series& s : data.rcIn)
        rc.emplace_back(s);
    for (const Series& s : data.servoOut)
        servo.emplace_back(s);

    const Fix& start = data.position.front();
    out.rows.reserve(times.size());
    for (size_t r = 0; r < times.size(); ++r) {
        const double t = times[r];
        LogRow row{};
        row.samplenumber = static_cast<int32_t>(r);
        if (dated)
            row.gps_date = ddmmyy(data.utcAtClockZero + t);
        row.gps_time = t - times[0];
        row.gps_startlat = minutesOfDegrees(start.latDeg);
        row.gps_startlon = minutesOfDegrees(start.lonDeg);
        row.gps_startalt = start.altM;
        row.gps_curlat = minutesOfDegrees(position.linear(t, [](const Fix& f) { return f.latDeg; }));
        row.gps_curlon = minutesOfDegrees(
            position.angle(t, [](const Fix& f) { return f.lonDeg * RADIANS_PER_DEGREE; }) * DEGREES_PER_RADIAN);
        row.gps_curalt = position.linear(t, [](const Fix& f) { return f.altM; });
        if (!sats.empty())
            row.gps_numsatellites = toCount(sats.held(t, valueOf));
        if (!fix.empty())
            row.gps_fixmode = toCount(fix.held(t, valueOf));
        if (!speed.empty())
            row.gps_curspeed = speed.linear(t, valueOf);
        if (attitude) {
            const double yaw = angles.angle(t, [](const Attitude& a) { return a.yaw; });
            row.gps_curheading = logHeadingOfCompass(yaw);
            row.pyro_curroll = -angles.angle(t, [](const Attitude& a) { return a.roll; });
            row.pyro_curpitch = angles.angle(t, [](const Attitude& a) { return a.pitch; });
        }
        if (!volt.empty())
            row.voltage1 = volt.linear(t, valueOf);
        if (!amps.empty())
            row.current = amps.linear(t, valueOf);
        if (!mah.empty())
            row.mah = mah.linear(t, valueOf);
        if (!air.empty())
            row.baro_curspeed = air.linear(t, valueOf);
        if (!baro.empty())
            row.baro_curalt = baro.linear(t, valueOf);
        for (size_t i = 0; i < rc.size(); ++i)
            if (!rc[i].empty())
                row.in_ppm_curwidth[i] = rc[i].linear(t, valueOf);
        for (size_t i = 0; i < servo.size(); ++i)
            if (!servo[i].empty())
                row.out_ppm_curwidth[i] = servo[i].linear(t, valueOf);
        out.rows.push_back(row);
    }
    return out;
}

} // namespace flightreplay::convert
