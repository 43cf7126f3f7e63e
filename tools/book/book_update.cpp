#include "tools/book/book_update.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "tools/book/book_entry.h"
#include "tools/book/book_paths.h"
#include "tools/book/book_store.h"
#include "tools/book/folder_walk.h"
#include "tools/common/late_progress.h"
#include "tools/common/tool_error.h"

namespace flightreplay::book {

namespace fs = std::filesystem;

namespace {

// Entries per transaction, and the longest a finished entry waits for its
// commit: a kill loses little work, and commits stay few.
constexpr size_t BATCH_FILES = 64;
constexpr std::chrono::milliseconds BATCH_WAIT(1000);
// Entries read ahead of the writer, at most: bounds the memory held.
constexpr size_t MAX_PENDING = 4 * BATCH_FILES;

struct Job {
    const FoundFile* file;
    const FileFacts* known; // set when only the content hash can tell
};

enum class OutcomeKind { entry, touched, unreadable, vanished };

struct Outcome {
    const Job* job;
    OutcomeKind kind;
    BookEntry entry; // of a touched file, its facts alone
    std::string message;
};

Outcome work(const Job& job)
{
    Outcome outcome{&job, OutcomeKind::entry, {}, {}};
    const std::string& path = job.file->path;
    try {
        FileFacts facts = fileFacts(path);
        facts.hash = contentHash(path);
        if (job.known && facts.hash == job.known->hash) {
            outcome.kind = OutcomeKind::touched;
            outcome.entry.file = facts;
            return outcome;
        }
        outcome.entry = readBookEntry(path, facts);
    } catch (const std::exception& failure) {
        std::error_code error;
        outcome.kind = fs::exists(path, error) ? OutcomeKind::unreadable : OutcomeKind::vanished;
        outcome.message = failure.what();
    }
    return outcome;
}

// Workers take jobs in order and hand their outcomes to the one thread
// that writes the book.
class ReadingPool {
public:
    ReadingPool(const std::vector<Job>& jobs, unsigned threads) : jobs_(jobs)
    {
        for (unsigned i = 0; i < threads; ++i)
            workers_.emplace_back([this] { run(); });
    }
    ~ReadingPool()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        room_.notify_all();
        for (std::thread& worker : workers_)
            worker.join();
    }

    // The outcomes finished since the last call; waits for one at most `wait`.
    std::vector<Outcome> take(std::chrono::milliseconds wait)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait_for(lock, wait, [this] { return !pending_.empty(); });
        std::vector<Outcome> out(std::make_move_iterator(pending_.begin()), std::make_move_iterator(pending_.end()));
        pending_.clear();
        room_.notify_all();
        return out;
    }

private:
    void run()
    {
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                room_.wait(lock, [this] { return stopping_ || pending_.size() < MAX_PENDING; });
                if (stopping_)
                    return;
            }
            const size_t index = next_++;
            if (index >= jobs_.size())
                return;
            Outcome outcome = work(jobs_[index]);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                pending_.push_back(std::move(outcome));
            }
            ready_.notify_one();
        }
    }

    const std::vector<Job>& jobs_;
    std::atomic<size_t> next_{0};
    std::mutex mutex_;
    std::condition_variable ready_, room_;
    std::deque<Outcome> pending_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

void warn(const std::string& line)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", line.c_str());
}

void record(BookWriter& writer, const Outcome& outcome, UpdateCounts& counts)
{
    const FoundFile& file = *outcome.job->file;
    switch (outcome.kind) {
    case OutcomeKind::entry:
        writer.put(file.key, outcome.entry);
        ++(outcome.entry.flights.empty() ? counts.skipped : counts.read);
        break;
    case OutcomeKind::touched:
        writer.touch(file.key, outcome.entry.file);
        ++counts.unchanged;
        break;
    case OutcomeKind::vanished:
        warn(file.path + ": gone during the run");
        writer.remove(file.key);
        ++counts.gone;
        break;
    case OutcomeKind::unreadable:
        warn(file.path + ": cannot be read (" + outcome.message + ")");
        break;
    }
}

