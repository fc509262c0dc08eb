#pragma once
// Shared by the file layer's common part (FileIo.cpp) and its system part
// (FileIoPosix.cpp or FileIoWindows.cpp, chosen by the build).
#include <cstdint>
#include <string>

namespace rz {

namespace detail {
[[noreturn]] void tooLarge(const std::string& path, std::int64_t maxSize);
[[noreturn]] void notRegular(const std::string& what, const std::string& path);
// The folder holding `path`; "." for a bare name.
std::string folderOf(const std::string& path);
} // namespace detail

// This process's id, for names of temporary files.
long currentProcessId();

} // namespace rz
