#pragma once
// Modes, messages and events as a binary reader meets them, kept to a
// bounded number however long the log: a logger that repeats a warning
// every cycle must not fill the memory the streams are capped to spare.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/flight/flight.h"

namespace flightreplay::readers {

// Most modes, messages and events kept each; later ones are counted, not kept.
constexpr size_t HAPPENINGS_CAP = 100000;

// A two-state signal (armed, landed) turned into events where it changes.
class StateChanges {
public:
    // onKind when the signal turns on, offKind when it turns off; the first
    // sample gives an event only when it is on and eventAtFirstOn.
    StateChanges(flight::FlightEventKind onKind, flight::FlightEventKind offKind, bool eventAtFirstOn)
        : onKind_(onKind), offKind_(offKind), eventAtFirstOn_(eventAtFirstOn) {}
    void add(double t, bool on);
    bool seen() const { return last_ >= 0; }
    std::vector<flight::FlightEvent> events;

private:
    flight::FlightEventKind onKind_, offKind_;
    bool eventAtFirstOn_;
    int last_ = -1; // -1 before the first sample
};

class FlightHappenings {
public:
    // From t on the mode is code; ignored when the mode before had the same code.
    void mode(double t, int code, const std::string& name);
    void message(double t, int severity, const std::string& text);
    void event(const flight::FlightEvent& event);
    // Moves everything into out, each list in time order, with a note when
    // some were left out.
    void moveInto(flight::Flight& out);

private:
    std::vector<flight::ModeChange> modes_;
    std::vector<flight::FlightMessage> messages_;
    std::vector<flight::FlightEvent> events_;
    uint64_t leftOut_ = 0;
};

// The text of a logged line without terminal colour codes and trailing
// blanks.
std::string cleanLogText(const std::string& text);

} // namespace flightreplay::readers
