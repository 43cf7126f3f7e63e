#include "tools/video/record_progress.h"

#include <cmath>
#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace flightreplay::video {

namespace {

constexpr int BAR_WIDTH = 24;
constexpr double TERMINAL_INTERVAL_S = 0.2;
constexpr double PLAIN_INTERVAL_S = 5.0;

std::string clockText(double seconds)
{
    const long total = std::lround(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    return text;
}

} // namespace

std::string progressLine(int64_t done, int64_t total, double elapsedSeconds, bool forTerminal)
{
    const double fps = elapsedSeconds > 0 ? static_cast<double>(done) / elapsedSeconds : 0;
    const std::string left = fps > 0 ? clockText(static_cast<double>(total - done) / fps) : "?";
    char text[160];
    if (forTerminal) {
        char bar[BAR_WIDTH + 1];
        const int64_t filled = total > 0 ? done * BAR_WIDTH / total : 0;
        for (int i = 0; i < BAR_WIDTH; ++i)
            bar[i] = i < filled ? '#' : '.';
        bar[BAR_WIDTH] = '\0';
        std::snprintf(text, sizeof text, "recording [%s] %lld/%lld frames  %.1f fps  %s left", bar,
                      static_cast<long long>(done), static_cast<long long>(total), fps, left.c_str());
    } else {
        std::snprintf(text, sizeof text, "recording: %lld of %lld frames, %.1f fps, %s left",
                      static_cast<long long>(done), static_cast<long long>(total), fps, left.c_str());
    }
    return text;
}

RecordProgress::RecordProgress(int64_t totalFrames, std::FILE* out)
    : total_(totalFrames), out_(out), terminal_(isatty(fileno(out)) != 0)
{
}

RecordProgress::~RecordProgress()
{
    if (terminal_)
        std::fputs("\n", out_);
}

void RecordProgress::frameDone()
{
    ++done_;
    const Clock::time_point now = Clock::now();
    const double sinceShown = std::chrono::duration<double>(now - shown_).count();
    const bool last = done_ == total_;
    if (!last && sinceShown < (terminal_ ? TERMINAL_INTERVAL_S : PLAIN_INTERVAL_S))
        return;
    shown_ = now;
    const std::string line = progressLine(done_, total_, std::chrono::duration<double>(now - start_).count(), terminal_);
    // The trailing blanks wipe what a longer previous line left.
    if (terminal_)
        std::fprintf(out_, "\r%s   ", line.c_str());
    else
        std::fprintf(out_, "%s\n", line.c_str());
    std::fflush(out_);
}

} // namespace flightreplay::video
