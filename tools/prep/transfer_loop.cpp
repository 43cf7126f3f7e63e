#include "tools/prep/transfer_loop.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include <curl/curl.h>

namespace flightreplay::prep {

namespace {

using Clock = std::chrono::steady_clock;

// A server's Retry-After beyond this is treated as this, so that one
// answer cannot hold the run for hours.
constexpr double LONGEST_RETRY_AFTER = 120.0;

// Bodies waiting for the consuming thread: beyond this the network takes
// no new request, so that a slow disk bounds memory instead of the count.
constexpr size_t MOST_QUEUED_ARRIVALS = 16;

// Longest sleep of the network thread, so that it sees stopFlag soon.
constexpr int LONGEST_POLL_MS = 100;

size_t appendBody(char* data, size_t size, size_t count, void* target)
{
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

bool isConnectionFailure(CURLcode code)
{
    return code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_COULDNT_RESOLVE_PROXY;
}

CURLM* asMulti(void* multi)
{
    return static_cast<CURLM*>(multi);
}

// What an answer means, and whether asking again could change it.
struct Verdict {
    Arrival arrival;
    bool retry = false;
};

Verdict judge(CURLcode code, long status, std::string& body)
{
    Verdict verdict;
    verdict.arrival.status = status;
    HttpResult& result = verdict.arrival.result;
    if (code != CURLE_OK) {
        result.failure = {FetchFailure::Kind::transfer, 0, curl_easy_strerror(code)};
        verdict.retry = true;
    } else if (status >= 200 && status < 300) {
        verdict.arrival.hasBody = true;
        result.bytes = std::move(body);
    } else if (status == 404 || status == 403) {
        result.outcome = HttpResult::Outcome::noData;
    } else {
        result.failure = {FetchFailure::Kind::httpStatus, status, ""};
        verdict.retry = status >= 500 || status == 429 || status == 408;
    }
    return verdict;
}

} // namespace

struct TransferLoop::Transfer {
    size_t index = 0;
    CURL* easy = nullptr;
    std::string body;
    int attempt = 0;
    Clock::time_point notBefore;
};

TransferLoop::TransferLoop(void* multi, const HttpOptions& options, const std::vector<std::string>& urls,
                           const std::atomic<bool>& cancelled, FetcherTally tally)
    : multi_(multi), options_(options), urls_(urls), cancelled_(cancelled), tally_(tally)
{
}

TransferLoop::~TransferLoop()
{
    dropActive();
}

bool TransferLoop::ended() const
{
    return HttpFetcher::stopFlag() || cancelled_ || abandoned_;
}

bool TransferLoop::allSettled() const
{
    return next_ == urls_.size() && waiting_.empty() && active_.empty();
}

void TransferLoop::run()
{
    try {
        while (!ended() && !allSettled()) {
            startDue();
            int running = 0;
            curl_multi_perform(asMulti(multi_), &running);
            // A freed slot is refilled at once; otherwise sleep until a
            // socket, a retry's time or the consuming thread wakes us.
            if (collectFinished() == 0)
                curl_multi_poll(asMulti(multi_), nullptr, 0, idleWaitMs(), nullptr);
        }
    } catch (...) {
        std::lock_guard<std::mutex> lock(mutex_);
        failure_ = std::current_exception();
    }
    dropActive();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
    }
    arrived_.notify_all();
}

void TransferLoop::startDue()
{
    const size_t slots = static_cast<size_t>(std::max(options_.inFlight, 1));
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (arrivals_.size() >= MOST_QUEUED_ARRIVALS)
            return;
    }
    const Clock::time_point now = Clock::now();
    while (active_.size() < slots) {
        const auto due = std::find_if(waiting_.begin(), waiting_.end(),
                                      [&](const auto& transfer) { return transfer->notBefore <= now; });
        if (due != waiting_.end()) {
            std::unique_ptr<Transfer> transfer = std::move(*due);
            waiting_.erase(due);
            start(std::move(transfer));
        } else if (next_ < urls_.size()) {
            auto transfer = std::make_unique<Transfer>();
            transfer->index = next_++;
            start(std::move(transfer));
        } else {
            break;
        }
    }
}

