#include "online/OnlineFiles.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "database/DrawingDatabase.h"

namespace rz {

namespace fs = std::filesystem;

void replaceFileAtomically(const std::string& path, const std::string& content) {
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            throw IoError("Cannot create \"" + temp + "\": " + systemErrorText(errno));
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.flush();
        if (!out) {
            const int err = errno;
            out.close();
            std::remove(temp.c_str());
            throw IoError("Cannot write \"" + temp + "\": " + systemErrorText(err));
        }
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) {
        std::remove(temp.c_str());
        throw IoError("Cannot replace \"" + path + "\": " + ec.message());
    }
}

std::optional<std::int64_t> fileModifiedSeconds(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return std::nullopt;
    const fs::file_time_type t = fs::last_write_time(path, ec);
    if (ec)
        return std::nullopt;
    const auto sys = std::chrono::file_clock::to_sys(t);
    return std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count();
}

std::string readTextFile(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        throw IoError("Cannot open \"" + path + "\": " + systemErrorText(fs::exists(path, ec) ? EISDIR : ENOENT));
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw IoError("Cannot open \"" + path + "\": " + systemErrorText(errno));
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw IoError("Cannot read \"" + path + "\": " + systemErrorText(errno));
    return s;
}

} // namespace rz
