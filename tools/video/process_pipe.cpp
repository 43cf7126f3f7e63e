#include "tools/video/process_pipe.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "tools/common/tool_error.h"

#ifdef _WIN32
#define FLIGHTREPLAY_POPEN _popen
#define FLIGHTREPLAY_PCLOSE _pclose
#else
#include <sys/wait.h>
#define FLIGHTREPLAY_POPEN popen
#define FLIGHTREPLAY_PCLOSE pclose
#endif

namespace flightreplay::video {

std::string shellQuote(const std::string& argument)
{
#ifdef _WIN32
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
#else
    std::string quoted = "'";
    for (char c : argument) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
#endif
}

bool commandSucceeds(const std::string& command)
{
#ifdef _WIN32
    const std::string line = command + " >NUL 2>&1";
#else
    const std::string line = command + " >/dev/null 2>&1";
#endif
    return std::system(line.c_str()) == 0;
}

void ignoreBrokenPipes()
{
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

WritePipe::WritePipe(const std::string& command)
{
#ifdef _WIN32
    pipe_ = FLIGHTREPLAY_POPEN(command.c_str(), "wb");
#else
    pipe_ = FLIGHTREPLAY_POPEN(command.c_str(), "w");
#endif
    if (!pipe_)
        throw tools::ToolError("cannot start \"" + command + "\": " + std::strerror(errno));
}

WritePipe::~WritePipe()
{
    close();
}

bool WritePipe::write(const void* data, std::size_t bytes)
{
    return pipe_ && std::fwrite(data, 1, bytes, pipe_) == bytes;
}

int WritePipe::close()
{
    if (!pipe_)
        return -1;
    const int status = FLIGHTREPLAY_PCLOSE(pipe_);
    pipe_ = nullptr;
#ifdef _WIN32
    return status;
#else
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

} // namespace flightreplay::video
