// The file layer on POSIX systems.
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
#include <sys/stat.h>
#include <unistd.h>

namespace rz {
namespace fs = std::filesystem;

using fileio_test::Step;
using detail::folderOf;
using detail::injectedFault;
using detail::notRegular;
using detail::tooLarge;

long currentProcessId() { return static_cast<long>(::getpid()); }

ReadOnlyFile::ReadOnlyFile(const std::string& path, std::int64_t maxSize) : path_(path), maxSize_(maxSize) {
    if (int e = injectedFault(Step::Open, path_))
        throwIoError("Cannot open", path_, e);
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
    if (size_ > maxSize_) {
        ::close(fd_);
        fd_ = -1;
        tooLarge(path_, maxSize_);
    }
}

ReadOnlyFile::~ReadOnlyFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::size_t ReadOnlyFile::read(void* buffer, std::size_t n) {
    if (n == 0)
        return 0;
    if (int e = injectedFault(Step::Read, path_))
        throwIoError("Cannot read", path_, e);
    ssize_t got = 0;
    do {
        got = ::read(fd_, buffer, n);
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        throwIoError("Cannot read", path_, errno);
    consumed_ += got;
    return static_cast<std::size_t>(got);
}

void checkWritableIfExists(const std::string& path) {
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
}

namespace {

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

} // namespace

void writeFileAtomically(const std::string& target, std::string_view content, const AtomicWriteOptions& options) {
    const std::string resolved = resolveLinks(target);
    checkWritableIfExists(resolved);
    const std::string dir = folderOf(resolved);
    const std::string targetName = fromPath(toPath(resolved).filename());
    std::string temp = fromPath(toPath(dir) / toPath(uniqueTemporaryName(targetName, options.tempSuffix)));
    // A name taken by anything at all (a file left by a crash, a link, a
    // folder) is passed over; only a file this call created is written.
    constexpr int kNameAttempts = 64;

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
}

} // namespace rz
