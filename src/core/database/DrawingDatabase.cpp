#include "database/DrawingDatabase.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace rz {
namespace fs = std::filesystem;

std::string systemErrorText(int err) {
    return std::system_category().message(err);
}

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path, int err) {
    throw IoError(what + " \"" + path + "\": " + systemErrorText(err));
}

std::int64_t fileSize(std::FILE* f, const std::string& path) {
    if (std::fseek(f, 0, SEEK_END) != 0)
        fail("Cannot read", path, errno);
    const long size = std::ftell(f);
    if (size < 0)
        fail("Cannot read", path, errno);
    if (std::fseek(f, 0, SEEK_SET) != 0)
        fail("Cannot read", path, errno);
    return size;
}

std::FILE* openOrFail(const std::string& path, const char* mode, const char* what) {
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), mode);
    if (!f)
        fail(what, path, errno ? errno : ENOENT);
    return f;
}

void syncFile(std::FILE* f) {
#if defined(_WIN32)
    _commit(_fileno(f));
#else
    ::fsync(fileno(f));
#endif
}

void syncDirectoryOf(const std::string& path) {
#if !defined(_WIN32)
    std::string dir = fs::path(path).parent_path().string();
    if (dir.empty())
        dir = ".";
    const int fd = ::open(dir.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    (void)path;
#endif
}

struct FileCloser {
    std::FILE* f;
    ~FileCloser() {
        if (f)
            std::fclose(f);
    }
};

} // namespace

// ---------------------------------------------------------------- RecordReader

RecordReader::RecordReader(const std::string& path) : path_(path) {
    file_ = openOrFail(path, "rb", "Cannot open");
    try {
        count_ = fileSize(file_, path) / static_cast<std::int64_t>(DrawingRecord::kSize);
    } catch (...) {
        std::fclose(file_);
        throw;
    }
}

RecordReader::~RecordReader() {
    if (file_)
        std::fclose(file_);
}

DrawingRecord RecordReader::next() {
    if (eof())
        throw IoError("Read beyond end of file \"" + path_ + "\"");
    std::uint8_t buf[DrawingRecord::kSize];
    errno = 0;
    if (std::fread(buf, 1, sizeof buf, file_) != sizeof buf) {
        const int err = errno ? errno : EIO;
        std::clearerr(file_);
        // Re-position so that a retry reads the same record again.
        std::fseek(file_, static_cast<long>(index_ * static_cast<std::int64_t>(DrawingRecord::kSize)), SEEK_SET);
        fail("Cannot read", path_, err);
    }
    ++index_;
    return DrawingRecord::fromBytes(buf);
}

// ------------------------------------------------------------ RecordBlockReader

RecordBlockReader::RecordBlockReader(const std::string& path) : path_(path) {
    file_ = openOrFail(path, "rb", "Cannot open");
}

RecordBlockReader::~RecordBlockReader() {
    if (file_)
        std::fclose(file_);
}

std::size_t RecordBlockReader::readAll(std::vector<std::uint8_t>& buffer) {
    const std::int64_t count = fileSize(file_, path_) / static_cast<std::int64_t>(DrawingRecord::kSize);
    const std::size_t bytes = static_cast<std::size_t>(count) * DrawingRecord::kSize;
    if (buffer.size() < bytes)
        buffer.resize(bytes);
    errno = 0;
    if (bytes != 0 && std::fread(buffer.data(), 1, bytes, file_) != bytes) {
        const int err = errno ? errno : EIO;
        std::clearerr(file_);
        fail("Cannot read", path_, err);
    }
    return static_cast<std::size_t>(count);
}

// ------------------------------------------------------------- DrawingDatabase

bool DrawingDatabase::exists() const {
    std::error_code ec;
    return fs::is_regular_file(path_, ec);
}

void DrawingDatabase::createEmpty() const {
    std::FILE* f = openOrFail(path_, "wb", "Cannot create");
    if (std::fclose(f) != 0)
        fail("Cannot write", path_, errno);
}

