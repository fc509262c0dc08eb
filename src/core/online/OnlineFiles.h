#pragma once
// File helpers of the online submission.
#include <cstdint>
#include <optional>
#include <string>

namespace rz {

// Replaces `path` by `content` through a temporary file in the same folder
// that is renamed over it: a failure leaves the old file as it was. Throws
// IoError with the system's text.
void replaceFileAtomically(const std::string& path, const std::string& content);

// The modification time of a regular file in seconds since 1970-01-01 UTC;
// nullopt when there is no such file.
std::optional<std::int64_t> fileModifiedSeconds(const std::string& path);

// The whole content of a regular file. Throws IoError.
std::string readTextFile(const std::string& path);

} // namespace rz
