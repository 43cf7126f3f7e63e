#include "tools/prep/http_fetcher.h"

#include <algorithm>
#include <mutex>
#include <thread>

#include <curl/curl.h>

#include "tools/common/tool_error.h"
#include "tools/prep/transfer_loop.h"

#ifndef FLIGHTREPLAY_VERSION
#define FLIGHTREPLAY_VERSION "0"
#endif

namespace flightreplay::prep {

namespace {

// A 2xx body is data only once accept has seen it; a refused one is a
// failure, which no retry would mend.
void checkBody(Arrival& arrival, const std::function<bool(size_t, const std::string&)>& accept)
{
    HttpResult& result = arrival.result;
    if (accept(arrival.index, result.bytes)) {
        result.outcome = HttpResult::Outcome::data;
        return;
    }
    result.bytes.clear();
    result.failure = {FetchFailure::Kind::notATile, arrival.status, ""};
}

} // namespace

std::string userAgent()
{
    return std::string("flightreplay/") + FLIGHTREPLAY_VERSION;
}

std::string hostOf(const std::string& url)
{
    const size_t scheme = url.find("://");
    const size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    const size_t end = url.find('/', start);
    return url.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::atomic<bool>& HttpFetcher::stopFlag()
{
    static std::atomic<bool> flag{false};
    return flag;
}

HttpFetcher::HttpFetcher(HttpOptions options) : options_(options)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    multi_ = curl_multi_init();
    if (!multi_)
        throw tools::ToolError("cannot start libcurl");
    curl_multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS, 4L);
    curl_multi_setopt(multi_, CURLMOPT_MAX_TOTAL_CONNECTIONS, static_cast<long>(std::max(options_.inFlight, 1)));
}

HttpFetcher::~HttpFetcher()
{
    curl_multi_cleanup(multi_);
}

void HttpFetcher::cancel()
{
    cancelled_ = true;
    curl_multi_wakeup(multi_);
}

void HttpFetcher::fetchAll(const std::vector<std::string>& urls,
                           const std::function<bool(size_t, const std::string&)>& accept,
                           const std::function<void(size_t, HttpResult&)>& done)
{
    TransferLoop loop(multi_, options_, urls, cancelled_, FetcherTally{requests_, bytes_, contactedHosts_});
    std::thread network([&loop] { loop.run(); });
    try {
        Arrival arrival;
        while (loop.takeNext(arrival)) {
            if (arrival.hasBody)
                checkBody(arrival, accept);
            done(arrival.index, arrival.result);
        }
    } catch (...) {
        loop.abandon();
        network.join();
        throw;
    }
    network.join();
    loop.rethrowFailure();
}

} // namespace flightreplay::prep
