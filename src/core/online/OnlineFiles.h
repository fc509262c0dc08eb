#pragma once
// File helpers of the online submission.
#include <cstdint>
#include <optional>
#include <string>

namespace rz {

// The modification time of a regular file in seconds since 1970-01-01 UTC;
// nullopt when there is no such file.
std::optional<std::int64_t> fileModifiedSeconds(const std::string& path);

} // namespace rz
