#pragma once
// Reads a ground station's telemetry log (.tlog): records of a big-endian
// µs stamp of the station's clock and one MAVLink 1 or 2 packet as it came
// over the radio. Packets of the messages in mavlink_messages.h are checked
// by their CRC and read; others are skipped by length. Every vehicle heard
// (a system whose heartbeat names a vehicle with an autopilot) is a flight
// of its own (tlog_vehicle.h), with the missions, fences and rally points
// the station exchanged with it (tlog_missions.h).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/flight/field_catalogue.h"
#include "tools/flight/flight.h"
#include "tools/readers/byte_reader.h"

namespace flightreplay::readers {

// Reads the stream to its end: one flight per vehicle in the order of
// their first heartbeats, each with Flight::linkSystems and systemId; when
// no heartbeat named a vehicle, one per system that reported positions (by
// id, with a note), else one flight without positions (systemId 0). Packets
// with a bad CRC, damaged stretches crossed up to the next stamp and packet
// whose CRC checks, and a file ending inside a record are told in each
// flight's notes.
// The fields of keep are read along and kept for each vehicle: its
// flight's fieldSource answers for them without reading again.
std::vector<flight::Flight> readTlog(ByteReader& in, const std::vector<flight::FieldKey>& keep = {});

class TlogFieldRequest;
// As above, handing request every packet its vehicle reads (tlog_fields.h).
std::vector<flight::Flight> readTlog(ByteReader& in, TlogFieldRequest* request);

// How many bytes of head the longest run of records accounts for: stamps
// from 2000 to 2100, each no earlier than the last, each followed by a
// MAVLink packet whose length leads to the next stamp, whatever the
// messages and wherever the run starts. A run counts from three records,
// or shorter when it ends with the head and one of its packets' CRC checks.
// 0 when there is none.
size_t tlogEvidence(const std::string& head);

// CRC-16/MCRF4XX (MAVLink's X.25) of n bytes, carried on from crc.
uint16_t mavlinkCrc(const uint8_t* bytes, size_t n, uint16_t crc = 0xffff);

} // namespace flightreplay::readers
