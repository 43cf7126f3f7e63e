#pragma once
// IGC flight recorder files (gliders, hang gliders, paragliders).

#include <string>

#include "tools/flight/flight.h"

namespace flightreplay::readers {

// The B-record fixes, t in seconds since 00:00 UTC of the HFDTE date
// (utcAtClockZero is that midnight; unknown without HFDTE), counted on past
// midnight. Altitude is the GNSS altitude, or the pressure altitude (ISA,
// 1013.25 hPa) when the GNSS altitude is 0 in every fix; the pressure
// altitude also goes to baroAlt. Fixes marked V (no 3-D fix) are dropped
// when the file has any marked A. Extension columns declared by the I record
// are skipped, and read where known: SIU satellites, GSP ground speed and TAS
// airspeed (km/h), LAD/LOD extra digits of the minutes, TDS decimals of the
// second. Lines end in CR LF
// or LF. `firmware` is HFFTYFRTYPE (with HFRFWFIRMWAREVERSION), else the
// A record. Throws tools::ToolError when the bytes hold no A, H or B record.
flight::Flight readIgc(const std::string& bytes);

} // namespace flightreplay::readers
