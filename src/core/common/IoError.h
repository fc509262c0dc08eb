#pragma once
#include <stdexcept>
#include <string>

namespace rz {

// A failed file operation; what() carries the operation, the file and the
// system's error text.
class IoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The system's text for an errno value ("No such file or directory").
std::string systemErrorText(int err);

// Throws IoError with the text: <what> "<path>": <system's text for err>.
[[noreturn]] void throwIoError(const std::string& what, const std::string& path, int err);

} // namespace rz
