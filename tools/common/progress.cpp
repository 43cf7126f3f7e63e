#include "tools/common/progress.h"

#include <cstdio>
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
}

Progress::Progress(const std::string& label, int64_t total)
    : label_(label), total_(total > 0 ? total : 1), visible_(isatty(STDERR_FILENO) != 0)
{
    draw();
}

Progress::~Progress()
{
    if (visible_)
        std::fputs("\n", stderr);
}

void Progress::advance(int64_t steps)
{
    done_ += steps;
    draw();
}

void Progress::draw()
{
    if (!visible_)
        return;
    const int percent = static_cast<int>(done_ * 100 / total_);
    if (percent == shownPercent_)
        return;
    shownPercent_ = percent;
    char bar[BAR_WIDTH + 1];
    const int filled = percent * BAR_WIDTH / 100;
    for (int i = 0; i < BAR_WIDTH; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[BAR_WIDTH] = '\0';
    std::fprintf(stderr, "\r%s [%s] %3d%%", label_.c_str(), bar, percent);
    std::fflush(stderr);
}

} // namespace flightreplay::tools
