#pragma once
// A child program fed through its standard input: the one place that knows
// popen on POSIX systems and _popen on Windows.

#include <cstddef>
#include <cstdio>
#include <string>

namespace flightreplay::video {

// Quotes one argument for the system's command interpreter (sh or cmd).
std::string shellQuote(const std::string& argument);

// Runs a command with its output discarded; true when it exits with status 0.
bool commandSucceeds(const std::string& command);

// Keeps a child that ends early from killing this process with SIGPIPE:
// writes to it fail with an error instead. No effect where there is no SIGPIPE.
void ignoreBrokenPipes();

class WritePipe {
public:
    // Starts command (a line for the command interpreter) with its standard
    // input connected to this pipe in binary mode; throws ToolError.
    explicit WritePipe(const std::string& command);
    // Closes the pipe and waits for the child when close() was not called.
    ~WritePipe();
    WritePipe(const WritePipe&) = delete;
    WritePipe& operator=(const WritePipe&) = delete;

    // Writes bytes in order; false once the child has stopped reading.
    bool write(const void* data, std::size_t bytes);
    // Ends the child's input and waits for it; its exit status, -1 when it
    // did not exit normally (killed by a signal).
    int close();

private:
    std::FILE* pipe_;
};

} // namespace flightreplay::video
