#include "common/FileIo.h"

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

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

[[noreturn]] void tooLarge(const std::string& path, std::int64_t maxSize) {
    throw IoError(txt(Txt::IoTooLarge, {path, sizeLimitText(maxSize)}));
}

[[noreturn]] void notRegular(const std::string& what, const std::string& path) {
    throw IoError(ioErrorText(what, path, txt(Txt::SysNotRegular)));
}

#if defined(_WIN32)
// A Windows error as the same text the POSIX build gives where there is one.
std::string windowsErrorText(DWORD err) {
    switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
        return systemErrorText(ENOENT);
    case ERROR_ACCESS_DENIED:
        return systemErrorText(EACCES);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return systemErrorText(EBUSY);
    default:
        return std::system_category().message(static_cast<int>(err));
    }
}

[[noreturn]] void throwWindowsError(const std::string& what, const std::string& path, DWORD err) {
    throw IoError(ioErrorText(what, path, windowsErrorText(err)));
}

// Renames `from` over `to` even while `to` is open elsewhere (with
// FILE_SHARE_DELETE), as rename() does on POSIX: the rename with POSIX
// semantics of Windows 10 1607 and later. False with the error set where the
// system cannot (older systems, other file systems).
bool replaceWithPosixSemantics(const fs::path& from, const fs::path& to) {
    constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
    constexpr DWORD kReplaceIfExists = 0x1, kPosixSemantics = 0x2;
    const HANDLE h = ::CreateFileW(from.c_str(), DELETE | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const std::wstring target = to.wstring();
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    const DWORD flags = kReplaceIfExists | kPosixSemantics; // the flags share the place of ReplaceIfExists
    std::memcpy(buffer.data(), &flags, sizeof flags);
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, target.c_str(), (target.size() + 1) * sizeof(wchar_t));
    const bool done = ::SetFileInformationByHandle(h, kFileRenameInfoEx, info, static_cast<DWORD>(buffer.size())) != 0;
    const DWORD err = ::GetLastError();
    ::CloseHandle(h);
    ::SetLastError(done ? 0 : err);
    return done;
}
#endif

std::string folderOf(const std::string& path) {
    std::string dir = fromPath(toPath(path).parent_path());
    return dir.empty() ? std::string(".") : dir;
}

} // namespace

// ------------------------------------------------------------ ReadOnlyFile

ReadOnlyFile::ReadOnlyFile(const std::string& path, std::int64_t maxSize) : path_(path), maxSize_(maxSize) {
    if (int e = injectedFault(Step::Open, path_))
        throwIoError("Cannot open", path_, e);
#if defined(_WIN32)
    std::error_code ec;
    if (fs::is_directory(fs::status(toPath(path), ec)))
        throwIoError("Cannot open", path_, EISDIR);
    // Every sharing mode, so that the program's own atomic writer (and any
    // other program) may replace the file while it is being read, as on POSIX.
    HANDLE h = ::CreateFileW(toPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throwWindowsError("Cannot open", path_, ::GetLastError());
    // Devices (NUL, CON, COM1, pipes) are no files: refused before any read
    // could wait on them.
    if (::GetFileType(h) != FILE_TYPE_DISK) {
        ::CloseHandle(h);
        notRegular("Cannot open", path_);
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(h, &size)) {
        const DWORD err = ::GetLastError();
        ::CloseHandle(h);
        throwWindowsError("Cannot open", path_, err);
    }
    fd_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
    if (fd_ < 0) {
        const int err = errno;
        ::CloseHandle(h);
        throwIoError("Cannot open", path_, err);
    }
    size_ = static_cast<std::int64_t>(size.QuadPart);
#else
    // Look before opening: opening a pipe would wait for a writer, and
    // opening a device may do something by itself.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        throwIoError("Cannot open", path_, errno);
    if (S_ISDIR(st.st_mode))
        throwIoError("Cannot open", path_, EISDIR);
    if (!S_ISREG(st.st_mode))
        notRegular("Cannot open", path_);
    // Non-blocking, in case the name was replaced by a pipe in between.
    do {
        fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
        throwIoError("Cannot open", path_, errno);
    struct stat fst {};
    if (::fstat(fd_, &fst) != 0 || !S_ISREG(fst.st_mode)) {
        const int err = errno;
        const bool regular = S_ISREG(fst.st_mode);
        ::close(fd_);
        fd_ = -1;
        if (regular)
            throwIoError("Cannot open", path_, err);
        notRegular("Cannot open", path_);
    }
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    size_ = static_cast<std::int64_t>(fst.st_size);
#endif
    if (size_ > maxSize_) {
#if defined(_WIN32)
        ::_close(fd_);
#else
        ::close(fd_);
#endif
        fd_ = -1;
        tooLarge(path_, maxSize_);
    }
}

ReadOnlyFile::~ReadOnlyFile() {
    if (fd_ >= 0) {
#if defined(_WIN32)
        ::_close(fd_);
#else
        ::close(fd_);
#endif
    }
}

std::size_t ReadOnlyFile::read(void* buffer, std::size_t n) {
    if (n == 0)
        return 0;
    if (int e = injectedFault(Step::Read, path_))
        throwIoError("Cannot read", path_, e);
#if defined(_WIN32)
    const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(n, 1u << 30));
    const int got = ::_read(fd_, buffer, chunk);
    if (got < 0)
        throwIoError("Cannot read", path_, errno);
#else
    ssize_t got = 0;
    do {
        got = ::read(fd_, buffer, n);
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        throwIoError("Cannot read", path_, errno);
#endif
    consumed_ += got;
    return static_cast<std::size_t>(got);
}

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
            throw IoError("Cannot resolve \"" + fromPath(p) + "\": " + ec.message());
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

void checkWritableIfExists(const std::string& path) {
#if defined(_WIN32)
    std::error_code ec;
    const fs::file_status st = fs::status(toPath(path), ec);
    if (!fs::exists(st))
        return;
    if (fs::is_directory(st))
        throwIoError("Cannot write", path, EISDIR);
    if (!fs::is_regular_file(st))
        notRegular("Cannot write", path);
    if ((st.permissions() & fs::perms::owner_write) == fs::perms::none)
        throw IoError(txt(Txt::IoCannotWrite, {path, txt(Txt::SysWriteProtected)}));
#else
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return;
        throwIoError("Cannot write", path, errno);
    }
    if (S_ISDIR(st.st_mode))
        throwIoError("Cannot write", path, EISDIR);
    if (!S_ISREG(st.st_mode))
        notRegular("Cannot write", path);
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        const int err = errno;
        if (err == EROFS)
            throwIoError("Cannot write", path, err);
        throw IoError(txt(Txt::IoCannotWrite, {path, txt(Txt::SysWriteProtected)}));
    }
    // The administrator may write anything; a file without any write bit was
    // protected on purpose all the same.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        throw IoError(txt(Txt::IoCannotWrite, {path, txt(Txt::SysWriteProtected)}));
#endif
}

