#include "tools/studio/flight_jobs.h"

#include <chrono>
#include <exception>

#include "tools/flight/field_catalogue.h"

namespace flightreplay::studio {

namespace {

template <class T>
const T* ifReady(const std::shared_future<T>& future)
{
    if (!future.valid() || future.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return nullptr;
    return &future.get();
}

} // namespace

void FlightJobs::startReview()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (review_.valid())
        return;
    const flight::Flight* flight = &flight_;
    review_ = std::async(std::launch::async, [flight] {
                  try {
                      return review::reviewFlight(*flight);
                  } catch (const std::exception& error) {
                      // Memory ran out on a huge log: the panel says so
                      // instead of the program ending.
                      return review::Review{{}, {std::string("the review could not finish: ") + error.what()}};
                  }
              }).share();
}

const review::Review* FlightJobs::review()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return ifReady(review_);
}

const flight::Series* FlightJobs::field(const std::string& name)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = fields_.find(name);
    if (found == fields_.end()) {
        std::shared_future<flight::Series> read;
        if (flight::hasField(flight_, name)) {
            const flight::Flight* flight = &flight_;
            read = std::async(std::launch::async, [flight, name] {
                       try {
                           return flight::readField(*flight, name);
                       } catch (const std::exception&) {
                           return flight::Series{};
                       }
                   }).share();
        } else {
            std::promise<flight::Series> none;
            none.set_value({});
            read = none.get_future().share();
        }
        found = fields_.emplace(name, std::move(read)).first;
    }
    return ifReady(found->second);
}

void FlightJobs::wait()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (review_.valid())
        review_.wait();
    for (auto& entry : fields_)
        entry.second.wait();
}

} // namespace flightreplay::studio
