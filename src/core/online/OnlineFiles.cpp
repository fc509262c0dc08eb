#include "online/OnlineFiles.h"
#include "common/Path.h"

#include <chrono>
#include <filesystem>

namespace rz {

namespace fs = std::filesystem;

std::optional<std::int64_t> fileModifiedSeconds(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(toPath(path), ec))
        return std::nullopt;
    const fs::file_time_type t = fs::last_write_time(toPath(path), ec);
    if (ec)
        return std::nullopt;
    const auto sys = std::chrono::file_clock::to_sys(t);
    return std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count();
}

} // namespace rz
