#pragma once
// Downloads over HTTP(S) with libcurl as a good citizen of tile services: a
// User-Agent naming the program, at most four requests in flight and four
// connections per host, timeouts, and retries with back-off on time-outs,
// broken or short transfers, 5xx and 429 (honouring Retry-After).

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/common/tool_error.h"
#include "tools/prep/fetch_failure.h"

namespace flightreplay::prep {

// No server could be reached at all: the run stops (exit status 2).
struct NoConnection : tools::ToolError {
    using tools::ToolError::ToolError;
};

struct HttpOptions {
    double timeoutSeconds = 30.0; // for a whole transfer
    int attempts = 4;             // tries per URL before it counts as failed
    double backoffSeconds = 0.25; // first pause before a retry, doubled each time
    int inFlight = 4;             // parallel requests
    bool headOnly = false;        // HEAD requests: whether each URL exists
};

struct HttpResult {
    enum class Outcome { data, noData, failed };
    Outcome outcome = Outcome::failed;
    std::string bytes;    // the body, for data
    FetchFailure failure; // why, for failed
};

class HttpFetcher {
public:
    explicit HttpFetcher(HttpOptions options);
    ~HttpFetcher();
    HttpFetcher(const HttpFetcher&) = delete;
    HttpFetcher& operator=(const HttpFetcher&) = delete;

    // Fetches every URL. A 2xx body passes to accept (index, bytes), which
    // says whether it is what was asked for (an HTML page is no tile); a
    // body refused is a failure without retry. 404, and 403 as S3 answers
    // for a missing object, are noData. done(index, result) is called once
    // per URL, in completion order, on the calling thread, while a thread
    // of the fetcher's own keeps the requests in flight; results are not
    // kept, so memory does not grow with the number of URLs. Throws
    // NoConnection ("HOST: cannot connect: reason") when the first contact
    // with a host fails after every retry, and what accept or done throws.
    void fetchAll(const std::vector<std::string>& urls,
                  const std::function<bool(size_t, const std::string&)>& accept,
                  const std::function<void(size_t, HttpResult&)>& done);

    // Requests that reached a server and bytes received so far; safe to
    // read from any thread.
    int64_t requests() const { return requests_; }
    int64_t bytes() const { return bytes_; }

    // From any thread: a fetchAll under way returns soon, as on stopFlag,
    // and every later one at once.
    void cancel();

    // Set (e.g. from a signal handler) to stop: transfers under way are
    // dropped and fetchAll returns without calling done for them.
    static std::atomic<bool>& stopFlag();

private:
    HttpOptions options_;
    void* multi_;
    std::atomic<int64_t> requests_{0};
    std::atomic<int64_t> bytes_{0};
    std::atomic<bool> cancelled_{false};
    std::vector<std::string> contactedHosts_;
};

// "flightreplay/VERSION".
std::string userAgent();

// The host part of an http(s) URL, for messages.
std::string hostOf(const std::string& url);

} // namespace flightreplay::prep
