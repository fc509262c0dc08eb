#pragma once
// The program's one way to read and to replace files.
//
// Reading: only regular files are opened (a pipe, a device or a folder is
// refused at once, without blocking), at most kMaxReadFileSize bytes, and
// every read is checked; a failure is an IoError with the system's text.
//
// Writing: writeFileAtomically() replaces a file so that a crash at any point
// leaves either the old or the new content, never a mixture, and a failure
// leaves the old file exactly as it was.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "common/IoError.h"

namespace rz {

// No file the program reads is anywhere near this size; anything larger is
// not one of its files.
inline constexpr std::int64_t kMaxReadFileSize = 64LL * 1024 * 1024;

// A regular file opened for reading.
class ReadOnlyFile {
public:
    // Throws IoError when the file is missing, not a regular file, larger than
    // maxSize or cannot be opened.
    explicit ReadOnlyFile(const std::string& path, std::int64_t maxSize = kMaxReadFileSize);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    const std::string& path() const { return path_; }
    // The size when the file was opened.
    std::int64_t size() const { return size_; }

    // Reads up to n bytes; returns 0 only at the end of the file. Throws IoError.
    std::size_t read(void* buffer, std::size_t n);
    // Reads until n bytes are in or the file ends; returns the bytes read.
    std::size_t readFully(void* buffer, std::size_t n);
    // Reads everything from the current position to the end. Throws IoError,
    // also when the file has grown beyond maxSize meanwhile.
    std::string readRest();

private:
    std::string path_;
    std::int64_t size_ = 0;
    std::int64_t maxSize_ = 0;
    std::int64_t consumed_ = 0;
    int fd_ = -1;
};

// The whole content of a regular file (see ReadOnlyFile). Throws IoError.
std::string readWholeFile(const std::string& path, std::int64_t maxSize = kMaxReadFileSize);

struct AtomicWriteOptions {
    // The temporary file is created in the folder of the (resolved) target
    // under the target's own name, a part unique to this process and this
    // write, and tempSuffix: "Ruvuzevodare.dat.4711-9f3a0c12~".
    std::string tempSuffix = ".tmp";
};

// The temporary name a write would try first for `targetName` (a file name
// without a folder); every call gives another one.
std::string uniqueTemporaryName(const std::string& targetName, const std::string& suffix);

// Replaces the file `target` by `content`:
//  - a symbolic link is followed, and the file it points to is replaced
//    beside itself (the link stays a link);
//  - an existing target that is not a regular file, or that is not writable
//    (write-protected, read-only file system), is reported and left alone;
//  - the temporary file has a name of its own for every write (two writers
//    of two files in one folder, or two processes, never share one), is
//    created exclusively (an existing file or link of that name is never
//    opened; another name is taken), written, flushed to disk and only then
//    renamed over the target; the folder is synced before and after the
//    rename;
//  - the new file keeps the old one's permission bits (and owner and group
//    where the system allows);
//  - on every failure the temporary file is removed, the target is unchanged
//    and an IoError with the system's text is thrown. (A failure to sync the
//    folder after the rename is reported too; the new content is in place.)
// Hard links to the old file keep the old content.
void writeFileAtomically(const std::string& target, std::string_view content, const AtomicWriteOptions& options = {});

// Removes the temporary files that crashed writes of `target` (after links)
// with this suffix left beside it: regular files and links named like
// uniqueTemporaryName() gives, nothing else. Only for a caller that holds a
// lock every writer of `target` takes, so that no write is running.
void removeLeftTemporaries(const std::string& target, const std::string& suffix);

// The file a path finally refers to, following a chain of symbolic links
// (the file itself need not exist). Throws IoError on a link loop.
std::string resolveLinks(const std::string& path);

// Whether two paths name the same file: the same file on disk when both
// exist (links, hard links and other spellings included), else the same
// absolute path once symbolic links are followed.
bool sameFile(const std::string& a, const std::string& b);

// Throws IoError when `path` exists but is not a regular file or may not be
// written by this process. A file without any write permission bit counts as
// write-protected even for the administrator. A missing file passes.
void checkWritableIfExists(const std::string& path);

// The steps of the file layer, for tests that inject failures or crashes.
namespace fileio_test {

enum class Step { Open, Read, Write, SyncFile, Close, SyncFolder, Rename, Lock };
const char* stepName(Step step);

// Called before each step; a non-zero result fails the step with that errno
// value. An empty function removes the hook. Not for production use.
using Hook = std::function<int(Step step, const std::string& path)>;
void setHook(Hook hook);

} // namespace fileio_test

namespace detail {
// The injected errno for a step, 0 when none (no hook, or the hook passes).
int injectedFault(fileio_test::Step step, const std::string& path);
} // namespace detail

} // namespace rz
