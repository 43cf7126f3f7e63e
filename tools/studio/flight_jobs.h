#pragma once
// Work on a flight that may take seconds on a big log and so never holds up
// a frame: its review and the reading of its own fields, each on a worker
// thread of its own, asked for by the frame loop and picked up by it once
// done.

#include <future>
#include <map>
#include <mutex>
#include <string>

#include "tools/flight/flight.h"
#include "tools/review/flight_review.h"

namespace flightreplay::studio {

class FlightJobs {
public:
    // The flight must outlive the jobs; destroying them waits for the work
    // still running (a read cannot be cut short).
    explicit FlightJobs(const flight::Flight& flight) : flight_(flight) {}
    FlightJobs(const FlightJobs&) = delete;
    FlightJobs& operator=(const FlightJobs&) = delete;

    // Starts the review unless started.
    void startReview();
    // The review once done; nullptr before (or when never started).
    const review::Review* review();

    // The series of the field of that name (field_catalogue.h) once read,
    // starting its read on first ask; nullptr while it is read. A name the
    // flight lacks gives an empty series at once.
    const flight::Series* field(const std::string& name);

    // Blocks until everything started so far is done: the pictures and
    // videos show what the panels show once the work is in.
    void wait();

private:
    const flight::Flight& flight_;
    std::mutex mutex_;
    std::shared_future<review::Review> review_;
    std::map<std::string, std::shared_future<flight::Series>> fields_;
};

} // namespace flightreplay::studio
