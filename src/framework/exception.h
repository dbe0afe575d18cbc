#pragma once
#include <stdexcept>
#include <string>

namespace fw {

// The framework's error: it ends the current handler and reaches the application's error
// report, which shows its text in a modal box.
class Exception : public std::runtime_error {
  public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A resource (an icon picture) that cannot be read or made into a system object.
class EReadError : public Exception {
  public:
    using Exception::Exception;
};

} // namespace fw
