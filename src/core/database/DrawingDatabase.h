#pragma once
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/FileIo.h"
#include "common/IoError.h"
#include "database/DrawingRecord.h"

namespace rz {

// Forward reader over the database file: record k is reached by reading
// records 0..k. A trailing partial record is never read.
class RecordReader {
public:
    explicit RecordReader(const std::string& path); // throws IoError
    ~RecordReader();
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    bool eof() const { return index_ >= count_; }
    std::int64_t count() const { return count_; }
    std::int64_t index() const { return index_; } // index of the next record
    // Bytes at the end of the file that are not a whole record.
    std::int64_t trailingBytes() const { return trailing_; }
    // Throws IoError; after a failure the same record is read again.
    DrawingRecord next();

private:
    std::unique_ptr<ReadOnlyFile> file_;
    std::int64_t count_ = 0;
    std::int64_t index_ = 0;
    std::int64_t trailing_ = 0;
    std::vector<std::uint8_t> buffer_;
    std::size_t bufferPos_ = 0;
    std::size_t bufferLen_ = 0;
};

// Fast path for whole-file passes (statistics, history rules): the constructor
// opens the file, readAll() reads every whole record in one read into a buffer
// the caller keeps between passes (it only grows), so a pass allocates nothing.
class RecordBlockReader {
public:
    explicit RecordBlockReader(const std::string& path); // throws IoError
    ~RecordBlockReader();
    RecordBlockReader(const RecordBlockReader&) = delete;
    RecordBlockReader& operator=(const RecordBlockReader&) = delete;

    // Returns the number of whole records now at buffer.data(). Throws IoError.
    std::size_t readAll(std::vector<std::uint8_t>& buffer);
    // The file's size in bytes when it was opened.
    std::int64_t fileSize() const;

    // Field access on one raw 32-byte record.
    static DayNumber date(const std::uint8_t* rec) {
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits |= static_cast<std::uint64_t>(rec[i]) << (8 * i);
        DayNumber d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    static std::uint8_t number(const std::uint8_t* rec, int i) { return rec[7 + i]; } // i = 1..8

private:
    std::unique_ptr<ReadOnlyFile> file_;
};

// The drawing database "Ruvuzevodare.dat": fixed 32-byte records in ascending
// date order. There is no cache; every operation opens, works and closes.
//
// Every operation that changes an existing file takes the DatabaseLock, first
// checks that the file looks like a drawing database (every whole record
// carries a representable date; otherwise "... is not a drawing database" and
// nothing changes) and that it may be written, and replaces the file
// atomically (writeFileAtomically): a crash or a failure leaves the old or
// the new file whole.
class DrawingDatabase {
public:
    explicit DrawingDatabase(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }
    bool exists() const;
    // Creates an empty database unless one exists by now (never truncates data).
    void createEmpty() const;

    // Delivers every record from index 0 upwards until the end or until the
    // visitor returns false. Visitor: bool(const DrawingRecord&, std::int64_t index).
    template <typename Visitor>
    void scan(Visitor&& visit) const {
        std::vector<DrawingRecord> all = readAll();
        for (std::size_t i = 0; i < all.size(); ++i)
            if (!visit(all[i], static_cast<std::int64_t>(i)))
                break;
    }

    // The whole file in one read (one allocation, not one per record).
    std::vector<DrawingRecord> readAll() const;
    std::optional<DrawingRecord> readLast() const;
    // Bytes at the end that are not a whole record (a crash in the middle of
    // an append leaves them); 0 for a missing file.
    std::int64_t trailingBytes() const;

    // Writes after the last whole record; a trailing partial record is
    // overwritten, so later records stay aligned.
    void append(const DrawingRecord& rec) const;
    // Replaces the record of the same date or inserts in date order; a date
    // later than every stored date is appended.
    void insertOrReplace(const DrawingRecord& rec) const;

    // Adds one drawing, decided under the lock from the file as it is then
    // (another program may have added drawings since the caller last read
    // it): a date later than the last stored one is appended in place, an
    // earlier one inserted in date order; a stored date is replaced or kept.
    // AppendAfterLast keeps a stored date too, except when it is the last
    // stored one: then the record goes after it (the next line of an answer
    // whose first line was just stored).
    enum class SameDate { Replace, Keep, AppendAfterLast };
    enum class Added { Appended, Inserted, Replaced, Kept };
    Added add(const DrawingRecord& rec, SameDate sameDate) const;
    // Removes every record of the given date.
    void removeDate(DayNumber date) const;
    // Replaces the whole file content.
    void replaceAll(const std::vector<DrawingRecord>& records) const;

    struct UpdateResult {
        std::int64_t droppedTrailingBytes = 0; // a partial record at the old end, not carried over
        bool created = false;                  // there was no file before
    };
    // One read-modify-write under the lock: reads the stored records, lets
    // `change` edit them and writes the result atomically. A missing file is
    // an error unless createIfMissing (then `change` starts from no records).
    UpdateResult update(const std::function<void(std::vector<DrawingRecord>&)>& change, bool createIfMissing = false,
                        const AtomicWriteOptions& temp = rebuildTemp()) const;

    // The temporary file of a rebuild: the database name, a part unique to
    // the run and the write, and "~" (see writeFileAtomically).
    static AtomicWriteOptions rebuildTemp();

    // The index of the first whole record whose date is not a representable
    // date (NaN, infinite, before year 1 or after 9999), or nullopt.
    static std::optional<std::int64_t> firstUnreadableRecord(const std::uint8_t* bytes, std::size_t size);
    // The 1-based number of the first record that shows the file is no
    // drawing database: a date that is no representable date, or a first
    // record of text characters only (a CSV or other text file: a record's
    // date and numbers always hold bytes below the blank); nullopt for a
    // drawing database. Reads the file whole; throws IoError.
    std::optional<std::int64_t> recordNotADrawing() const;
    // The same over the file's bytes read before (its whole records suffice).
    static std::optional<std::int64_t> recordNotADrawing(const std::uint8_t* bytes, std::size_t size);

private:
    void appendLocked(const DrawingRecord& rec) const;
    UpdateResult updateLocked(const std::function<void(std::vector<DrawingRecord>&)>& change, bool createIfMissing,
                              const AtomicWriteOptions& temp) const;

    std::string path_;
};

// The status-bar text for a database whose last `bytes` bytes are not a
// whole drawing; empty for 0.
std::string partialRecordNotice(std::int64_t bytes);

} // namespace rz
