#include "common/FileIo.h"

#include "common/FileIoPlatform.h"
#include "common/Path.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>


namespace rz {
namespace fs = std::filesystem;

// ------------------------------------------------------------- fault hook

namespace fileio_test {
namespace {
Hook& hook() {
    static Hook h;
    return h;
}
} // namespace

const char* stepName(Step step) {
    switch (step) {
    case Step::Open: return "open";
    case Step::Read: return "read";
    case Step::Write: return "write";
    case Step::SyncFile: return "sync file";
    case Step::Close: return "close";
    case Step::SyncFolder: return "sync folder";
    case Step::Rename: return "rename";
    case Step::Lock: return "lock";
    }
    return "?";
}

void setHook(Hook h) { hook() = std::move(h); }

} // namespace fileio_test

namespace detail {
int injectedFault(fileio_test::Step step, const std::string& path) {
    const fileio_test::Hook& h = fileio_test::hook();
    return h ? h(step, path) : 0;
}
} // namespace detail

using fileio_test::Step;
using detail::injectedFault;

namespace {

std::string sizeLimitText(std::int64_t maxSize) {
    if (maxSize % (1024 * 1024) == 0)
        return std::to_string(maxSize / (1024 * 1024)) + " MB";
    return std::to_string(maxSize) + " bytes";
}

} // namespace

namespace detail {

[[noreturn]] void tooLarge(const std::string& path, std::int64_t maxSize) {
    throw IoError(txt(Txt::IoTooLarge, {path, sizeLimitText(maxSize)}));
}

[[noreturn]] void notRegular(const std::string& what, const std::string& path) {
    throw IoError(ioErrorText(what, path, txt(Txt::SysNotRegular)));
}

std::string folderOf(const std::string& path) {
    std::string dir = fromPath(toPath(path).parent_path());
    return dir.empty() ? std::string(".") : dir;
}

} // namespace detail

using detail::folderOf;
using detail::tooLarge;

// ------------------------------------------------------------ ReadOnlyFile

std::size_t ReadOnlyFile::readFully(void* buffer, std::size_t n) {
    std::size_t done = 0;
    auto* out = static_cast<unsigned char*>(buffer);
    while (done < n) {
        const std::size_t got = read(out + done, n - done);
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

std::string ReadOnlyFile::readRest() {
    std::string out;
    const std::int64_t expected = std::max<std::int64_t>(size_ - consumed_, 0);
    out.resize(static_cast<std::size_t>(expected));
    const std::size_t have = readFully(out.data(), out.size());
    out.resize(have);
    if (have < static_cast<std::size_t>(expected))
        return out; // the file shrank meanwhile: what is there is what we have
    // It may have grown since it was opened: read on to the end, within the limit.
    char chunk[65536];
    for (;;) {
        const std::size_t got = read(chunk, sizeof chunk);
        if (got == 0)
            break;
        if (consumed_ > maxSize_)
            tooLarge(path_, maxSize_);
        out.append(chunk, got);
    }
    return out;
}

std::string readWholeFile(const std::string& path, std::int64_t maxSize) {
    ReadOnlyFile file(path, maxSize);
    return file.readRest();
}

// ---------------------------------------------------------- atomic writer

std::string resolveLinks(const std::string& path) {
    fs::path p = toPath(path);
    for (int hops = 0;; ++hops) {
        std::error_code ec;
        const fs::file_status st = fs::symlink_status(p, ec);
        if (st.type() != fs::file_type::symlink)
            return fromPath(p);
        if (hops >= 40)
            throwIoError("Cannot resolve", path, ELOOP);
        const fs::path next = fs::read_symlink(p, ec);
        if (ec)
            throw IoError(ioErrorText("Cannot resolve", fromPath(p), ec.message()));
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    const fs::path pa = toPath(a), pb = toPath(b);
    if (fs::exists(pa, ec) && fs::exists(pb, ec)) {
        const bool same = fs::equivalent(pa, pb, ec);
        if (!ec)
            return same;
    }
    try {
        const auto normal = [](const std::string& p) {
            std::error_code e;
            const fs::path abs = fs::absolute(toPath(resolveLinks(p)), e);
            return (e ? toPath(p) : abs).lexically_normal();
        };
        return normal(a) == normal(b);
    } catch (const IoError&) {
        return false; // a link loop is no file at all
    }
}

std::string uniqueTemporaryName(const std::string& targetName, const std::string& suffix) {
    // The process id keeps two processes apart, the counter two writes of
    // one process; the random part makes a name left by a crashed run of the
    // same process id unlikely to come up again.
    static std::atomic<std::uint32_t> counter{0};
    static const std::uint32_t seed = [] {
        std::random_device rd;
        return rd() ^ static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    }();
    const long pid = currentProcessId();
    std::uint32_t mix = seed + 0x9E3779B9u * (counter.fetch_add(1) + 1);
    mix ^= mix >> 16;
    mix *= 0x85EBCA6Bu;
    mix ^= mix >> 13;
    char part[40];
    std::snprintf(part, sizeof part, ".%ld-%08x", pid, static_cast<unsigned>(mix));
    return targetName + part + suffix;
}

void removeLeftTemporaries(const std::string& target, const std::string& suffix) {
    const std::string resolved = resolveLinks(target);
    const std::string prefix = fromPath(toPath(resolved).filename()) + ".";
    const fs::path dir = toPath(folderOf(resolved));
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = fromPath(it->path().filename());
        if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        // "<pid>-<8 hex digits>" between the two
        const std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
        const std::size_t dash = middle.find('-');
        if (dash == 0 || dash == std::string::npos || middle.size() - dash - 1 != 8 ||
            middle.find_first_not_of("0123456789") != dash ||
            middle.find_first_not_of("0123456789abcdef", dash + 1) != std::string::npos)
            continue;
        std::error_code kindError;
        const fs::file_status st = fs::symlink_status(it->path(), kindError);
        if (!kindError && (fs::is_regular_file(st) || fs::is_symlink(st)))
            fs::remove(it->path(), kindError); // a failure here is no failure of the write
    }
}

} // namespace rz
