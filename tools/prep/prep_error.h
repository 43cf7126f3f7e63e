#pragma once
// Bad input ends the tool: the message is one line naming the file and the
// reason, printed by main, and the exit status is 2.

#include <stdexcept>
#include <string>

struct PrepError : std::runtime_error {
    explicit PrepError(const std::string& message) : std::runtime_error(message) {}
};
