#pragma once
// The one main of every companion program: usage and --help, one error
// style and the exit statuses.

#include <functional>
#include <string>
#include <vector>

namespace flightreplay::tools {

// Runs body on the command-line arguments after the program name and
// returns its status. With --help or -h among them, prints usage on
// standard output and returns 0 without running body. A ToolError or other
// std::exception out of body prints "PROGRAM: message" on standard error
// and returns 2.
int runTool(const char* program, const char* usage, int argc, char** argv,
            const std::function<int(const std::vector<std::string>& args)>& body);

} // namespace flightreplay::tools
