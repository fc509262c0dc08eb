#include "common/ProgramArgs.h"

#include <filesystem>
#include <system_error>

#include "common/Path.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <cstdio>
#include <windows.h>
#include <shellapi.h>
#endif

namespace rz {

#if defined(_WIN32)
namespace {
std::string utf8FromWide(const wchar_t* w) {
    const int wlen = static_cast<int>(std::wcslen(w));
    if (wlen == 0)
        return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w, wlen, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, w, wlen, out.data(), n, nullptr, nullptr);
    return out;
}
} // namespace
#endif

ProgramArgs::ProgramArgs(int argc, char** argv) {
#if defined(_WIN32)
    int n = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &n);
    if (wide != nullptr) {
        for (int i = 0; i < n; ++i)
            args_.push_back(utf8FromWide(wide[i]));
        ::LocalFree(wide);
    }
    if (args_.empty())
#endif
        for (int i = 0; i < argc; ++i)
            args_.emplace_back(argv[i]);
    for (std::string& a : args_)
        pointers_.push_back(a.data());
    pointers_.push_back(nullptr);
}

void useBinaryStandardStreams() {
#if defined(_WIN32)
    std::fflush(stdout);
    std::fflush(stderr);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    ::SetConsoleOutputCP(CP_UTF8);
#endif
}

std::string programFolder() {
    std::error_code ec;
#if defined(_WIN32)
    std::wstring buffer(512, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        if (buffer.size() > 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    return fromPath(std::filesystem::path(buffer).parent_path());
#elif defined(__linux__)
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && !self.empty())
        return fromPath(self.parent_path());
    return {};
#else
    return {};
#endif
}

} // namespace rz