namespace {

#if !defined(_WIN32)
// fsync of the folder, so that a rename survives a power failure. File
// systems that cannot sync folders say so with EINVAL; that is no failure.
int syncFolder(const std::string& dir) {
    if (int e = injectedFault(Step::SyncFolder, dir))
        return e;
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int err = 0;
    if (::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP)
        err = errno;
    ::close(fd);
    return err;
}
#endif

} // namespace

std::string uniqueTemporaryName(const std::string& targetName, const std::string& suffix) {
    // The process id keeps two processes apart, the counter two writes of
    // one process; the random part makes a name left by a crashed run of the
    // same process id unlikely to come up again.
    static std::atomic<std::uint32_t> counter{0};
    static const std::uint32_t seed = [] {
        std::random_device rd;
        return rd() ^ static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    }();
#if defined(_WIN32)
    const long pid = static_cast<long>(::_getpid());
#else
    const long pid = static_cast<long>(::getpid());
#endif
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

void writeFileAtomically(const std::string& target, std::string_view content, const AtomicWriteOptions& options) {
    const std::string resolved = resolveLinks(target);
    checkWritableIfExists(resolved);
    const std::string dir = folderOf(resolved);
    const std::string targetName = fromPath(toPath(resolved).filename());
    std::string temp = fromPath(toPath(dir) / toPath(uniqueTemporaryName(targetName, options.tempSuffix)));
    // A name taken by anything at all (a file left by a crash, a link, a
    // folder) is passed over; only a file this call created is written.
    constexpr int kNameAttempts = 64;

#if defined(_WIN32)
    if (int e = injectedFault(Step::Open, temp))
        throwIoError("Cannot create", temp, e);
    fs::path nativeTemp = toPath(temp);
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        fd = ::_wopen(nativeTemp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0)
            break;
        if ((errno != EEXIST && errno != EACCES) || attempt + 1 >= kNameAttempts)
            throwIoError("Cannot create", temp, errno);
        temp = fromPath(toPath(dir) / toPath(uniqueTemporaryName(targetName, options.tempSuffix)));
        nativeTemp = toPath(temp);
    }
    auto failWith = [&](const std::string& what, const std::string& path, int err) {
        if (fd >= 0)
            ::_close(fd);
        ::_wunlink(nativeTemp.c_str());
        throwIoError(what, path, err);
    };
    std::size_t done = 0;
    while (done < content.size()) {
        if (int e = injectedFault(Step::Write, temp))
            failWith("Cannot write", temp, e);
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(content.size() - done, 1u << 20));
        const int put = ::_write(fd, content.data() + done, chunk);
        if (put < 0)
            failWith("Cannot write", temp, errno);
        done += static_cast<std::size_t>(put);
    }
    if (int e = injectedFault(Step::SyncFile, temp))
        failWith("Cannot write to disk", temp, e);
    if (::_commit(fd) != 0)
        failWith("Cannot write to disk", temp, errno);
    if (int e = injectedFault(Step::Close, temp))
        failWith("Cannot write", temp, e);
    const int closed = ::_close(fd);
    fd = -1;
    if (closed != 0)
        failWith("Cannot write", temp, errno);
    if (int e = injectedFault(Step::Rename, temp)) {
        ::_wunlink(nativeTemp.c_str());
        throw IoError(txt(Txt::IoCannotRename, {temp, resolved, systemErrorText(e)}));
    }
    // Windows 10 replaces a file that readers hold open (with FILE_SHARE_DELETE,
    // as ReadOnlyFile opens it) the POSIX way; older systems refuse while
    // it is open. A reader, a virus scanner or an indexer may hold the old
    // file for a moment: try again for two seconds, at first at once.
    const auto renameDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (int attempt = 0; !replaceWithPosixSemantics(nativeTemp, toPath(resolved)) &&
                          !::MoveFileExW(nativeTemp.c_str(), toPath(resolved).c_str(),
                                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
         ++attempt) {
        const DWORD err = ::GetLastError();
        if ((err == ERROR_SHARING_VIOLATION || err == ERROR_ACCESS_DENIED || err == ERROR_LOCK_VIOLATION) &&
            std::chrono::steady_clock::now() < renameDeadline) {
            ::Sleep(attempt < 20 ? 0 : attempt < 100 ? 1 : 20);
            continue;
        }
        ::_wunlink(nativeTemp.c_str());
        throw IoError(txt(Txt::IoCannotRename, {temp, resolved, windowsErrorText(err)}));
    }
#else
    struct stat old {};
    const bool replacing = ::stat(resolved.c_str(), &old) == 0;

    if (int e = injectedFault(Step::Open, temp))
        throwIoError("Cannot create", temp, e);
    int fd = -1;
    for (int attempt = 0;; ++attempt) {
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    replacing ? static_cast<mode_t>(0600) : static_cast<mode_t>(0666));
        if (fd >= 0)
            break;
        if (errno == EINTR)
            continue;
        if (errno != EEXIST || attempt + 1 >= kNameAttempts)
            throwIoError("Cannot create", temp, errno);
        temp = fromPath(toPath(dir) / toPath(uniqueTemporaryName(targetName, options.tempSuffix)));
    }

    auto failWith = [&](const std::string& what, const std::string& path, int err) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temp.c_str());
        throwIoError(what, path, err);
    };

    if (replacing) {
        // Owner and group where allowed (an ordinary user may still pass the
        // file on to another of its groups), then the permission bits, which
        // a change of owner may have cleared.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)!::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        if (::fchmod(fd, old.st_mode & 07777) != 0)
            failWith("Cannot set the permissions of", temp, errno);
    }

    std::size_t done = 0;
    while (done < content.size()) {
        if (int e = injectedFault(Step::Write, temp))
            failWith("Cannot write", temp, e);
        const std::size_t chunk = std::min<std::size_t>(content.size() - done, std::size_t{1} << 20);
        const ssize_t put = ::write(fd, content.data() + done, chunk);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            failWith("Cannot write", temp, errno);
        }
        done += static_cast<std::size_t>(put);
    }
    if (int e = injectedFault(Step::SyncFile, temp))
        failWith("Cannot write to disk", temp, e);
    if (::fsync(fd) != 0)
        failWith("Cannot write to disk", temp, errno);
    if (int e = injectedFault(Step::Close, temp))
        failWith("Cannot write", temp, e);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        failWith("Cannot write", temp, errno);
    if (int e = syncFolder(dir))
        failWith("Cannot sync the folder", dir, e);

    int renameError = injectedFault(Step::Rename, temp);
    if (renameError == 0 && ::rename(temp.c_str(), resolved.c_str()) != 0)
        renameError = errno;
    if (renameError != 0) {
        const int err = renameError;
        ::unlink(temp.c_str());
        throw IoError(txt(Txt::IoCannotRename, {temp, resolved, systemErrorText(err)}));
    }
    if (int e = syncFolder(dir))
        throw IoError(txt(Txt::IoNotSynced, {resolved, dir, systemErrorText(e)}));
#endif
}

} // namespace rz
