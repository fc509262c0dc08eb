#pragma once
#include <string>

#include "common/Failure.h"

#include "common/ProgramTexts.h"

namespace rz {

// A failed file operation; what() carries the operation, the file and the
// system's error text, in the current language.
class IoError : public Failure {
public:
    explicit IoError(const std::string& text) : Failure(text, FailureKind::File) {}
};

// The sentence for a failed operation on a file: the usual operations
// ("Cannot open", "Cannot read", "Cannot write", "Cannot create", "Cannot
// lock", "Cannot resolve") read as the
// program's own sentence in the current language; any other keeps the form
// <what> "<path>": <why>.
std::string ioErrorText(const std::string& what, const std::string& path, const std::string& why);

// Throws IoError with the text: <what> "<path>": <text for err>. The usual
// operations ("Cannot open", "Cannot read", "Cannot write") read as the
// program's own sentence in the current language.
[[noreturn]] void throwIoError(const std::string& what, const std::string& path, int err);

} // namespace rz
