#include "tools/common/progress.h"

#include <cstdio>
#include <utility>
#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define STDERR_FILENO 2
#else
#include <unistd.h>
#endif

namespace flightreplay::tools {

namespace {
constexpr int BAR_WIDTH = 30;
constexpr double BAR_REFRESH_SECONDS = 0.5;
constexpr double LINE_EVERY_SECONDS = 5.0;

double secondsBetween(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}
} // namespace

std::string progressStatus(int64_t done, int64_t total, int64_t bytes, double elapsedSeconds,
                           const ProgressUnits& units)
{
    char text[200];
    int length = std::snprintf(text, sizeof text, "%lld/%lld", static_cast<long long>(done),
                               static_cast<long long>(total));
    const auto room = [&] { return sizeof text - static_cast<size_t>(length); };
    if (!units.steps.empty())
        length += std::snprintf(text + length, room(), " %s", units.steps.c_str());
    if (bytes > 0)
        length += std::snprintf(text + length, room(), ", %.1f MB", static_cast<double>(bytes) / 1e6);
    if (!units.rate.empty() && elapsedSeconds > 0)
        length += std::snprintf(text + length, room(), ", %.1f %s", static_cast<double>(done) / elapsedSeconds,
                                units.rate.c_str());
    // Before a second has passed the estimate is mostly start-up noise.
    if (done > 0 && done < total && elapsedSeconds > 1.0) {
        const double left = elapsedSeconds * static_cast<double>(total - done) / static_cast<double>(done);
        std::snprintf(text + length, room(), ", %d:%02d left", static_cast<int>(left) / 60,
                      static_cast<int>(left) % 60);
    }
    return text;
}

Progress::Progress(const std::string& label, int64_t total, bool linesWhenPiped, ProgressUnits units)
    : label_(label), units_(std::move(units)), total_(total > 0 ? total : 1), terminal_(isatty(STDERR_FILENO) != 0),
      lines_(linesWhenPiped && !terminal_), started_(std::chrono::steady_clock::now()), shown_(started_)
{
    draw(true);
}

Progress::~Progress()
{
    if (terminal_)
        std::fputs("\n", stderr);
}

void Progress::advance(int64_t steps)
{
    done_ += steps;
    draw(false);
}

void Progress::setBytes(int64_t bytes)
{
    bytes_ = bytes;
    draw(false);
}

std::string Progress::status() const
{
    return progressStatus(done_, total_, bytes_, secondsBetween(started_, std::chrono::steady_clock::now()), units_);
}

void Progress::draw(bool force)
{
    const auto now = std::chrono::steady_clock::now();
    if (lines_) {
        if (!force && secondsBetween(shown_, now) >= LINE_EVERY_SECONDS) {
            shown_ = now;
            std::fprintf(stderr, "%s: %s\n", label_.c_str(), status().c_str());
            std::fflush(stderr);
        }
        return;
    }
    if (!terminal_)
        return;
    const int percent = static_cast<int>(done_ * 100 / total_);
    if (percent == shownPercent_ && secondsBetween(shown_, now) < BAR_REFRESH_SECONDS)
        return;
    shownPercent_ = percent;
    shown_ = now;
    char bar[BAR_WIDTH + 1];
    const int filled = percent * BAR_WIDTH / 100;
    for (int i = 0; i < BAR_WIDTH; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[BAR_WIDTH] = '\0';
    std::fprintf(stderr, "\r%s [%s] %3d%% %s   ", label_.c_str(), bar, percent, status().c_str());
    std::fflush(stderr);
}

} // namespace flightreplay::tools
