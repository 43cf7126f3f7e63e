#include "tools/prep/http_fetcher.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <deque>
#include <memory>
#include <mutex>

#include <curl/curl.h>

#include "tools/common/tool_error.h"

#ifndef FLIGHTREPLAY_VERSION
#define FLIGHTREPLAY_VERSION "0"
#endif

namespace flightreplay::prep {

namespace {

using Clock = std::chrono::steady_clock;

// A server's Retry-After beyond this is treated as this, so that one
// answer cannot hold the run for hours.
constexpr double LONGEST_RETRY_AFTER = 120.0;

size_t appendBody(char* data, size_t size, size_t count, void* target)
{
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

bool isConnectionFailure(CURLcode code)
{
    return code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_COULDNT_RESOLVE_PROXY;
}

} // namespace

struct HttpFetcher::Transfer {
    size_t index = 0;
    CURL* easy = nullptr;
    std::string body;
    int attempt = 0;
    Clock::time_point notBefore;
};

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

void HttpFetcher::start(Transfer& transfer)
{
    transfer.body.clear();
    CURL* easy = curl_easy_init();
    if (!easy)
        throw tools::ToolError("cannot start libcurl");
    transfer.easy = easy;
    const std::string agent = userAgent();
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    const auto timeoutMs = static_cast<long>(options_.timeoutSeconds * 1000.0);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, timeoutMs);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, std::min(timeoutMs, 15000L));
    if (options_.headOnly)
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer.body);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &transfer);
    curl_multi_add_handle(multi_, easy);
}

void HttpFetcher::fetchAll(const std::vector<std::string>& urls,
                           const std::function<bool(size_t, const std::string&)>& accept,
                           const std::function<void(size_t, HttpResult&)>& done)
{
    const size_t slots = static_cast<size_t>(std::max(options_.inFlight, 1));
    std::vector<std::unique_ptr<Transfer>> active;
    std::deque<std::unique_ptr<Transfer>> waiting; // retries, by time due
    size_t next = 0;

    const auto finish = [&](Transfer& transfer) {
        curl_multi_remove_handle(multi_, transfer.easy);
        curl_easy_cleanup(transfer.easy);
        transfer.easy = nullptr;
    };
    const auto dropAll = [&] {
        for (auto& transfer : active)
            finish(*transfer);
        active.clear();
    };

    const auto refill = [&] {
        const Clock::time_point now = Clock::now();
        while (active.size() < slots) {
            std::unique_ptr<Transfer> transfer;
            auto due = std::find_if(waiting.begin(), waiting.end(), [&](const auto& t) { return t->notBefore <= now; });
            if (due != waiting.end()) {
                transfer = std::move(*due);
                waiting.erase(due);
            } else if (next < urls.size()) {
                transfer = std::make_unique<Transfer>();
                transfer->index = next++;
            } else {
                break;
            }
            start(*transfer);
            curl_easy_setopt(transfer->easy, CURLOPT_URL, urls[transfer->index].c_str());
            active.push_back(std::move(transfer));
        }
        int running = 0;
        curl_multi_perform(multi_, &running);
    };

    // What arrived is checked and handed on one transfer at a time, with
    // freed slots refilled in between, so that the network never waits for
    // decoding.
    struct Arrived {
        size_t index;
        long status;
        bool isBody;
        HttpResult result;
    };
    std::deque<Arrived> arrived;
    const auto harvest = [&] {
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            Transfer* raw = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &raw);
            const auto owner = std::find_if(active.begin(), active.end(), [&](const auto& t) { return t.get() == raw; });
            std::unique_ptr<Transfer> transfer = std::move(*owner);
            active.erase(owner);
            Transfer& t = *transfer;
            const CURLcode code = message->data.result;
            long status = 0;
            curl_easy_getinfo(t.easy, CURLINFO_RESPONSE_CODE, &status);
            curl_off_t retryAfter = -1;
            curl_easy_getinfo(t.easy, CURLINFO_RETRY_AFTER, &retryAfter);
            const std::string host = hostOf(urls[t.index]);
            finish(t);
            if (status > 0) {
                ++requests_;
                if (std::find(contactedHosts_.begin(), contactedHosts_.end(), host) == contactedHosts_.end())
                    contactedHosts_.push_back(host);
            }
            bytes_ += static_cast<int64_t>(t.body.size());

            Arrived item{t.index, status, false, HttpResult{}};
            bool retry = false;
            if (code != CURLE_OK) {
                item.result.error = curl_easy_strerror(code);
                retry = true;
            } else if (status >= 200 && status < 300) {
                item.isBody = true;
                item.result.bytes = std::move(t.body);
            } else if (status == 404 || status == 403) {
                item.result.outcome = HttpResult::Outcome::noData;
            } else {
                item.result.error = "HTTP " + std::to_string(status);
                retry = status >= 500 || status == 429 || status == 408;
            }

            if (retry && t.attempt + 1 < options_.attempts && !stopFlag()) {
                double pause = options_.backoffSeconds * std::pow(2.0, t.attempt);
                if (retryAfter >= 0)
                    pause = std::min(static_cast<double>(retryAfter), LONGEST_RETRY_AFTER);
                ++t.attempt;
                t.notBefore = Clock::now() + std::chrono::milliseconds(static_cast<long long>(pause * 1000.0));
                waiting.push_back(std::move(transfer));
                continue;
            }
            if (code != CURLE_OK && isConnectionFailure(code)
                && std::find(contactedHosts_.begin(), contactedHosts_.end(), host) == contactedHosts_.end()) {
                dropAll();
                throw NoConnection(host + ": cannot connect: " + item.result.error);
            }
            arrived.push_back(std::move(item));
        }
    };

    while (next < urls.size() || !waiting.empty() || !active.empty() || !arrived.empty()) {
        if (stopFlag()) {
            dropAll();
            return;
        }
        refill();
        harvest();
        refill();
        if (!arrived.empty()) {
            Arrived item = std::move(arrived.front());
            arrived.pop_front();
            if (item.isBody) {
                if (accept(item.index, item.result.bytes)) {
                    item.result.outcome = HttpResult::Outcome::data;
                } else {
                    item.result.bytes.clear();
                    item.result.error = "HTTP " + std::to_string(item.status) + " with a body that is no valid tile";
                }
            }
            done(item.index, item.result);
            continue;
        }

        int waitMs = 100;
        if (active.empty() && !waiting.empty()) {
            Clock::time_point first = waiting.front()->notBefore;
            for (const auto& t : waiting)
                first = std::min(first, t->notBefore);
            waitMs = static_cast<int>(std::clamp<long long>(
                std::chrono::duration_cast<std::chrono::milliseconds>(first - Clock::now()).count(), 0, 100));
        }
        curl_multi_poll(multi_, nullptr, 0, waitMs, nullptr);
    }
}

} // namespace flightreplay::prep
