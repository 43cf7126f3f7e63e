#pragma once
// What one MAVLink system's packets in a ground station's log make of a
// flight: its streams, modes, messages and events on its own clock
// (tlog_clock.h), its home, terrain reports and camera shots. Only the
// component that sent the vehicle's heartbeat is read once there is one.

#include <array>
#include <memory>
#include <cstdint>
#include <string>

#include "tools/flight/flight.h"
#include "tools/readers/flight_happenings.h"
#include "tools/readers/mavlink_messages.h"
#include "tools/readers/series_bucket.h"
#include "tools/readers/tlog_clock.h"
#include "tools/readers/tlog_fields.h"

namespace flightreplay::readers {

class TlogVehicle {
public:
    // A packet of a message of the table from component `component` of the
    // system, stamped by the station at `stamp` (seconds since 1970); payload
    // of length bytes as it came, but for HEARTBEAT and STATUSTEXT of at
    // least message.extendedLength bytes, zeros past what came.
    void packet(double stamp, int component, const mavlink::Message& message, const uint8_t* payload, size_t length);
    // A packet of an id the table lacks: it still shows the link alive.
    void heard(double stamp) { clock_.packet(stamp, NAN); }
    // Whether a packet of message id from component would only be dropped,
    // nothing of it read: attitude (which comes most often) past its
    // stream's cap, a message kept only as a field once it is catalogued, a
    // component other than the vehicle's. Such a packet need not be checked;
    // never so while a request takes every packet, nor one of a field kept.
    bool drops(int component, uint32_t id) const
    {
        if (request_ || id == mavlink::HEARTBEAT || (kept_ && kept_->wants(id)))
            return false;
        if (vehicleComponent_ >= 0 && component != vehicleComponent_)
            return true;
        return id == mavlink::ATTITUDE ? !rest_.attitude.keepsNext() : unread_[id & 0xff];
    }
    // Counts a packet that drops() said would be dropped, as heard.
    void dropped(double stamp, int component, uint32_t id)
    {
        if (id == mavlink::ATTITUDE && (vehicleComponent_ < 0 || component == vehicleComponent_))
            rest_.attitude.pass();
        clock_.packet(stamp, NAN);
    }

    // Whether a heartbeat named the system a vehicle with an autopilot.
    bool isVehicle() const { return vehicleComponent_ >= 0; }
    // Whether it reported a position (GLOBAL_POSITION_INT or a 3-D GPS fix).
    bool hasFixes() const { return !global_.position.empty() || !gps_.position.empty(); }
    int type() const { return type_; }
    int autopilot() const { return autopilot_; }

    // Hands request every packet of the vehicle from now on, with its time.
    void ask(TlogFieldRequest* request) { request_ = request; }
    // Keeps the keys' fields of the vehicle as it reads (finish() hands them
    // to the flight's fieldSource).
    void keep(const std::vector<flight::FieldKey>& keys) { kept_ = std::make_unique<TlogKeptFields>(keys); }

    // The flight read so far, its streams moved out (call once).
    flight::Flight finish();

private:
    double timeOf(double stamp, const mavlink::Message& message, const uint8_t* payload, size_t length);
    void heartbeat(double t, int component, const uint8_t* payload);
    void fields(double t, const mavlink::Message& message, const uint8_t* payload, size_t length);
    void statusText(double t, const uint8_t* payload);
    void flushText();
    void text(double t, int severity, const std::string& text);

    VehicleClock clock_;
    int vehicleComponent_ = -1;
    int type_ = -1;
    int autopilot_ = -1;
    SeriesBucket global_, gps_, hud_, battery_, rest_, rcRaw_;
    ThinnedSeries<flight::Sample> windSpeed_, windDirection_;
    ThinnedSeries<flight::TerrainReport> terrain_;
    std::vector<flight::CameraShot> shots_;
    flight::Fix home_ = {NAN, NAN, NAN, NAN};
    FlightHappenings happenings_;
    StateChanges armed_{flight::FlightEventKind::armed, flight::FlightEventKind::disarmed, false};
    int missionCurrent_ = -1;
    int missionReached_ = -1;
    std::string firmware_;
    std::array<bool, 256> messages_{}; // ids of the vehicle's packets read: its fields
    std::array<bool, 256> unread_{}; // ids kept only as fields, already catalogued
    TlogFieldRequest* request_ = nullptr;
    std::unique_ptr<TlogKeptFields> kept_;

    // A STATUSTEXT split into chunks (MAVLink 2), joined until it ends.
    struct PendingText {
        bool open = false;
        int id = 0;
        int chunk = 0;
        int severity = 6;
        double t = 0.0;
        std::string text;
    } pending_;
};

} // namespace flightreplay::readers