// Keys of the book's files under the paths given that the walk did not
// find and that are truly gone (not merely in a folder that could not be
// read); nothing under a path that is missing as a whole.
std::vector<std::string> goneKeys(const std::map<std::string, FileFacts>& known, const std::set<std::string>& found,
                                  const std::vector<std::string>& paths, const std::string& folder)
{
    std::vector<std::string> roots;
    for (const std::string& path : paths) {
        std::error_code error;
        if (fs::exists(path, error))
            roots.push_back(bookKey(path, folder));
    }
    std::vector<std::string> gone;
    for (const auto& [key, facts] : known) {
        if (found.count(key))
            continue;
        bool under = false;
        for (const std::string& root : roots)
            under = under || keyIsUnder(key, root);
        std::error_code error;
        if (under && !fs::exists(pathOfKey(key, folder), error) && !error)
            gone.push_back(key);
    }
    return gone;
}

} // namespace

std::vector<std::string> bookCompanionPaths(const std::string& bookPath)
{
    std::vector<std::string> paths;
    for (const std::string& base : {bookPath, bookPath + ".part"})
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            paths.push_back(base + suffix);
    return paths;
}

std::string closingLine(const UpdateCounts& counts)
{
    return std::to_string(counts.read) + " read, " + std::to_string(counts.unchanged) + " unchanged, " +
           std::to_string(counts.gone) + " gone, " + std::to_string(counts.skipped) + " skipped";
}

UpdateCounts updateBook(Database& db, const std::string& bookPath, const std::vector<std::string>& paths, unsigned jobs)
{
    const std::string folder = bookFolder(bookPath);
    std::set<std::string> ownFiles;
    for (const std::string& own : bookCompanionPaths(bookPath))
        ownFiles.insert(bookKey(own, folder));
    const std::vector<FoundFile> files = findFiles(paths, folder, ownFiles, warn);
    const std::map<std::string, FileFacts> known = knownFiles(db);

    UpdateCounts counts;
    std::vector<Job> work;
    std::set<std::string> found;
    for (const FoundFile& file : files) {
        found.insert(file.key);
        const auto was = known.find(file.key);
        if (was == known.end()) {
            work.push_back({&file, nullptr});
            continue;
        }
        FileFacts now;
        try {
            now = fileFacts(file.path);
        } catch (const tools::ToolError&) {
            work.push_back({&file, nullptr}); // the worker finds out what became of it
            continue;
        }
        if (now.size == was->second.size && now.mtimeNs == was->second.mtimeNs)
            ++counts.unchanged;
        else
            work.push_back({&file, now.size == was->second.size ? &was->second : nullptr});
    }

    BookWriter writer(db);
    const std::vector<std::string> gone = goneKeys(known, found, paths, folder);
    if (!gone.empty()) {
        Transaction removal(db);
        for (const std::string& key : gone)
            writer.remove(key);
        removal.commit();
        counts.gone += gone.size();
    }
    if (work.empty())
        return counts;

    const unsigned threads = jobs > 0 ? jobs : std::max(1u, std::thread::hardware_concurrency());
    tools::LateProgress progress("reading logs", static_cast<int64_t>(work.size()), {"files", "files/s"});
    ReadingPool pool(work, std::min<unsigned>(threads, static_cast<unsigned>(work.size())));
    std::vector<Outcome> batch;
    size_t done = 0;
    auto lastCommit = std::chrono::steady_clock::now();
    while (done < work.size()) {
        for (Outcome& outcome : pool.take(BATCH_WAIT)) {
            batch.push_back(std::move(outcome));
            ++done;
            progress.advance();
        }
        const auto now = std::chrono::steady_clock::now();
        if (batch.empty() || (batch.size() < BATCH_FILES && now - lastCommit < BATCH_WAIT && done < work.size()))
            continue;
        Transaction transaction(db);
        for (const Outcome& outcome : batch)
            record(writer, outcome, counts);
        transaction.commit();
        batch.clear();
        lastCommit = now;
    }
    return counts;
}

} // namespace flightreplay::book