std::vector<DrawingRecord> DrawingDatabase::readAll() const {
    std::FILE* f = openOrFail(path_, "rb", "Cannot open");
    FileCloser closer{f};
    const std::int64_t count = fileSize(f, path_) / static_cast<std::int64_t>(DrawingRecord::kSize);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count) * DrawingRecord::kSize);
    if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size())
        fail("Cannot read", path_, errno ? errno : EIO);
    std::vector<DrawingRecord> out;
    out.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i)
        out.push_back(DrawingRecord::fromBytes(bytes.data() + i * static_cast<std::int64_t>(DrawingRecord::kSize)));
    return out;
}

std::optional<DrawingRecord> DrawingDatabase::readLast() const {
    RecordReader reader(path_);
    std::optional<DrawingRecord> last;
    while (!reader.eof())
        last = reader.next();
    return last;
}

void DrawingDatabase::append(const DrawingRecord& rec) const {
    // "r+b" keeps the content; a missing file is an error like any other open.
    std::FILE* f = openOrFail(path_, "r+b", "Cannot open");
    FileCloser closer{f};
    const std::int64_t size = fileSize(f, path_);
    const std::int64_t boundary = size / static_cast<std::int64_t>(DrawingRecord::kSize) * static_cast<std::int64_t>(DrawingRecord::kSize);
    if (std::fseek(f, static_cast<long>(boundary), SEEK_SET) != 0)
        fail("Cannot write", path_, errno);
    std::uint8_t buf[DrawingRecord::kSize];
    rec.toBytes(buf);
    if (std::fwrite(buf, 1, sizeof buf, f) != sizeof buf || std::fflush(f) != 0)
        fail("Cannot write", path_, errno ? errno : EIO);
    closer.f = nullptr;
    if (std::fclose(f) != 0)
        fail("Cannot write", path_, errno);
}

void DrawingDatabase::rebuild(const std::vector<DrawingRecord>& records, const std::string& tempPath) const {
    std::FILE* out = openOrFail(tempPath, "wb", "Cannot create");
    {
        FileCloser closer{out};
        std::vector<std::uint8_t> bytes(records.size() * DrawingRecord::kSize);
        for (std::size_t i = 0; i < records.size(); ++i)
            records[i].toBytes(bytes.data() + i * DrawingRecord::kSize);
        if ((!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) || std::fflush(out) != 0) {
            const int err = errno ? errno : EIO;
            std::fclose(out);
            closer.f = nullptr;
            std::remove(tempPath.c_str());
            fail("Cannot write", tempPath, err);
        }
        syncFile(out);
        closer.f = nullptr;
        if (std::fclose(out) != 0) {
            const int err = errno;
            std::remove(tempPath.c_str());
            fail("Cannot write", tempPath, err);
        }
    }
    std::error_code ec;
    fs::rename(tempPath, path_, ec);
    if (ec) {
        std::remove(tempPath.c_str());
        throw IoError("Cannot rename \"" + tempPath + "\" to \"" + path_ + "\": " + ec.message());
    }
    syncDirectoryOf(path_);
}

void DrawingDatabase::insertOrReplace(const DrawingRecord& rec) const {
    const std::vector<DrawingRecord> stored = readAll();
    std::vector<DrawingRecord> out;
    out.reserve(stored.size() + 1);
    bool written = false;
    for (const DrawingRecord& r : stored) {
        if (r.Date >= rec.Date && !written) {
            out.push_back(rec);
            written = true;
        }
        if (r.Date != rec.Date)
            out.push_back(r);
    }
    if (!written)
        out.push_back(rec); // later than every stored date, or an empty file
    rebuild(out, path_ + "~");
}

void DrawingDatabase::removeDate(DayNumber date) const {
    const std::vector<DrawingRecord> stored = readAll();
    std::vector<DrawingRecord> out;
    out.reserve(stored.size());
    for (const DrawingRecord& r : stored)
        if (r.Date != date)
            out.push_back(r);
    rebuild(out, (fs::path(path_).parent_path() / "Zahlen.da~").string());
}

void DrawingDatabase::replaceAll(const std::vector<DrawingRecord>& records) const {
    rebuild(records, path_ + "~");
}

} // namespace rz
