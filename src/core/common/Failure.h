#pragma once
#include <stdexcept>
#include <string>

namespace rz {

// What kind of failure ended a command; the command line maps it to its exit
// code in one place, the window shows every kind in its message dialog.
enum class FailureKind {
    File,     // a file could not be read, written, locked or is not what it claims to be
    Refused,  // the input was understood and refused (a date after today, a number out of range)
    Network,  // the data server or the network failed
};

// The one error type of the program's commands: its text is the sentence the
// user reads, already in the user's language.
class Failure : public std::runtime_error {
public:
    explicit Failure(const std::string& text, FailureKind kind = FailureKind::Refused)
        : std::runtime_error(text), kind_(kind) {}
    FailureKind kind() const { return kind_; }

private:
    FailureKind kind_;
};

} // namespace rz
