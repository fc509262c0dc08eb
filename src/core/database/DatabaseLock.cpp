#include "database/DatabaseLock.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <thread>

#include "common/FileIo.h"

#if defined(_WIN32)
#include <windows.h>
#include <filesystem>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace rz {
namespace {

std::atomic<long long> gDefaultWaitMs{5000};

[[noreturn]] void inUse(const std::string& databasePath, std::chrono::milliseconds waited) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", static_cast<double>(waited.count()) / 1000.0);
    throw IoError(txt(Txt::DbInUse, {databasePath, seconds}));
}

} // namespace

std::chrono::milliseconds DatabaseLock::defaultWait() { return std::chrono::milliseconds(gDefaultWaitMs.load()); }

void DatabaseLock::setDefaultWait(std::chrono::milliseconds wait) { gDefaultWaitMs.store(wait.count()); }

std::string DatabaseLock::lockPathFor(const std::string& databasePath) {
#if defined(_WIN32)
    // One lock file for every spelling of an existing database: its long name
    // (a short 8.3 name would otherwise give a lock file of its own).
    const std::string resolved = resolveLinks(databasePath);
    const std::filesystem::path native(std::u8string(resolved.begin(), resolved.end()));
    std::wstring longName(32768, L'\0');
    const DWORD n = ::GetLongPathNameW(native.c_str(), longName.data(), static_cast<DWORD>(longName.size()));
    if (n == 0 || n >= longName.size())
        return resolved + ".lock";
    longName.resize(n);
    const std::u8string utf8 = std::filesystem::path(longName).u8string();
    return std::string(utf8.begin(), utf8.end()) + ".lock";
#else
    return resolveLinks(databasePath) + ".lock";
#endif
}

DatabaseLock::DatabaseLock(const std::string& databasePath, std::chrono::milliseconds wait) {
    const std::string lockPath = lockPathFor(databasePath);
    if (int e = detail::injectedFault(fileio_test::Step::Lock, lockPath))
        throwIoError("Cannot lock", lockPath, e);
    const auto deadline = std::chrono::steady_clock::now() + wait;
#if defined(_WIN32)
    const std::filesystem::path native(std::u8string(lockPath.begin(), lockPath.end()));
    HANDLE h = ::CreateFileW(native.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw IoError(ioErrorText("Cannot lock", lockPath, std::system_category().message(static_cast<int>(::GetLastError()))));
    for (;;) {
        OVERLAPPED ov{};
        if (::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &ov))
            break;
        if (std::chrono::steady_clock::now() >= deadline) {
            ::CloseHandle(h);
            inUse(databasePath, wait);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    handle_ = h;
#else
    do {
        fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        const int err = errno;
        // No lock file in a write-protected folder: lock the database itself,
        // which an append in place can still change.
        if (err == EACCES || err == EROFS || err == EPERM)
            fd_ = ::open(resolveLinks(databasePath).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd_ < 0)
            throwIoError("Cannot lock", lockPath, err);
    }
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
            break;
        const int err = errno;
        if (err != EWOULDBLOCK && err != EINTR) {
            ::close(fd_);
            fd_ = -1;
            throwIoError("Cannot lock", lockPath, err);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd_);
            fd_ = -1;
            inUse(databasePath, wait);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
#endif
}

DatabaseLock::~DatabaseLock() {
#if defined(_WIN32)
    if (handle_) {
        OVERLAPPED ov{};
        ::UnlockFileEx(static_cast<HANDLE>(handle_), 0, 1, 0, &ov);
        ::CloseHandle(static_cast<HANDLE>(handle_));
    }
#else
    if (fd_ >= 0)
        ::close(fd_); // releases the lock
#endif
}

} // namespace rz
