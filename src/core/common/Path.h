#pragma once
// The program keeps every path as a UTF-8 string. These turn such a string
// into a std::filesystem::path and back, so that on Windows every call goes
// through the wide-character API (a path built from a plain std::string
// there would be read in the ANSI code page and lose every character outside
// it). On POSIX systems the bytes stay as they are.
#include <filesystem>
#include <string>
#include <string_view>

namespace rz {

inline std::filesystem::path toPath(std::string_view utf8) {
#if defined(_WIN32)
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
#else
    return std::filesystem::path(std::string(utf8));
#endif
}

inline std::string fromPath(const std::filesystem::path& p) {
#if defined(_WIN32)
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
#else
    return p.string();
#endif
}

} // namespace rz
