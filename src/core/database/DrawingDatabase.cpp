#include "database/DrawingDatabase.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "common/ProgramTexts.h"
#include "database/DatabaseLock.h"
#include "common/Path.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace rz {
namespace fs = std::filesystem;
using fileio_test::Step;

namespace {

constexpr std::int64_t kRecordSize = static_cast<std::int64_t>(DrawingRecord::kSize);

std::vector<DrawingRecord> parseRecords(const std::uint8_t* bytes, std::size_t size) {
    const std::size_t count = size / DrawingRecord::kSize;
    std::vector<DrawingRecord> out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        out.push_back(DrawingRecord::fromBytes(bytes + i * DrawingRecord::kSize));
    return out;
}

std::string toBytes(const std::vector<DrawingRecord>& records) {
    std::string bytes(records.size() * DrawingRecord::kSize, '\0');
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].toBytes(reinterpret_cast<std::uint8_t*>(bytes.data()) + i * DrawingRecord::kSize);
    return bytes;
}

// Refuses to change a file that is not a drawing database.
void checkLooksLikeDatabase(const std::string& path, const std::string& bytes) {
    const auto bad = DrawingDatabase::firstUnreadableRecord(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    if (bad)
        throw IoError(txt(Txt::DbNotDrawings, {path, std::to_string(*bad + 1)}));
}

} // namespace

std::string partialRecordNotice(std::int64_t bytes) {
    if (bytes <= 0)
        return std::string();
    return txt(Txt::DatabaseTrailingBytes, {std::to_string(bytes)});
}

// ---------------------------------------------------------------- RecordReader

RecordReader::RecordReader(const std::string& path) : file_(std::make_unique<ReadOnlyFile>(path)) {
    count_ = file_->size() / kRecordSize;
    trailing_ = file_->size() % kRecordSize;
}

RecordReader::~RecordReader() = default;

DrawingRecord RecordReader::next() {
    if (eof())
        throw IoError("Read beyond end of file \"" + file_->path() + "\"");
    if (bufferLen_ - bufferPos_ < DrawingRecord::kSize) {
        // Refill with the whole records still to come, up to 64 KiB.
        const std::int64_t left = (count_ - index_) * kRecordSize;
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(left, 2048 * kRecordSize));
        if (buffer_.size() < want)
            buffer_.resize(want);
        // A read failure leaves the file position where it was, so that a
        // retry reads the same record again.
        const std::size_t got = file_->readFully(buffer_.data(), want);
        if (got < DrawingRecord::kSize)
            throwIoError("Cannot read", file_->path(), EIO); // the file got shorter meanwhile
        bufferPos_ = 0;
        bufferLen_ = got - got % DrawingRecord::kSize;
    }
    const DrawingRecord rec = DrawingRecord::fromBytes(buffer_.data() + bufferPos_);
    bufferPos_ += DrawingRecord::kSize;
    ++index_;
    return rec;
}

// ------------------------------------------------------------ RecordBlockReader

RecordBlockReader::RecordBlockReader(const std::string& path) : file_(std::make_unique<ReadOnlyFile>(path)) {}

RecordBlockReader::~RecordBlockReader() = default;

std::int64_t RecordBlockReader::fileSize() const { return static_cast<std::int64_t>(file_->size()); }

std::size_t RecordBlockReader::readAll(std::vector<std::uint8_t>& buffer) {
    const std::size_t bytes = static_cast<std::size_t>(file_->size() / kRecordSize * kRecordSize);
    if (buffer.size() < bytes)
        buffer.resize(bytes);
    const std::size_t got = file_->readFully(buffer.data(), bytes);
    return got / DrawingRecord::kSize; // a file that got shorter meanwhile: the records that are there
}

// ------------------------------------------------------------- DrawingDatabase

std::optional<std::int64_t> DrawingDatabase::firstUnreadableRecord(const std::uint8_t* bytes, std::size_t size) {
    const std::size_t count = size / DrawingRecord::kSize;
    for (std::size_t i = 0; i < count; ++i)
        if (!isRepresentableDay(RecordBlockReader::date(bytes + i * DrawingRecord::kSize)))
            return static_cast<std::int64_t>(i);
    return std::nullopt;
}

