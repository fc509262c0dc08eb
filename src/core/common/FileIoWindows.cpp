// The file layer on Windows: the wide-character API, sharing modes, and
// the rename over the old file.
#include "common/FileIo.h"

#include "common/FileIoPlatform.h"
#include "common/Path.h"

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>

namespace rz {
namespace fs = std::filesystem;

using fileio_test::Step;
using detail::folderOf;
using detail::injectedFault;
using detail::notRegular;
using detail::tooLarge;

namespace {

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

} // namespace

long currentProcessId() { return static_cast<long>(::_getpid()); }

ReadOnlyFile::ReadOnlyFile(const std::string& path, std::int64_t maxSize) : path_(path), maxSize_(maxSize) {
    if (int e = injectedFault(Step::Open, path_))
        throwIoError("Cannot open", path_, e);
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
    if (size_ > maxSize_) {
        ::_close(fd_);
        fd_ = -1;
        tooLarge(path_, maxSize_);
    }
}

ReadOnlyFile::~ReadOnlyFile() {
    if (fd_ >= 0) {
        ::_close(fd_);
    }
}

std::size_t ReadOnlyFile::read(void* buffer, std::size_t n) {
    if (n == 0)
        return 0;
    if (int e = injectedFault(Step::Read, path_))
        throwIoError("Cannot read", path_, e);
    const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(n, 1u << 30));
    const int got = ::_read(fd_, buffer, chunk);
    if (got < 0)
        throwIoError("Cannot read", path_, errno);
    consumed_ += got;
    return static_cast<std::size_t>(got);
}

void checkWritableIfExists(const std::string& path) {
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
}

} // namespace rz
