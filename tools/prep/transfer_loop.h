#pragma once
// The network side of HttpFetcher::fetchAll, run on a thread of its own: it
// keeps the requests in flight on the fetcher's curl multi handle, schedules
// retries, and queues each URL once settled for the thread that checks and
// stores what came, so that the network never waits for the disk.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tools/prep/http_fetcher.h"

namespace flightreplay::prep {

// A URL the network is done with: a 2xx body still to be checked, or a
// final answer.
struct Arrival {
    size_t index = 0;
    long status = 0;      // the HTTP status; 0 when none came
    bool hasBody = false; // result.bytes awaits the caller's check
    HttpResult result;
};

// What the fetcher keeps across its batches of URLs.
struct FetcherTally {
    std::atomic<int64_t>& requests;
    std::atomic<int64_t>& bytes;
    std::vector<std::string>& contactedHosts; // touched by the network thread alone
};

class TransferLoop {
public:
    // multi is the fetcher's CURLM handle; cancelled is the fetcher's flag.
    TransferLoop(void* multi, const HttpOptions& options, const std::vector<std::string>& urls,
                 const std::atomic<bool>& cancelled, FetcherTally tally);
    ~TransferLoop();
    TransferLoop(const TransferLoop&) = delete;
    TransferLoop& operator=(const TransferLoop&) = delete;

    // The network thread's work. Returns when every URL has settled, on
    // stopFlag, cancel or abandon, or after an error kept for rethrowFailure.
    void run();

    // For the consuming thread: waits for the next arrival; false when no
    // more will be handed on (all settled, stopped, or the network failed).
    bool takeNext(Arrival& arrival);

    // From the consuming thread: run returns soon, dropping what is under way.
    void abandon();

    // Rethrows what ended run early (NoConnection, tools::ToolError).
    void rethrowFailure();

private:
    struct Transfer;

    bool ended() const;
    bool allSettled() const;
    void startDue();
    void start(std::unique_ptr<Transfer> transfer);
    int collectFinished();
    void settle(std::unique_ptr<Transfer> transfer, int code, long status, int64_t retryAfter);
    void hand(Arrival arrival);
    int idleWaitMs() const;
    void dropActive();

    void* multi_;
    const HttpOptions& options_;
    const std::vector<std::string>& urls_;
    const std::atomic<bool>& cancelled_;
    FetcherTally tally_;
    std::atomic<bool> abandoned_{false};

    // The network thread's own.
    size_t next_ = 0;
    std::vector<std::unique_ptr<Transfer>> active_;
    std::deque<std::unique_ptr<Transfer>> waiting_; // retries, each with its time due

    // Shared with the consuming thread.
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Arrival> arrivals_;
    bool finished_ = false;
    std::exception_ptr failure_;
};

} // namespace flightreplay::prep
