// Arbitrary bytes as a ground station's telemetry log: the reader, every
// vehicle's rows and what the reader makes of missions, clocks and links
// checked after every input; and the review of each vehicle.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "convert_fuzz_checks.h"
#include "review_fuzz_checks.h"
#include "tools/readers/byte_reader.h"
#include "tools/readers/tlog_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace flightreplay::flight;
    flightreplay::readers::looksLikeTlog(std::string(reinterpret_cast<const char*>(data), size));
    flightreplay::readers::ByteReader in(data, size);
    const std::vector<Flight> flights = flightreplay::readers::readTlog(in, keptFieldsFor(size));
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
    return 0;
}
