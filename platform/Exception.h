#pragma once
#include <stdexcept>
#include <string>

// The one error type of the platform layer: its message is what the user reads.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};
