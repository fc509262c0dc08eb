#pragma once
// Shared by the fuzz targets: invariant checks that stop with a message, and
// a scratch folder for the files a target writes (in memory where possible).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace rz::fuzz {

[[noreturn]] inline void fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "invariant broken at %s:%d: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(cond)                                   \
    do {                                                   \
        if (!(cond))                                       \
            ::rz::fuzz::fail(#cond, __FILE__, __LINE__);   \
    } while (0)

// A folder of this process, removed at exit.
inline const std::filesystem::path& scratchFolder() {
    static const std::filesystem::path folder = [] {
        namespace fs = std::filesystem;
        fs::path base;
        if (const char* t = std::getenv("RZ_TEST_TMP"))
            base = t;
        else if (fs::is_directory("/dev/shm"))
            base = "/dev/shm"; // fsync costs nothing there
        else
            base = fs::temp_directory_path();
        std::random_device rd;
        fs::path p;
        do
            p = base / ("rz-fuzz-" + std::to_string(rd()));
        while (!fs::create_directories(p));
        static struct Remover {
            fs::path p;
            ~Remover() {
                std::error_code ec;
                fs::remove_all(p, ec);
            }
        } remover{p};
        return p;
    }();
    return folder;
}

inline std::string scratchFile(const std::string& name) { return (scratchFolder() / name).string(); }

// Plain write, past the program's own writer.
inline void putFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

inline std::string getFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace rz::fuzz
