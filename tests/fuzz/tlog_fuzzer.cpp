// Arbitrary bytes as a file named on the command line: told by the sniffing,
// then read by the reader of the format it names; and as a ground station's
// telemetry log whatever they look like. The reader, every vehicle's rows,
// what the reader makes of missions, clocks and links, and the review of
// each vehicle checked after every input.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "convert_fuzz_checks.h"
#include "review_fuzz_checks.h"
#include "tools/common/tool_error.h"
#include "tools/readers/byte_reader.h"
#include "tools/readers/read_flight.h"
#include "tools/readers/tlog_reader.h"

namespace {

using namespace flightreplay::flight;

void checkTlogFlights(const std::vector<Flight>& flights, const uint8_t* data, size_t size)
{
    requireThat(!flights.empty(), "at least one flight");
    for (const Flight& flight : flights) {
        bool listed = flight.systemId == 0;
        for (const LinkSystem& system : flight.linkSystems)
            listed = listed || system.id == flight.systemId;
        requireThat(listed, "a vehicle is among the systems heard");
        for (const FlightEvent& e : flight.events)
            requireThat(e.kind != FlightEventKind::linkLost || (std::isfinite(e.duration) && e.duration > 2.0),
                        "a link loss lasts over 2 s");
        for (const FenceRegion& region : flight.plan.fence)
            requireThat(region.radiusM > 0.0 || region.polygon.size() >= 3, "a fence region is a circle or a polygon");
        for (const TerrainReport& report : flight.terrain)
            requireThat(report.status != 2 || std::isfinite(report.terrainHeightM), "healthy terrain has a height");
        checkConversion(flight, size);
        checkReview(flight, data, size);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    namespace readers = flightreplay::readers;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string head = bytes.substr(0, 64 * 1024);
    requireThat(readers::tlogEvidence(head) <= head.size(), "a run within the head");
    const std::optional<FlightFormat> format = readers::recogniseFormat(head);
    // A file the sniffing takes for a tlog reads without an error. The
    // replay's own log is left to its fuzzer: its scanner ends the process
    // on a fault, as the program does.
    if (format == FlightFormat::tlog) {
        checkTlogFlights(readers::readFlightsOfBytes(bytes, readers::ReadOptions{}), data, size);
    } else if (format && format != FlightFormat::log) {
        try {
            for (const Flight& flight : readers::readFlightsOfBytes(bytes, readers::ReadOptions{}))
                checkConversion(flight, size);
        } catch (const flightreplay::tools::ToolError&) {
        }
    }
    readers::ByteReader in(data, size);
    checkTlogFlights(readers::readTlog(in, keptFieldsFor(size)), data, size);
    return 0;
}