void TransferLoop::start(std::unique_ptr<Transfer> transfer)
{
    transfer->body.clear();
    CURL* easy = curl_easy_init();
    if (!easy)
        throw tools::ToolError("cannot start libcurl");
    transfer->easy = easy;
    const std::string agent = userAgent();
    curl_easy_setopt(easy, CURLOPT_URL, urls_[transfer->index].c_str());
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
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer->body);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, transfer.get());
    curl_multi_add_handle(asMulti(multi_), easy);
    active_.push_back(std::move(transfer));
}

int TransferLoop::collectFinished()
{
    int finished = 0;
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(asMulti(multi_), &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        Transfer* raw = nullptr;
        curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &raw);
        const auto owner = std::find_if(active_.begin(), active_.end(),
                                        [&](const auto& transfer) { return transfer.get() == raw; });
        std::unique_ptr<Transfer> transfer = std::move(*owner);
        active_.erase(owner);
        const CURLcode code = message->data.result;
        long status = 0;
        curl_easy_getinfo(transfer->easy, CURLINFO_RESPONSE_CODE, &status);
        curl_off_t retryAfter = -1;
        curl_easy_getinfo(transfer->easy, CURLINFO_RETRY_AFTER, &retryAfter);
        curl_multi_remove_handle(asMulti(multi_), transfer->easy);
        curl_easy_cleanup(transfer->easy);
        transfer->easy = nullptr;
        settle(std::move(transfer), code, status, static_cast<int64_t>(retryAfter));
        ++finished;
    }
    return finished;
}

void TransferLoop::settle(std::unique_ptr<Transfer> transfer, int code, long status, int64_t retryAfter)
{
    const std::string host = hostOf(urls_[transfer->index]);
    std::vector<std::string>& contacted = tally_.contactedHosts;
    const bool knownHost = std::find(contacted.begin(), contacted.end(), host) != contacted.end();
    if (status > 0) {
        ++tally_.requests;
        if (!knownHost)
            contacted.push_back(host);
    }
    tally_.bytes += static_cast<int64_t>(transfer->body.size());

    const auto curlCode = static_cast<CURLcode>(code);
    Verdict verdict = judge(curlCode, status, transfer->body);
    if (verdict.retry && transfer->attempt + 1 < options_.attempts && !ended()) {
        double pause = options_.backoffSeconds * std::pow(2.0, transfer->attempt);
        if (retryAfter >= 0)
            pause = std::min(static_cast<double>(retryAfter), LONGEST_RETRY_AFTER);
        ++transfer->attempt;
        transfer->notBefore = Clock::now() + std::chrono::milliseconds(static_cast<long long>(pause * 1000.0));
        waiting_.push_back(std::move(transfer));
        return;
    }
    if (isConnectionFailure(curlCode) && status == 0 && !knownHost)
        throw NoConnection(host + ": cannot connect: " + verdict.arrival.result.failure.detail);
    verdict.arrival.index = transfer->index;
    hand(std::move(verdict.arrival));
}

void TransferLoop::hand(Arrival arrival)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        arrivals_.push_back(std::move(arrival));
    }
    arrived_.notify_one();
}

bool TransferLoop::takeNext(Arrival& arrival)
{
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_.wait(lock, [&] { return !arrivals_.empty() || finished_; });
    if (arrivals_.empty() || failure_ || ended())
        return false;
    const bool wasFull = arrivals_.size() >= MOST_QUEUED_ARRIVALS;
    arrival = std::move(arrivals_.front());
    arrivals_.pop_front();
    lock.unlock();
    if (wasFull)
        curl_multi_wakeup(asMulti(multi_));
    return true;
}

void TransferLoop::abandon()
{
    abandoned_ = true;
    curl_multi_wakeup(asMulti(multi_));
}

void TransferLoop::rethrowFailure()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (failure_)
        std::rethrow_exception(failure_);
}

int TransferLoop::idleWaitMs() const
{
    if (!active_.empty() || waiting_.empty())
        return LONGEST_POLL_MS;
    Clock::time_point first = waiting_.front()->notBefore;
    for (const auto& transfer : waiting_)
        first = std::min(first, transfer->notBefore);
    const auto untilDue = std::chrono::duration_cast<std::chrono::milliseconds>(first - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(untilDue, 0, LONGEST_POLL_MS));
}

void TransferLoop::dropActive()
{
    for (auto& transfer : active_) {
        curl_multi_remove_handle(asMulti(multi_), transfer->easy);
        curl_easy_cleanup(transfer->easy);
    }
    active_.clear();
}

} // namespace flightreplay::prep
