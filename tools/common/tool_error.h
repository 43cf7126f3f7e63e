#pragma once
// Bad input ends a companion tool: the message is one line naming the file
// and the reason, printed by the tool's main, and the exit status is 2.

#include <stdexcept>
#include <string>

namespace flightreplay::tools {

struct ToolError : std::runtime_error {
    explicit ToolError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace flightreplay::tools
