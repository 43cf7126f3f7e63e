#include "tools/common/tool_main.h"

#include <cstdio>
#include <exception>

namespace flightreplay::tools {

int runTool(const char* program, const char* usage, int argc, char** argv,
            const std::function<int(const std::vector<std::string>& args)>& body)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage, stdout);
            return 0;
        }
    }
    // ToolError is a std::exception: one handler gives every failure the
    // same line.
    try {
        return body(args);
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s\n", program, error.what());
        return 2;
    }
}

} // namespace flightreplay::tools
