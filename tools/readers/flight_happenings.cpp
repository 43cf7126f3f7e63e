#include "tools/readers/flight_happenings.h"

#include <algorithm>

namespace flightreplay::readers {

using namespace flight;

namespace {

template <typename T>
void sortByTime(std::vector<T>& items)
{
    std::stable_sort(items.begin(), items.end(), [](const T& a, const T& b) { return a.t < b.t; });
}

} // namespace

void StateChanges::add(double t, bool on)
{
    const int state = on ? 1 : 0;
    if (state == last_)
        return;
    const bool first = last_ < 0;
    last_ = state;
    if (first && !(on && eventAtFirstOn_))
        return;
    if (events.size() < HAPPENINGS_CAP)
        events.push_back({t, on ? onKind_ : offKind_, true});
}

void FlightHappenings::mode(double t, int code, const std::string& name)
{
    if (!modes_.empty() && modes_.back().code == code)
        return;
    if (modes_.size() >= HAPPENINGS_CAP) {
        ++leftOut_;
        return;
    }
    modes_.push_back({t, code, name});
}

void FlightHappenings::message(double t, int severity, const std::string& text)
{
    if (messages_.size() >= HAPPENINGS_CAP) {
        ++leftOut_;
        return;
    }
    messages_.push_back({t, severity, text});
}

void FlightHappenings::event(const FlightEvent& event)
{
    if (events_.size() >= HAPPENINGS_CAP) {
        ++leftOut_;
        return;
    }
    events_.push_back(event);
}

void FlightHappenings::moveInto(Flight& out)
{
    sortByTime(modes_);
    sortByTime(messages_);
    sortByTime(events_);
    out.modes = std::move(modes_);
    out.messages = std::move(messages_);
    out.events = std::move(events_);
    if (leftOut_ > 0)
        out.notes.push_back(std::to_string(leftOut_) + " modes, messages and events beyond the first "
                            + std::to_string(HAPPENINGS_CAP) + " of each left out");
}

std::string cleanLogText(const std::string& text)
{
    std::string clean;
    clean.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        // ESC [ parameters final-letter: a terminal colour or cursor code.
        if (text[i] == '\x1b' && i + 1 < text.size() && text[i + 1] == '[') {
            i += 2;
            while (i < text.size() && !(text[i] >= '@' && text[i] <= '~'))
                ++i;
            continue;
        }
        clean += text[i];
    }
    while (!clean.empty() && (clean.back() == ' ' || clean.back() == '\t' || clean.back() == '\r'
                              || clean.back() == '\n' || clean.back() == '\0'))
        clean.pop_back();
    return clean;
}

} // namespace flightreplay::readers