std::optional<std::int64_t> DrawingDatabase::recordNotADrawing() const {
    const std::string bytes = readWholeFile(path_);
    return recordNotADrawing(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::optional<std::int64_t> DrawingDatabase::recordNotADrawing(const std::uint8_t* data, std::size_t size) {
    if (size >= DrawingRecord::kSize && std::all_of(data, data + DrawingRecord::kSize, [](std::uint8_t b) {
            return (b >= 0x20 && b < 0x7f) || b == '\t' || b == '\r' || b == '\n' || b >= 0x80;
        }))
        return 1;
    if (const auto bad = firstUnreadableRecord(data, size))
        return *bad + 1;
    return std::nullopt;
}

AtomicWriteOptions DrawingDatabase::rebuildTemp() {
    AtomicWriteOptions o;
    o.tempSuffix = "~";
    return o;
}

bool DrawingDatabase::exists() const {
    std::error_code ec;
    return fs::is_regular_file(toPath(path_), ec);
}

void DrawingDatabase::createEmpty() const {
    DatabaseLock lock(path_);
    if (exists())
        return; // created meanwhile by someone else: its records stay
    removeLeftTemporaries(path_, rebuildTemp().tempSuffix);
    writeFileAtomically(path_, std::string_view(), rebuildTemp());
}

std::vector<DrawingRecord> DrawingDatabase::readAll() const {
    const std::string bytes = readWholeFile(path_);
    return parseRecords(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::optional<DrawingRecord> DrawingDatabase::readLast() const {
    std::vector<DrawingRecord> all = readAll();
    if (all.empty())
        return std::nullopt;
    return all.back();
}

std::int64_t DrawingDatabase::trailingBytes() const {
    std::error_code ec;
    const auto size = fs::file_size(toPath(path_), ec);
    if (ec)
        return 0;
    return static_cast<std::int64_t>(size % DrawingRecord::kSize);
}

void DrawingDatabase::append(const DrawingRecord& rec) const {
    DatabaseLock lock(path_);
    appendLocked(rec);
}

void DrawingDatabase::appendLocked(const DrawingRecord& rec) const {
    std::uint8_t buf[DrawingRecord::kSize];
    rec.toBytes(buf);

#if defined(_WIN32)
    const std::string stored = readWholeFile(path_); // a missing file is an error like any other open
    checkLooksLikeDatabase(path_, stored);
    checkWritableIfExists(resolveLinks(path_));
    const std::int64_t boundary = static_cast<std::int64_t>(stored.size()) / kRecordSize * kRecordSize;
    const fs::path native(std::u8string(path_.begin(), path_.end()));
    const int fd = ::_wopen(native.c_str(), _O_WRONLY | _O_BINARY);
    if (fd < 0)
        throwIoError("Cannot open", path_, errno);
    auto fail = [&](int err) {
        ::_close(fd);
        throwIoError("Cannot write", path_, err);
    };
    if (::_lseeki64(fd, boundary, SEEK_SET) < 0)
        fail(errno);
    if (int e = detail::injectedFault(Step::Write, path_))
        fail(e);
    if (::_write(fd, buf, sizeof buf) != static_cast<int>(sizeof buf))
        fail(errno ? errno : EIO);
    if (::_close(fd) != 0)
        throwIoError("Cannot write", path_, errno);
#else
    // One descriptor for the check and the write: the download appends
    // thousands of records in a row.
    checkWritableIfExists(resolveLinks(path_));
    if (int e = detail::injectedFault(Step::Open, path_))
        throwIoError("Cannot open", path_, e);
    int fd = -1;
    do {
        fd = ::open(path_.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throwIoError("Cannot open", path_, errno); // a missing file is an error like any other open
    auto fail = [&](const char* what, int err) {
        ::close(fd);
        throwIoError(what, path_, err);
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        fail("Cannot open", errno);
    if (!S_ISREG(st.st_mode))
        fail("Cannot open", EINVAL);
    if (st.st_size > kMaxReadFileSize) {
        ::close(fd);
        throw IoError(txt(Txt::IoTooLarge, {path_, std::to_string(kMaxReadFileSize / (1024 * 1024)) + " MB"}));
    }
    const std::int64_t boundary = static_cast<std::int64_t>(st.st_size) / kRecordSize * kRecordSize;

    // Every whole record must carry a readable date before anything is written.
    std::uint8_t chunk[2048 * DrawingRecord::kSize];
    for (std::int64_t at = 0; at < boundary;) {
        if (int e = detail::injectedFault(Step::Read, path_))
            fail("Cannot read", e);
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(boundary - at, sizeof chunk));
        const ssize_t got = ::pread(fd, chunk, want, static_cast<off_t>(at));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail("Cannot read", errno);
        }
        if (got == 0 || got % static_cast<ssize_t>(DrawingRecord::kSize) != 0)
            fail("Cannot read", EIO); // the file changed under the lock
        if (const auto bad = firstUnreadableRecord(chunk, static_cast<std::size_t>(got))) {
            ::close(fd);
            throw IoError(txt(Txt::DbNotDrawings, {path_, std::to_string(at / kRecordSize + *bad + 1)}));
        }
        at += got;
    }

    std::size_t done = 0;
    while (done < sizeof buf) {
        if (int e = detail::injectedFault(Step::Write, path_))
            fail("Cannot write", e);
        const ssize_t put = ::pwrite(fd, buf + done, sizeof buf - done, static_cast<off_t>(boundary) + static_cast<off_t>(done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            fail("Cannot write", errno);
        }
        done += static_cast<std::size_t>(put);
    }
    // No sync here: a record lost to a power failure is a drawing that the
    // next download fetches again, and a half-written one is passed over by
    // the boundary rule.
    if (int e = detail::injectedFault(Step::Close, path_))
        fail("Cannot write", e);
    if (::close(fd) != 0)
        throwIoError("Cannot write", path_, errno);
#endif
}

DrawingDatabase::UpdateResult DrawingDatabase::update(const std::function<void(std::vector<DrawingRecord>&)>& change,
                                                      bool createIfMissing, const AtomicWriteOptions& temp) const {
    DatabaseLock lock(path_);
    return updateLocked(change, createIfMissing, temp);
}

DrawingDatabase::UpdateResult DrawingDatabase::updateLocked(const std::function<void(std::vector<DrawingRecord>&)>& change,
                                                            bool createIfMissing, const AtomicWriteOptions& temp) const {
    UpdateResult result;
    std::vector<DrawingRecord> records;
    if (!createIfMissing || exists()) {
        const std::string stored = readWholeFile(path_);
        checkLooksLikeDatabase(path_, stored);
        checkWritableIfExists(resolveLinks(path_));
        result.droppedTrailingBytes = static_cast<std::int64_t>(stored.size()) % kRecordSize;
        records = parseRecords(reinterpret_cast<const std::uint8_t*>(stored.data()), stored.size());
    } else {
        result.created = true;
    }
    change(records);
    // Under the lock no other rebuild runs: a temporary file beside the
    // database is what a crashed one left.
    removeLeftTemporaries(path_, temp.tempSuffix);
    writeFileAtomically(path_, toBytes(records), temp);
    return result;
}

void DrawingDatabase::insertOrReplace(const DrawingRecord& rec) const {
    update([&rec](std::vector<DrawingRecord>& stored) {
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
        stored.swap(out);
    });
}

DrawingDatabase::Added DrawingDatabase::add(const DrawingRecord& rec, SameDate sameDate) const {
    DatabaseLock lock(path_);
    bool stored = false;
    bool appendable = true;
    bool lastHasDate = false;
    {
        const std::string bytes = readWholeFile(path_);
        checkLooksLikeDatabase(path_, bytes);
        const std::size_t count = bytes.size() / DrawingRecord::kSize;
        const auto* raw = reinterpret_cast<const std::uint8_t*>(bytes.data());
        for (std::size_t i = 0; i < count && !stored; ++i)
            stored = RecordBlockReader::date(raw + i * DrawingRecord::kSize) == rec.Date;
        if (count > 0) {
            const DayNumber last = RecordBlockReader::date(raw + (count - 1) * DrawingRecord::kSize);
            appendable = rec.Date > last;
            lastHasDate = rec.Date == last;
        }
    }
    if (lastHasDate && sameDate == SameDate::AppendAfterLast) {
        appendLocked(rec);
        return Added::Appended;
    }
    if (appendable && !stored) {
        appendLocked(rec);
        return Added::Appended;
    }
    if (stored && sameDate != SameDate::Replace)
        return Added::Kept;
    updateLocked(
        [&rec](std::vector<DrawingRecord>& records) {
            std::vector<DrawingRecord> out;
            out.reserve(records.size() + 1);
            bool written = false;
            for (const DrawingRecord& r : records) {
                if (r.Date >= rec.Date && !written) {
                    out.push_back(rec);
                    written = true;
                }
                if (r.Date != rec.Date)
                    out.push_back(r);
            }
            if (!written)
                out.push_back(rec);
            records.swap(out);
        },
        false, rebuildTemp());
    return stored ? Added::Replaced : Added::Inserted;
}

void DrawingDatabase::removeDate(DayNumber date) const {
    update(
        [date](std::vector<DrawingRecord>& stored) {
            std::vector<DrawingRecord> out;
            out.reserve(stored.size());
            for (const DrawingRecord& r : stored)
                if (r.Date != date)
                    out.push_back(r);
            stored.swap(out);
        },
        false);
}

void DrawingDatabase::replaceAll(const std::vector<DrawingRecord>& records) const {
    update([&records](std::vector<DrawingRecord>& stored) { stored = records; }, true);
}

} // namespace rz
